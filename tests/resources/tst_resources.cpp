#include "model/KeyCodeTables.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QtTest>

// The built-in resources the program asks for by name (translations are checked with the settings).
class TestResources : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void styleSheetsAreBuiltIn()
    {
        for (const char *path : {":/styles/styles/light.qss", ":/styles/styles/dark.qss"}) {
            QFile file(QString::fromLatin1(path));
            QVERIFY2(file.open(QIODevice::ReadOnly), path);
            const QByteArray sheet = file.readAll();
            QVERIFY(sheet.contains("QWidget") && sheet.count('{') == sheet.count('}'));
        }
    }

    // Every icon a key code list names draws in both themes, differently (a blank icon would not).
    void everyListedIconDraws()
    {
        for (const auto *list : {&gControlKeyCodeList, &gKeyCodeList, &gMediaKeyCodeList, &gMacroKeyCodeList,
                                 &gHighKeyCodeList, &gInternalKeyCodeList}) {
            for (const KEY_CODE_INFO &entry : *list) {
                if (entry.iconFile.isEmpty())
                    continue;
                QList<QImage> images;
                for (const char *folder : {":/images/images/light/", ":/images/images/dark/"}) {
                    QImageReader reader(folder + entry.iconFile);
                    reader.setScaledSize(QSize(32, 32));
                    images << reader.read().convertToFormat(QImage::Format_ARGB32);
                    QVERIFY2(!images.last().isNull(), qPrintable(folder + entry.iconFile + ": " + reader.errorString()));
                }
                QVERIFY2(images[0] != images[1], qPrintable(entry.iconFile));
            }
        }
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
