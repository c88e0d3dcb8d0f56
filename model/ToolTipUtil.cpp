#include "model/ToolTipUtil.h"

#include "model/AppPaths.h"
#include "model/SystemConfigUtil.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QWidget>

QSharedPointer<ToolTipUtil> gToolTipUtil;

ToolTipUtil::ToolTipUtil(QObject *parent) : QObject(parent)
{
    qInfo() << "=== ToolTipUtil 初始化 ===";
    const int language = gSystemConfig ? gSystemConfig->getCurrentLanuage()
                                       : int(SystemConfigUtil::English);
    mSettings = new QSettings(tipFilePath(language), QSettings::IniFormat);
}

ToolTipUtil::~ToolTipUtil()
{
    delete mSettings;
    qInfo() << "=== ToolTipUtil 销毁 ===";
}

QString ToolTipUtil::tipFilePath(int language)
{
    switch (language) {
    case SystemConfigUtil::Chinese:
        return AppPaths::dataDir() + QStringLiteral("/tip_file_cn.ini");
    case SystemConfigUtil::Vietnamese:
        return AppPaths::dataDir() + QStringLiteral("/tip_file_vn.ini");
    default:
        return AppPaths::dataDir() + QStringLiteral("/tip_file_en.ini");
    }
}

void ToolTipUtil::setToolTipFromFile(QWidget *widget, const QString &key) const
{
    if (widget)
        widget->setToolTip(getToolTipFromFile(key));
}

QString ToolTipUtil::getToolTipFromFile(const QString &key) const
{
    const QVariant value = mSettings->value(key);
    // An unquoted text with commas in it reads back as a list: give it back whole.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

QString global_versionConversion(ushort version)
{
    // One byte as two upper-case hexadecimal digits with a dot between them.
    const auto byteText = [](int byte) {
        QString text = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        return text.insert(1, QLatin1Char('.'));
    };
    return byteText(version >> 8) + QLatin1Char('.') + byteText(version & 0xFF);
}

void global_setToolTipFromFile(QWidget *widget, const QString &name)
{
    const QString path = AppPaths::dataDir() + QStringLiteral("/tip_files/") + name;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning().noquote() << "=== setToolTipFromFile { " + path + " 不存在} ===";
        return;
    }
    if (widget)
        widget->setToolTip(QString::fromUtf8(file.readAll()));
}
