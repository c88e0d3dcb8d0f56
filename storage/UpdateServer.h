#pragma once
#include <QString>
#include <QUrl>

// Addresses on the update server. Everything the program fetches lies below the server's
// "/normal/" folder: the application's version description, the product database, and per
// keyboard model a resource package and the description of the keyboard's firmware. The server's
// base address is the setting "System/UpdateServer" of the settings file; without it
// $QUILLOMATRIX_UPDATE_SERVER, and without that the vendor's server.
class UpdateServer
{
public:
    static const char *const DefaultBaseAddress;
    static const char *const SettingKey;
    static const char *const EnvironmentVariable;

    // The base address without a trailing "/".
    static QString baseAddress();
    // Stores a new base address in the settings file; an empty text brings back the default.
    static void setBaseAddress(const QString &address);

    // The base address followed by "/normal/" and path.
    static QUrl normalUrl(const QString &path);
    // "/normal/ver_mac.xml": the application's version description.
    static QUrl versionUrl();
    // "/normal/quillbase.db3": the product database.
    static QUrl productDatabaseUrl();
    // "/normal/<name>/<name>.zip" with name the model's productData in lower case.
    static QUrl resourcePackageUrl(const QString &productData);
    // "/normal/<name>/firmversion.xml" with name the model's productData in lower case: the
    // version description of the keyboard's own firmware.
    static QUrl firmwareVersionUrl(const QString &productData);
};
