#include "storage/UpdateServer.h"

#include "model/SystemConfigUtil.h"

#include <QSettings>

const char *const UpdateServer::DefaultBaseAddress = "https://update.quillomatrix.example";
const char *const UpdateServer::SettingKey = "System/UpdateServer";
const char *const UpdateServer::EnvironmentVariable = "QUILLOMATRIX_UPDATE_SERVER";

QString UpdateServer::baseAddress()
{
    const QSettings settings(SystemConfigUtil::configFilePath(), QSettings::IniFormat);
    QString base = settings.value(QLatin1String(SettingKey)).toString().trimmed();
    if (base.isEmpty())
        base = qEnvironmentVariable(EnvironmentVariable).trimmed();
    if (base.isEmpty())
        base = QString::fromLatin1(DefaultBaseAddress);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

void UpdateServer::setBaseAddress(const QString &address)
{
    QSettings settings(SystemConfigUtil::configFilePath(), QSettings::IniFormat);
    if (address.trimmed().isEmpty())
        settings.remove(QLatin1String(SettingKey));
    else
        settings.setValue(QLatin1String(SettingKey), address.trimmed());
    settings.sync();
}

QUrl UpdateServer::normalUrl(const QString &path)
{
    return QUrl(baseAddress() + QStringLiteral("/normal/") + path);
}

QUrl UpdateServer::versionUrl()
{
    return normalUrl(QStringLiteral("ver_mac.xml"));
}

QUrl UpdateServer::productDatabaseUrl()
{
    return normalUrl(QStringLiteral("quillbase.db3"));
}

QUrl UpdateServer::resourcePackageUrl(const QString &productData)
{
    const QString name = productData.toLower();
    return normalUrl(name + QLatin1Char('/') + name + QStringLiteral(".zip"));
}

QUrl UpdateServer::firmwareVersionUrl(const QString &productData)
{
    return normalUrl(productData.toLower() + QStringLiteral("/firmversion.xml"));
}
