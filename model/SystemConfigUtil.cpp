#include "model/SystemConfigUtil.h"

#include "model/AppPaths.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

QSharedPointer<SystemConfigUtil> gSystemConfig;

namespace {
const char *const kLanguageKey = "System/Language";
const char *const kThemeKey = "System/Theme";
const char *const kPowerAutoKey = "System/PowerAuto";
const char *const kCloseMinKey = "System/CloseMin";
const char *const kFirewareKey = "System/Fireware";
const char *const kCheckAppKey = "System/CheckApp";
const char *const kCommTypeKey = "System/CommType";
const char *const kCheckAppDefault = "2025-01-01 00:00:00";
constexpr qint64 kCheckAppDays = 3;
} // namespace

SystemConfigUtil::SystemConfigUtil(QObject *parent)
    : QObject(parent), mSystemLocale(QLocale::system()), mToday([] { return QDate::currentDate(); })
{
    qInfo() << "=== SystemConfigUtil 初始化 ===";
    const QSettings settings(configFilePath(), QSettings::IniFormat);
    language = settings.value(kLanguageKey, 0).toInt();
    theme = settings.value(kThemeKey, 0).toInt();
    powerAuto = settings.value(kPowerAutoKey, false).toBool();
    closeMin = settings.value(kCloseMinKey, false).toBool();
    firewareFlag = settings.value(kFirewareKey, false).toBool();
    commType = settings.value(kCommTypeKey, 0).toInt();
}

SystemConfigUtil::~SystemConfigUtil()
{
    qInfo() << "=== SystemConfigUtil 销毁 ===";
    translator.reset();
}

QString SystemConfigUtil::configFilePath()
{
    return AppPaths::dataDir() + QStringLiteral("/config.ini");
}

QString SystemConfigUtil::translationFileName(int language)
{
    switch (language) {
    case Vietnamese:
        return QStringLiteral("Quillomatrix_vi_VN.qm");
    case English:
        return QStringLiteral("Quillomatrix_en_US.qm");
    default:
        return QStringLiteral("Quillomatrix_zh_CN.qm");
    }
}

void SystemConfigUtil::setSystemLocale(const QLocale &locale)
{
    mSystemLocale = locale;
}

void SystemConfigUtil::setDateSource(std::function<QDate()> today)
{
    mToday = today ? std::move(today) : [] { return QDate::currentDate(); };
}

void SystemConfigUtil::writeValue(const QString &key, const QVariant &value)
{
    // Every write opens the file for that one write, so the value is on disk on return.
    QDir().mkpath(QFileInfo(configFilePath()).absolutePath());
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}

bool SystemConfigUtil::loadMultipleLanguage(int language, QSharedPointer<QTranslator> target)
{
    if (!target)
        return false;
    const QString name = translationFileName(language);
    // A file in the data folder's "languages" folder replaces the built-in one.
    const QString local = AppPaths::dataDir() + QStringLiteral("/languages/") + name;
    if (QFileInfo(local).isFile())
        return target->load(local);
    return target->load(QStringLiteral(":/i18n/languages/") + name);
}

bool SystemConfigUtil::loadLanguage(const QApplication *app)
{
    Q_UNUSED(app)
    if (translator)
        QCoreApplication::removeTranslator(translator.data());
    translator = QSharedPointer<QTranslator>::create();
    const bool loaded = loadMultipleLanguage(getCurrentLanuage(), translator);
    if (loaded && QCoreApplication::instance())
        QCoreApplication::installTranslator(translator.data());
    return loaded;
}

int SystemConfigUtil::getLanuage() const
{
    return language;
}

int SystemConfigUtil::getCurrentLanuage() const
{
    if (language == Chinese || language == English || language == Vietnamese)
        return language;
    switch (mSystemLocale.language()) {
    case QLocale::Vietnamese:
        return Vietnamese;
    case QLocale::English:
        return English;
    default:
        return Chinese;
    }
}

bool SystemConfigUtil::setLanuage(int index, const QApplication *app)
{
    Q_UNUSED(app)
    if (index == language)
        return false;
    language = index;
    writeValue(kLanguageKey, index);

    auto next = QSharedPointer<QTranslator>::create();
    const bool loaded = loadMultipleLanguage(getCurrentLanuage(), next);
    if (loaded) {
        if (translator)
            QCoreApplication::removeTranslator(translator.data());
        translator = next;
        if (QCoreApplication::instance())
            QCoreApplication::installTranslator(translator.data());
        Q_EMIT languageChanged();
    }
    return loaded;
}

int SystemConfigUtil::getTheme() const
{
    return theme;
}

bool SystemConfigUtil::setTheme(int value)
{
    if (value == theme)
        return false;
    theme = value;
    writeValue(kThemeKey, value);
    Q_EMIT themeChanged();
    return true;
}

QString SystemConfigUtil::getImagePath() const
{
    switch (theme) {
    case 0:
        return QStringLiteral(":/images/images/light/");
    case 1:
        return QStringLiteral(":/images/images/dark/");
    default:
        return QString();
    }
}

bool SystemConfigUtil::getPowerAuto() const
{
    return powerAuto;
}

void SystemConfigUtil::setPowerAuto(bool on)
{
    powerAuto = on;
    writeValue(kPowerAutoKey, on);
}

bool SystemConfigUtil::getCloseMin() const
{
    return closeMin;
}

void SystemConfigUtil::setCloseMin(bool on)
{
    closeMin = on;
    writeValue(kCloseMinKey, on);
}

bool SystemConfigUtil::getFirewareFlag() const
{
    return firewareFlag;
}

void SystemConfigUtil::setFirewareFlag(bool on)
{
    firewareFlag = on;
    writeValue(kFirewareKey, on);
}

int SystemConfigUtil::getCommType() const
{
    return commType;
}

void SystemConfigUtil::setCommType(int type)
{
    commType = type;
    writeValue(kCommTypeKey, type);
}

bool SystemConfigUtil::isCheckAppData() const
{
    const QSettings settings(configFilePath(), QSettings::IniFormat);
    const QString stored = settings.value(kCheckAppKey, QString::fromLatin1(kCheckAppDefault)).toString();
    const QDate last = QDate::fromString(stored.left(10), Qt::ISODate);
    // An unreadable date, or one after today (a clock set back), must not block downloads for good.
    if (!last.isValid())
        return true;
    const qint64 days = last.daysTo(mToday());
    return days >= kCheckAppDays || days < 0;
}

void SystemConfigUtil::refreshCheckAppData()
{
    writeValue(kCheckAppKey, mToday().toString(Qt::ISODate));
}

bool SystemConfigUtil::fileExists(const QString &path) const
{
    return QFileInfo(path).isFile();
}
