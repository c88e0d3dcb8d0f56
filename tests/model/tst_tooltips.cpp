#include "model/KeyCodeTables.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "tests/support/TestDataDir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QtTest>

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// Keys the windows, pages and dialogs look up besides those of the key code lists.
const QStringList kWidgetKeys = {
    "MainWindow/deviceButton", "MainWindow/firewareButton", "MainWindow/settingButton",
    "MainWindow/addButton", "MainWindow/deButton", "MainWindow/exportButton",
    "MainWindow/importButton", "MacroForm/keyEdit", "MacroForm/mPromptLabel",
    "QKeyKeyboardWidget/mPromptLabel", "QDksAddDialog/mPromptLabel", "QRsAddDialog/mPromptLabel",
    "QSocdAddDialog/lastRadio", "QSocdAddDialog/oneRadio", "QSocdAddDialog/twoRadio",
    "QSocdAddDialog/cancelRadio", "QInputKeyboardWidget/mResetButton", "QInputKeyboardWidget/mNullButton",
    "QInputKeyboardWidget/mResetLayerButton",
};

QStringList allTipKeys()
{
    QStringList keys = kWidgetKeys;
    for (const auto *list : {&gControlKeyCodeList, &gKeyCodeList, &gMediaKeyCodeList,
                             &gMacroKeyCodeList, &gHighKeyCodeList, &gInternalKeyCodeList}) {
        for (const KEY_CODE_INFO &entry : *list)
            keys.append(entry.tipKey);
    }
    return keys;
}
} // namespace

class TestToolTips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        gSystemConfig.reset();
        gToolTipUtil.reset();
    }

    void cleanup()
    {
        gToolTipUtil.reset();
        gSystemConfig.reset();
    }

    void versionText_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("0x0105") << 0x0105 << "0.1.0.5";
        QTest::newRow("0x1A2B") << 0x1A2B << "1.A.2.B";
        QTest::newRow("zero") << 0 << "0.0.0.0";
        QTest::newRow("all ones") << 0xFFFF << "F.F.F.F";
        QTest::newRow("upper case") << 0xabcd << "A.B.C.D";
        QTest::newRow("low byte only") << 0x000F << "0.0.0.F";
    }

    void versionText()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QCOMPARE(global_versionConversion(ushort(version)), text);
    }

    void fileFollowsTheEffectiveLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QLocale::Language>("system");
        QTest::addColumn<QString>("text");
        QTest::newRow("Chinese") << 1 << QLocale::English << "cn";
        QTest::newRow("English") << 2 << QLocale::Chinese << "en";
        QTest::newRow("Vietnamese") << 3 << QLocale::English << "vn";
        QTest::newRow("system French") << 0 << QLocale::French << "cn";
        QTest::newRow("system Vietnamese") << 0 << QLocale::Vietnamese << "vn";
    }

    void fileFollowsTheEffectiveLanguage()
    {
        QFETCH(int, language);
        QFETCH(QLocale::Language, system);
        QFETCH(QString, text);
        TestDataDir dir;
        for (const char *suffix : {"cn", "en", "vn"})
            writeFile(dir.path() + "/tip_file_" + suffix + ".ini",
                      QByteArray("[MainWindow]\naddButton=") + suffix + "\n");
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setSystemLocale(QLocale(system));
        if (language != 0)
            gSystemConfig->setLanuage(language, qApp);
        gToolTipUtil = QSharedPointer<ToolTipUtil>::create();
        QCOMPARE(gToolTipUtil->getToolTipFromFile("MainWindow/addButton"), text);
    }

    void languageChangeNeedsANewInstance()
    {
        TestDataDir dir;
        writeFile(dir.path() + "/tip_file_en.ini", "[MainWindow]\naddButton=\"Add\"\n");
        writeFile(dir.path() + "/tip_file_vn.ini", "[MainWindow]\naddButton=\"Thêm\"\n");
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setLanuage(2, qApp);
        gToolTipUtil = QSharedPointer<ToolTipUtil>::create();
        const QSharedPointer<ToolTipUtil> before = gToolTipUtil;
        gSystemConfig->setLanuage(3, qApp);
        QCOMPARE(before->getToolTipFromFile("MainWindow/addButton"), QString("Add"));
        gToolTipUtil = QSharedPointer<ToolTipUtil>::create();
        QCOMPARE(gToolTipUtil->getToolTipFromFile("MainWindow/addButton"), QString("Thêm"));
    }

    void missingFileOrKeyGivesEmptyTexts()
    {
        TestDataDir dir;
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setLanuage(2, qApp);
        ToolTipUtil tips;
        QVERIFY(tips.getToolTipFromFile("MainWindow/addButton").isEmpty());
        QLabel label;
        label.setToolTip("old");
        tips.setToolTipFromFile(&label, "MainWindow/addButton");
        QVERIFY(label.toolTip().isEmpty());
        tips.setToolTipFromFile(nullptr, "MainWindow/addButton"); // no widget: nothing happens
        QVERIFY(!QFile::exists(dir.path() + "/tip_file_en.ini"));
    }

    void textsWithCommasStayWhole()
    {
        TestDataDir dir;
        writeFile(dir.path() + "/tip_file_en.ini",
                  "[a]\nplain=one, two\nquoted=\"one, two\"\nnested\\key=deep\n");
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setLanuage(2, qApp);
        ToolTipUtil tips;
        QCOMPARE(tips.getToolTipFromFile("a/plain"), QString("one, two"));
        QCOMPARE(tips.getToolTipFromFile("a/quoted"), QString("one, two"));
        QCOMPARE(tips.getToolTipFromFile("a/nested/key"), QString("deep"));
    }

    // The shipped files: every key that is looked up has a text in every language.
    void shippedFilesHoldEveryKey_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("cn") << "tip_file_cn.ini";
        QTest::newRow("en") << "tip_file_en.ini";
        QTest::newRow("vn") << "tip_file_vn.ini";
    }

    void shippedFilesHoldEveryKey()
    {
        QFETCH(QString, file);
        const QString path = QStringLiteral(QUILL_SOURCE_DIR "/resources/data/") + file;
        QVERIFY(QFile::exists(path));
        QSettings settings(path, QSettings::IniFormat);
        QCOMPARE(settings.status(), QSettings::NoError);
        const QStringList keys = allTipKeys();
        for (const QString &key : keys) {
            const QVariant value = settings.value(key);
            QVERIFY2(value.userType() == QMetaType::QString, qPrintable(file + ": " + key));
            QVERIFY2(!value.toString().trimmed().isEmpty(), qPrintable(file + ": " + key));
        }
        // Nothing but those keys: a misspelt key would never be read.
        QStringList stored = settings.allKeys();
        stored.sort();
        QStringList expected = keys;
        expected.sort();
        expected.removeDuplicates();
        QCOMPARE(stored, expected);
    }

    void textFileIntoToolTip()
    {
        TestDataDir dir;
        QLabel label;
        label.setToolTip("old");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("setToolTipFromFile .*absent.txt 不存在"));
        global_setToolTipFromFile(&label, "absent.txt");
        QCOMPARE(label.toolTip(), QString("old"));

        writeFile(dir.path() + "/tip_files/help.txt", "第一行\nsecond line");
        global_setToolTipFromFile(&label, "help.txt");
        QCOMPARE(label.toolTip(), QString("第一行\nsecond line"));
    }
};

QTEST_MAIN(TestToolTips)
#include "tst_tooltips.moc"
