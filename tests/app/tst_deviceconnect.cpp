// A keyboard connected end to end through the main window, with the emulated keyboard program's
// own set-up (sample product database and sample resource package in the data folder): choose USB,
// the configuration is read, the key page opens, unplugging returns to the device page. Then the
// emulated keyboard program itself is started and driven the same way from outside.

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/EmulatedProgram.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSharedMemory>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {
constexpr int kWaitMs = 8000;

QString readLog(const QString &file)
{
    return QString::fromUtf8(TestFiles::read(file));
}

// Waits until text appears in the log after position from; its position, or -1.
qsizetype waitForLine(const QString &file, const QString &text, qsizetype from = 0)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        const qsizetype at = readLog(file).indexOf(text, from);
        if (at >= 0)
            return at;
        QTest::qWait(50);
    }
    return -1;
}
} // namespace

class TestDeviceConnect : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;
    std::unique_ptr<TestDataDir> mDataDir;

    template <typename T = QWidget>
    static T *child(QWidget *window, const char *name)
    {
        T *widget = window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mTemp.isValid());
        QVERIFY(TestFiles::redirectTempFolder(mTemp.filePath(QStringLiteral("tmp"))));
        mDataDir = std::make_unique<TestDataDir>();
        EmulatedProgram::prepareDataFolder();
        AppServices::create();
    }

    void cleanupTestCase()
    {
        AppServices::release();
        mDataDir.reset();
    }

    void connectThroughTheMainWindow()
    {
        // Bluetooth chosen last time.
        gSystemConfig->setCommType(1);
        auto window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QList<QByteArray> paths = EmulatedHidBus::instance().attachKeyboard(EmulatedKeyboard::createSample());

        // Settings and back: the device page is entered, its Bluetooth search finds no adapter.
        QTest::mouseClick(child<QPushButton>(window.get(), "settingButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window.get(), "deviceButton"), Qt::LeftButton);
        QVERIFY(child(window.get(), "main_group_box")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(
            TestFiles::toastTexts(gStackedWidget->widget(MainWindow::DevicePage)).contains(QStringLiteral("未搜索到蓝牙")), kWaitMs);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());

        // Choose USB: the configuration is read and the key page opens.
        auto *usb = child<QRadioButton>(window.get(), "main_usb_radio");
        QTest::mouseClick(usb, Qt::LeftButton, {}, QPoint(5, usb->height() / 2));
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        QCOMPARE(gKeyboardConfig->productInfo->productName, QStringLiteral("Quill HE104"));
        QCOMPARE(child<QLabel>(window.get(), "productNameLabel")->text(), QStringLiteral("Quill HE104"));
        QVERIFY(child(window.get(), "main_group_box")->isHidden());

        // Unplugged: back on the device page with the link closed and the model empty.
        for (const QByteArray &path : paths)
            EmulatedHidBus::instance().detach(path);
        QVERIFY(QMetaObject::invokeMethod(window.get(), "deviceDisconnected", Q_ARG(QString, QString())));
        QTRY_COMPARE(window->pageIndex(), int(MainWindow::DevicePage));
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(!gKeyboardConfig->productInfo);

        // Plugged in again: connected through the hot-plug notice alone.
        EmulatedHidBus::instance().attachKeyboard(EmulatedKeyboard::createSample());
        QVERIFY(QMetaObject::invokeMethod(window.get(), "deviceConnected", Q_ARG(QString, QString())));
        QTRY_COMPARE_WITH_TIMEOUT(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);

        window.reset();
        gUsbCommunicateUtil->closeCommunicate();
        EmulatedHidBus::instance().reset();
        gKeyboardConfig->resetKeyboardConfig();
    }

    void emulatedKeyboardProgram()
    {
        const QString work = mTemp.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(work + QStringLiteral("/tmp")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLOMATRIX_DATA_DIR"), work + QStringLiteral("/data"));
        env.insert(QStringLiteral("TMPDIR"), work + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(work);
        program.start(QStringLiteral(QUILL_EMULATED_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted(10000));

        const QString log = work + QStringLiteral("/app.log");
        const qsizetype keyPage = waitForLine(log, QStringLiteral("打开按键页面"));
        QVERIFY2(keyPage >= 0, qPrintable(readLog(log)));
        // The data folder got the sample product database and resource package.
        QVERIFY(QFileInfo::exists(work + QStringLiteral("/data/quillbase.db3")));
        QVERIFY(QFileInfo(work + QStringLiteral("/data/QuillHE104/light/fireware_bg.png")).isFile());

        ::kill(pid_t(program.processId()), SIGUSR1);
        const qsizetype unplugged = waitForLine(log, QStringLiteral("USB设备已拔出"), keyPage);
        QVERIFY2(unplugged >= 0, qPrintable(readLog(log)));
        QVERIFY(waitForLine(log, QStringLiteral("repaintInterface open= true"), unplugged) >= 0);

        ::kill(pid_t(program.processId()), SIGUSR2);
        QVERIFY2(waitForLine(log, QStringLiteral("打开按键页面"), unplugged) >= 0, qPrintable(readLog(log)));

        program.kill();
        QVERIFY(program.waitForFinished(10000));
        // The killed program leaves its single-instance segment behind.
        qputenv("TMPDIR", (work + QStringLiteral("/tmp")).toLocal8Bit());
        QSharedMemory segment(QString::fromLatin1(SingleInstance::InstanceKey));
        if (segment.attach())
            segment.detach();
        qputenv("TMPDIR", mTemp.filePath(QStringLiteral("tmp")).toLocal8Bit());
    }
};

QTEST_MAIN(TestDeviceConnect)
#include "tst_deviceconnect.moc"
