#pragma once
#include <QDate>
#include <QLocale>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QTranslator>

#include <functional>

class QApplication;

// The application's own settings ("config.ini" in the data folder, group "System") and the
// translation of the user-interface texts. One instance, gSystemConfig, lives for the whole run.
class SystemConfigUtil : public QObject
{
    Q_OBJECT
public:
    // Language indices as stored under "System/Language".
    enum Language { FollowSystem = 0, Chinese = 1, English = 2, Vietnamese = 3 };

    explicit SystemConfigUtil(QObject *parent = nullptr);
    ~SystemConfigUtil() override;

    // Loads the translation of the effective language and installs it; true when it loaded.
    bool loadLanguage(const QApplication *app);
    // Loads the translation file of language (1 to 3; anything else is Chinese) into translator.
    bool loadMultipleLanguage(int language, QSharedPointer<QTranslator> translator);

    int getLanuage() const;
    // The effective language 1 to 3: the stored one, or the one derived from the system locale.
    int getCurrentLanuage() const;
    // False and nothing else when index is the stored one; otherwise stores it and, when the new
    // translation loads, installs it and emits languageChanged. Returns the load result.
    bool setLanuage(int index, const QApplication *app);

    int getTheme() const;
    bool setTheme(int theme);
    // ":/images/images/light/" for theme 0, ":/images/images/dark/" for theme 1, else empty.
    QString getImagePath() const;

    bool getPowerAuto() const;
    void setPowerAuto(bool on);
    bool getCloseMin() const;
    void setCloseMin(bool on);
    bool getFirewareFlag() const;
    void setFirewareFlag(bool on);
    int getCommType() const;
    void setCommType(int type);

    // Whether the product database may be downloaded again: three days or more after the date
    // of the last download, or when that date is unreadable or lies in the future.
    bool isCheckAppData() const;
    // Records today as the date of the last download.
    void refreshCheckAppData();

    bool fileExists(const QString &path) const;

    // The settings file: "config.ini" in the data folder.
    static QString configFilePath();
    // Built-in translation file of a language index.
    static QString translationFileName(int language);

    // The locale whose language decides when the stored language is 0 (the system's by default).
    void setSystemLocale(const QLocale &locale);
    // Source of today's date for the three-day rule (the system clock by default).
    void setDateSource(std::function<QDate()> today);

Q_SIGNALS:
    void languageChanged();
    void themeChanged();

private:
    void writeValue(const QString &key, const QVariant &value);

    QSharedPointer<QTranslator> translator;
    int language = 0;
    int theme = 0;
    bool powerAuto = false;
    bool closeMin = false;
    bool firewareFlag = false;
    int commType = 0;
    QLocale mSystemLocale;
    std::function<QDate()> mToday;
};

extern QSharedPointer<SystemConfigUtil> gSystemConfig;
