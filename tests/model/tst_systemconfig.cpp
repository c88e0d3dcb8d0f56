#include "model/KeyCodeTables.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {
QVariant stored(const QString &key)
{
    return QSettings(SystemConfigUtil::configFilePath(), QSettings::IniFormat).value(key);
}

QString device()
{
    return QCoreApplication::translate("MainWindow", "设备");
}

QString summary(const SystemConfigUtil &config)
{
    return QString("%1 %2 %3 %4 %5 %6 %7").arg(config.getLanuage()).arg(config.getTheme()).arg(config.getPowerAuto())
        .arg(config.getCloseMin()).arg(config.getFirewareFlag()).arg(config.getCommType()).arg(config.getImagePath());
}
} // namespace

// The application's settings, translations and tooltip texts.
class TestSystemConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void cleanup() { gSystemConfig.reset(); }

    void settingsFileIsRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("values");
        QTest::newRow("no file") << QByteArray() << "0 0 0 0 0 0 :/images/images/light/";
        QTest::newRow("all set") << QByteArray("[System]\nLanguage=3\nTheme=1\nPowerAuto=true\nCloseMin=true\n"
                                               "Fireware=true\nCommType=1\n")
                                 << "3 1 1 1 1 1 :/images/images/dark/";
        QTest::newRow("unknown theme") << QByteArray("[System]\nTheme=2\n") << "0 2 0 0 0 0 ";
    }

    void settingsFileIsRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, values);
        TestDataDir dir;
        if (!file.isEmpty())
            QVERIFY(TestFiles::write(SystemConfigUtil::configFilePath(), file));
        SystemConfigUtil config;
        QCOMPARE(summary(config), values);
        QCOMPARE(QFile::exists(SystemConfigUtil::configFilePath()), !file.isEmpty()); // reading creates nothing
    }

    void choicesAreStored()
    {
        TestDataDir dir;
        SystemConfigUtil config;
        QSignalSpy themeSpy(&config, &SystemConfigUtil::themeChanged);
        // An unchanged language or theme writes nothing and says nothing.
        QVERIFY(!config.setLanuage(0, qApp) && !config.setTheme(0));
        QVERIFY(!QFile::exists(SystemConfigUtil::configFilePath()));
        QVERIFY(config.setTheme(1));
        QCOMPARE(themeSpy.count(), 1);
        config.setPowerAuto(true);
        config.setCloseMin(true);
        config.setFirewareFlag(true);
        config.setCommType(1);
        QCOMPARE(summary(SystemConfigUtil()), QString("0 1 1 1 1 1 :/images/images/dark/"));
        // The switches write every time, even an unchanged value.
        QVERIFY(QFile::remove(SystemConfigUtil::configFilePath()));
        config.setCloseMin(true);
        QCOMPARE(summary(SystemConfigUtil()), QString("0 0 0 1 0 0 :/images/images/light/"));
    }

    void threeDayRule_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("daysLater");
        QTest::addColumn<bool>("due");
        QTest::newRow("same day") << "2025-03-10" << 0 << false;
        QTest::newRow("two days") << "2025-03-10 23:59:59" << 2 << false;
        QTest::newRow("three days") << "2025-03-10 00:00:00" << 3 << true;
        QTest::newRow("across the year") << "2025-12-30" << 3 << true;
        QTest::newRow("date in the future") << "2025-03-10" << -1 << true;
        QTest::newRow("not a date") << "yesterday" << 0 << true;
        QTest::newRow("never downloaded") << QString() << 0 << true;
    }

    void threeDayRule()
    {
        QFETCH(QString, last);
        QFETCH(int, daysLater);
        QFETCH(bool, due);
        TestDataDir dir;
        if (!last.isNull())
            QVERIFY(TestFiles::write(SystemConfigUtil::configFilePath(), "[System]\nCheckApp=" + last.toUtf8() + "\n"));
        const QDate day = QDate::fromString(last.left(10), Qt::ISODate);
        const QDate today = (day.isValid() ? day : QDate(2025, 3, 10)).addDays(daysLater);
        SystemConfigUtil config;
        config.setDateSource([=] { return today; });
        QCOMPARE(config.isCheckAppData(), due);
        // A download today starts the three days again.
        config.refreshCheckAppData();
        QCOMPARE(stored("System/CheckApp").toString(), today.toString(Qt::ISODate));
        QVERIFY(!config.isCheckAppData());
    }

    void translationsFollowTheChoice()
    {
        TestDataDir dir;
        {
            SystemConfigUtil config;
            config.setSystemLocale(QLocale(QLocale::English));
            QSignalSpy spy(&config, &SystemConfigUtil::languageChanged);
            const auto choose = [&](int language) { return config.setLanuage(language, qApp) ? device() : QString("failed"); };
            QVERIFY(config.loadLanguage(qApp));
            QCOMPARE(QStringList({device(), choose(3), choose(1), choose(0)}), QStringList({"Device", "Thiết bị", "设备", "Device"}));
            QCOMPARE(spy.count(), 3);
            // A broken file in the data folder: the choice is kept, the translation in use stays.
            QVERIFY(TestFiles::write(dir.path() + "/languages/Quillomatrix_vi_VN.qm", "not a translation"));
            QCOMPARE(QStringList({choose(3), device()}), QStringList({"failed", "Device"}));
            QCOMPARE(stored("System/Language").toInt(), 3);
            // A good file there replaces the built-in one (English under the Vietnamese name).
            QVERIFY(QFile::remove(dir.path() + "/languages/Quillomatrix_vi_VN.qm"));
            QVERIFY(QFile::copy(":/i18n/languages/Quillomatrix_en_US.qm", dir.path() + "/languages/Quillomatrix_vi_VN.qm"));
            QCOMPARE(QStringList({choose(1), choose(3)}), QStringList({"设备", "Device"}));
            QCOMPARE(spy.count(), 5);
        }
        QCOMPARE(device(), QString("设备")); // the translator leaves with its instance
    }

    void versionText_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("0x0105") << 0x0105 << "0.1.0.5";
        QTest::newRow("zero") << 0 << "0.0.0.0";
        QTest::newRow("upper case") << 0xabcd << "A.B.C.D";
        QTest::newRow("all ones") << 0xFFFF << "F.F.F.F";
    }

    void versionText()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QCOMPARE(global_versionConversion(ushort(version)), text);
    }

    void fileOfTheEffectiveLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QLocale::Language>("system");
        QTest::addColumn<QString>("text");
        QTest::newRow("Chinese") << 1 << QLocale::English << "cn";
        QTest::newRow("English") << 2 << QLocale::Chinese << "en";
        QTest::newRow("Vietnamese") << 3 << QLocale::English << "vn";
        QTest::newRow("system French") << 0 << QLocale::French << "cn";
        QTest::newRow("system Vietnamese") << 0 << QLocale::Vietnamese << "vn";
        QTest::newRow("unknown index, system English") << 9 << QLocale::English << "en";
    }

    void fileOfTheEffectiveLanguage()
    {
        QFETCH(int, language);
        QFETCH(QLocale::Language, system);
        QFETCH(QString, text);
        TestDataDir dir;
        for (const char *suffix : {"cn", "en", "vn"})
            QVERIFY(TestFiles::write(dir.path() + "/tip_file_" + suffix + ".ini", QByteArray("[a]\nb=") + suffix));
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setSystemLocale(QLocale(system));
        gSystemConfig->setLanuage(language, qApp);
        QCOMPARE(ToolTipUtil().getToolTipFromFile("a/b"), text);
    }

    // The shipped files hold the same keys, a text for each, and one for every listed key function.
    void shippedFilesAgree()
    {
        QStringList keys;
        for (const char *file : {"cn", "en", "vn"}) {
            QSettings tips(QStringLiteral(QUILL_SOURCE_DIR "/resources/data/tip_file_%1.ini").arg(file), QSettings::IniFormat);
            QCOMPARE(tips.status(), QSettings::NoError);
            QStringList own = tips.allKeys();
            own.sort();
            QCOMPARE(own, keys.isEmpty() ? (keys = own) : keys);
            for (const QString &key : own)
                QVERIFY2(!tips.value(key).toString().trimmed().isEmpty(), qPrintable(QString(file) + ": " + key));
        }
        for (const auto *list : {&gControlKeyCodeList, &gKeyCodeList, &gMediaKeyCodeList, &gMacroKeyCodeList,
                                 &gHighKeyCodeList, &gInternalKeyCodeList})
            for (const KEY_CODE_INFO &entry : *list)
                QVERIFY2(keys.contains(entry.tipKey), qPrintable(entry.tipKey));
    }

    void toolTipTexts()
    {
        TestDataDir dir;
        QVERIFY(TestFiles::write(dir.path() + "/tip_file_en.ini", "[a]\nplain=one, two\nquoted=\"one, two\"\n"));
        ToolTipUtil tips; // English without settings
        QCOMPARE(tips.getToolTipFromFile("a/plain"), QString("one, two"));
        QCOMPARE(tips.getToolTipFromFile("a/quoted"), QString("one, two"));
        QLabel label;
        tips.setToolTipFromFile(&label, "a/quoted");
        QCOMPARE(label.toolTip(), QString("one, two"));
        // A missing text file leaves the tooltip as it was.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("absent.txt"));
        global_setToolTipFromFile(&label, "absent.txt");
        QCOMPARE(label.toolTip(), QString("one, two"));
        QVERIFY(TestFiles::write(dir.path() + "/tip_files/help.txt", "第一行\nsecond line"));
        global_setToolTipFromFile(&label, "help.txt");
        QCOMPARE(label.toolTip(), QString("第一行\nsecond line"));
    }
};

QTEST_MAIN(TestSystemConfig)
#include "tst_systemconfig.moc"
