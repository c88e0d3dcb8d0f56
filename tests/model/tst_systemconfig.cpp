#include "model/SystemConfigUtil.h"
#include "tests/support/TestDataDir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {
// Writes a settings file by hand, as a user or an older version would have left it.
void writeConfig(const QString &text)
{
    QDir().mkpath(QFileInfo(SystemConfigUtil::configFilePath()).absolutePath());
    QFile file(SystemConfigUtil::configFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QVariant storedValue(const QString &key)
{
    return QSettings(SystemConfigUtil::configFilePath(), QSettings::IniFormat).value(key);
}

QString translated(const char *context, const char *source)
{
    return QCoreApplication::translate(context, source);
}
} // namespace

class TestSystemConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsWithoutSettingsFile()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        config.setDateSource([] { return QDate(2025, 6, 1); });
        QCOMPARE(config.getLanuage(), 0);
        QCOMPARE(config.getTheme(), 0);
        QCOMPARE(config.getPowerAuto(), false);
        QCOMPARE(config.getCloseMin(), false);
        QCOMPARE(config.getFirewareFlag(), false);
        QCOMPARE(config.getCommType(), 0);
        QCOMPARE(config.getImagePath(), QString(":/images/images/light/"));
        QVERIFY(config.isCheckAppData());
        // Reading creates nothing.
        QVERIFY(!QFile::exists(SystemConfigUtil::configFilePath()));
        QCOMPARE(SystemConfigUtil::configFilePath(), dir.path() + "/config.ini");
    }

    void storedValuesAreRead()
    {
        TestDataDir dir;
        writeConfig("[System]\nLanguage=3\nTheme=1\nPowerAuto=true\nCloseMin=true\n"
                    "Fireware=true\nCommType=1\n");
        SystemConfigUtil config;
        QCOMPARE(config.getLanuage(), 3);
        QCOMPARE(config.getTheme(), 1);
        QVERIFY(config.getPowerAuto());
        QVERIFY(config.getCloseMin());
        QVERIFY(config.getFirewareFlag());
        QCOMPARE(config.getCommType(), 1);
        QCOMPARE(config.getImagePath(), QString(":/images/images/dark/"));
    }

    void unknownThemeHasNoImageFolder()
    {
        TestDataDir dir;
        writeConfig("[System]\nTheme=2\n");
        SystemConfigUtil config;
        QCOMPARE(config.getTheme(), 2);
        QVERIFY(config.getImagePath().isEmpty());
    }

    void unchangedLanguageAndThemeWriteNothing()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        QSignalSpy languageSpy(&config, &SystemConfigUtil::languageChanged);
        QSignalSpy themeSpy(&config, &SystemConfigUtil::themeChanged);

        QVERIFY(!config.setLanuage(0, nullptr));
        QVERIFY(!config.setTheme(0));
        QVERIFY(!QFile::exists(SystemConfigUtil::configFilePath()));
        QCOMPARE(languageSpy.count(), 0);
        QCOMPARE(themeSpy.count(), 0);

        QVERIFY(config.setTheme(1));
        QCOMPARE(themeSpy.count(), 1);
        QCOMPARE(storedValue("System/Theme").toInt(), 1);
        QCOMPARE(config.getImagePath(), QString(":/images/images/dark/"));

        // The same value again: no write (the removed file stays away) and no signal.
        QVERIFY(QFile::remove(SystemConfigUtil::configFilePath()));
        QVERIFY(!config.setTheme(1));
        QVERIFY(!QFile::exists(SystemConfigUtil::configFilePath()));
        QCOMPARE(themeSpy.count(), 1);
    }

    void switchesAlwaysWrite()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        const QList<QPair<QString, std::function<void()>>> setters = {
            {"System/PowerAuto", [&] { config.setPowerAuto(true); }},
            {"System/CloseMin", [&] { config.setCloseMin(true); }},
            {"System/Fireware", [&] { config.setFirewareFlag(true); }},
            {"System/CommType", [&] { config.setCommType(1); }},
        };
        for (const auto &setter : setters) {
            setter.second();
            QVERIFY2(storedValue(setter.first).toInt() == 1, qPrintable(setter.first));
            // Setting the same value again writes again.
            QVERIFY(QFile::remove(SystemConfigUtil::configFilePath()));
            setter.second();
            QVERIFY2(storedValue(setter.first).toInt() == 1, qPrintable(setter.first));
        }
        QVERIFY(config.getPowerAuto() && config.getCloseMin() && config.getFirewareFlag());
        QCOMPARE(config.getCommType(), 1);

        // A new instance reads back what was written.
        for (const auto &setter : setters)
            setter.second();
        SystemConfigUtil again;
        QVERIFY(again.getPowerAuto() && again.getCloseMin() && again.getFirewareFlag());
        QCOMPARE(again.getCommType(), 1);
    }

    void threeDayRule_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("daysLater");
        QTest::addColumn<bool>("expired");
        QTest::newRow("same day") << "2025-03-10" << 0 << false;
        QTest::newRow("two days") << "2025-03-10" << 2 << false;
        QTest::newRow("three days") << "2025-03-10" << 3 << true;
        QTest::newRow("a year") << "2025-03-10" << 365 << true;
        QTest::newRow("with time, two days") << "2025-03-10 23:59:59" << 2 << false;
        QTest::newRow("with time, three days") << "2025-03-10 00:00:00" << 3 << true;
        QTest::newRow("future date") << "2025-03-10" << -1 << true;
        QTest::newRow("not a date") << "yesterday" << 0 << true;
        QTest::newRow("impossible date") << "2025-13-40" << 0 << true;
        QTest::newRow("empty") << "" << 0 << true;
    }

    void threeDayRule()
    {
        QFETCH(QString, stored);
        QFETCH(int, daysLater);
        QFETCH(bool, expired);
        TestDataDir dir;
        writeConfig("[System]\nCheckApp=" + stored + "\n");
        SystemConfigUtil config;
        config.setDateSource([=] { return QDate(2025, 3, 10).addDays(daysLater); });
        QCOMPARE(config.isCheckAppData(), expired);
    }

    void refreshStartsTheThreeDays()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        QDate today(2025, 12, 30);
        config.setDateSource([&] { return today; });
        QVERIFY(config.isCheckAppData());
        config.refreshCheckAppData();
        QCOMPARE(storedValue("System/CheckApp").toString(), QString("2025-12-30"));
        QVERIFY(!config.isCheckAppData());
        today = today.addDays(2);
        QVERIFY(!config.isCheckAppData());
        today = today.addDays(1); // across the year's end
        QVERIFY(config.isCheckAppData());
    }

    void effectiveLanguage_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QLocale::Language>("system");
        QTest::addColumn<int>("effective");
        QTest::newRow("follow English") << 0 << QLocale::English << 2;
        QTest::newRow("follow Vietnamese") << 0 << QLocale::Vietnamese << 3;
        QTest::newRow("follow Chinese") << 0 << QLocale::Chinese << 1;
        QTest::newRow("follow French") << 0 << QLocale::French << 1;
        QTest::newRow("Chinese chosen") << 1 << QLocale::English << 1;
        QTest::newRow("English chosen") << 2 << QLocale::Vietnamese << 2;
        QTest::newRow("Vietnamese chosen") << 3 << QLocale::English << 3;
        QTest::newRow("unknown index") << 9 << QLocale::Vietnamese << 3;
    }

    void effectiveLanguage()
    {
        QFETCH(int, stored);
        QFETCH(QLocale::Language, system);
        QFETCH(int, effective);
        TestDataDir dir;
        writeConfig(QString("[System]\nLanguage=%1\n").arg(stored));
        SystemConfigUtil config;
        config.setSystemLocale(QLocale(system));
        QCOMPARE(config.getLanuage(), stored);
        QCOMPARE(config.getCurrentLanuage(), effective);
    }

    void builtInTranslationsTranslate()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        config.setSystemLocale(QLocale(QLocale::English));
        QSignalSpy spy(&config, &SystemConfigUtil::languageChanged);

        QVERIFY(config.loadLanguage(qApp));
        QCOMPARE(translated("MainWindow", "设备"), QString("Device"));
        QCOMPARE(translated("SystemSetForm", "跟随系统"), QString("Follow the system"));
        QCOMPARE(spy.count(), 0);

        QVERIFY(config.setLanuage(3, qApp));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(translated("MainWindow", "设备"), QString("Thiết bị"));
        QCOMPARE(storedValue("System/Language").toInt(), 3);

        QVERIFY(config.setLanuage(1, qApp));
        QCOMPARE(translated("MainWindow", "设备"), QString("设备"));

        // Following the system again: the English system gives English.
        QVERIFY(config.setLanuage(0, qApp));
        QCOMPARE(translated("MainWindow", "设备"), QString("Device"));
        QCOMPARE(spy.count(), 3);
    }

    void translationInDataFolderReplacesBuiltIn()
    {
        TestDataDir dir;
        QVERIFY(QDir().mkpath(dir.path() + "/languages"));
        // The English file placed under the Vietnamese name shows that the local file is used.
        QVERIFY(QFile::copy(":/i18n/languages/Quillomatrix_en_US.qm",
                            dir.path() + "/languages/Quillomatrix_vi_VN.qm"));
        SystemConfigUtil config;
        QVERIFY(config.setLanuage(3, qApp));
        QCOMPARE(translated("MainWindow", "设备"), QString("Device"));
    }

    void failedTranslationKeepsThePreviousOne()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        QVERIFY(config.setLanuage(2, qApp));
        QVERIFY(QDir().mkpath(dir.path() + "/languages"));
        QFile broken(dir.path() + "/languages/Quillomatrix_vi_VN.qm");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a translation file");
        broken.close();

        QSignalSpy spy(&config, &SystemConfigUtil::languageChanged);
        QVERIFY(!config.setLanuage(3, qApp));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(translated("MainWindow", "设备"), QString("Device"));
        // The choice itself is kept.
        QCOMPARE(config.getLanuage(), 3);
        QCOMPARE(storedValue("System/Language").toInt(), 3);
    }

    void translatorLeavesWithTheInstance()
    {
        TestDataDir dir;
        {
            SystemConfigUtil config;
            QVERIFY(config.setLanuage(2, qApp));
            QCOMPARE(translated("MainWindow", "设备"), QString("Device"));
        }
        QCOMPARE(translated("MainWindow", "设备"), QString("设备"));
    }
};

QTEST_MAIN(TestSystemConfig)
#include "tst_systemconfig.moc"
