#include "model/AppPaths.h"
#include "tests/support/TestDataDir.h"

#include <QCoreApplication>
#include <QtTest>

class TestAppPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultIsBesideTheApplication()
    {
        qunsetenv("QUILLOMATRIX_DATA_DIR");
        QCOMPARE(AppPaths::dataDir(), QCoreApplication::applicationDirPath() + "/data");
    }

    void environmentAndOverride()
    {
        qputenv("QUILLOMATRIX_DATA_DIR", "/tmp/quill-env//data/");
        QCOMPARE(AppPaths::dataDir(), QString("/tmp/quill-env/data"));
        {
            TestDataDir dir;
            QCOMPARE(AppPaths::dataDir(), dir.path());
            QVERIFY(dir.path().startsWith(dir.root()));
        }
        // The override ends with the temporary folder.
        QCOMPARE(AppPaths::dataDir(), QString("/tmp/quill-env/data"));
        qunsetenv("QUILLOMATRIX_DATA_DIR");
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
