#include "model/KeyCodeTables.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTranslator>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void styleSheetsAreBuiltIn()
    {
        for (const char *path : {":/styles/styles/light.qss", ":/styles/styles/dark.qss"}) {
            QFile file(QString::fromLatin1(path));
            QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), path);
            const QByteArray sheet = file.readAll();
            QVERIFY(sheet.contains("QWidget"));
            QCOMPARE(sheet.count('{'), sheet.count('}'));
        }
    }

    void translationsAreBuiltIn()
    {
        for (const char *name : {"zh_CN", "en_US", "vi_VN"}) {
            QTranslator translator;
            const QString path = QStringLiteral(":/i18n/languages/Quillomatrix_%1.qm").arg(QLatin1String(name));
            QVERIFY2(translator.load(path), qPrintable(path));
            QVERIFY(!translator.isEmpty());
            QVERIFY(!translator.translate("MainWindow", "设备").isEmpty());
        }
    }

    // Every icon that a key code list names exists in both theme folders and draws.
    void everyListedIconDraws_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("light") << ":/images/images/light/";
        QTest::newRow("dark") << ":/images/images/dark/";
    }

    void everyListedIconDraws()
    {
        QFETCH(QString, folder);
        int icons = 0;
        for (const auto *list : {&gControlKeyCodeList, &gKeyCodeList, &gMediaKeyCodeList,
                                 &gMacroKeyCodeList, &gHighKeyCodeList, &gInternalKeyCodeList}) {
            for (const KEY_CODE_INFO &entry : *list) {
                if (entry.iconFile.isEmpty())
                    continue;
                ++icons;
                QImageReader reader(folder + entry.iconFile);
                reader.setScaledSize(QSize(32, 32));
                const QImage image = reader.read();
                QVERIFY2(!image.isNull(), qPrintable(folder + entry.iconFile + ": " + reader.errorString()));
                // Something is drawn: not every pixel is transparent.
                bool drawn = false;
                for (int y = 0; y < image.height() && !drawn; ++y)
                    for (int x = 0; x < image.width() && !drawn; ++x)
                        drawn = qAlpha(image.pixel(x, y)) > 0;
                QVERIFY2(drawn, qPrintable(entry.iconFile));
            }
        }
        QCOMPARE(icons, 38);
    }

    void darkIconsDifferFromLight()
    {
        QFile light(":/images/images/light/system_key_home.png");
        QFile dark(":/images/images/dark/system_key_home.png");
        QVERIFY(light.open(QIODevice::ReadOnly));
        QVERIFY(dark.open(QIODevice::ReadOnly));
        QVERIFY(light.readAll() != dark.readAll());
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
