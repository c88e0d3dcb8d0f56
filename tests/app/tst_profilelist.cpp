// The main window's profile list through the emulated keyboard beyond what a user's journey does
// (tests/journey): the keyboard's own change notice, replies of other requesters, a keyboard that
// stops answering, and unplugging during an export or import.

#include "tests/app/AppFixture.h"

#include "app/MainWindow.h"
#include "emulator/EmulatedProfileCommands.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/PageDialogs.h"
#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/TestFiles.h"

#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 8000;

class Window : public MainWindow
{
public:
    using MainWindow::progressDialog;
};
} // namespace

class TestProfileList : public QObject
{
    Q_OBJECT

    AppFixture mApp;
    std::unique_ptr<Window> mWindow;
    QStringList mFiles; // answers of the file dialogs, in order

    QListView *list() const { return AppFixture::child<QListView>(mWindow.get(), "configListView"); }
    EmulatedKeyboardState &keyboard() { return mApp.keyboard().state(); }
    QStringList keyboardNames()
    {
        QStringList names;
        for (const EmulatedProfile &profile : std::as_const(keyboard().profiles))
            names << profile.name;
        return names;
    }
    QStringList listNames() const
    {
        QStringList names;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            names << list()->model()->index(row, 0).data().toString();
        return names;
    }
    int selectedRow() const
    {
        const QModelIndexList rows = list()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    bool idle() const
    {
        return !mWindow->progressDialog() && list()->selectionMode() == QAbstractItemView::SingleSelection;
    }
    // The list, the model and the keyboard show the same profiles, with the active one selected.
    void verifyAgreement()
    {
        QTRY_VERIFY_WITH_TIMEOUT(idle(), kWaitMs);
        QCOMPARE(listNames(), keyboardNames());
        QCOMPARE(int(gKeyboardConfig->currentConfigIndex), keyboard().currentProfile);
        QCOMPARE(selectedRow(), keyboard().currentProfile);
    }
    void select(int row)
    {
        list()->selectionModel()->select(list()->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    }
    void click(const char *button) { QTest::mouseClick(AppFixture::child<QPushButton>(mWindow.get(), button), Qt::LeftButton); }
    QStringList toasts() const { return TestFiles::toastTexts(mWindow.get()); }

private Q_SLOTS:
    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        AppFixture::failOnWarnings();
        mFiles.clear();
        PageDialogs::setFilePrompter([this](QWidget *, bool, const QString &, const QString &, const QString &) {
            return mFiles.isEmpty() ? QString() : mFiles.takeFirst();
        });
        mWindow = std::make_unique<Window>();
        mWindow->show();
        mApp.plugIn();
        QMetaObject::invokeMethod(mWindow.get(), "deviceConnected", Q_ARG(QString, QString()));
        QTRY_COMPARE_WITH_TIMEOUT(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
        verifyAgreement();
    }

    void cleanup()
    {
        mWindow.reset();
        mApp.reset();
        gUsbCommunicateUtil->setReplyInterval(UsbCommunicateUtil::DefaultReplyInterval);
        PageDialogs::setFilePrompter({});
    }

    // The keyboard switched by itself (its own key): the list follows.
    void keyboardChangeNotice()
    {
        EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 3);
        QTRY_COMPARE_WITH_TIMEOUT(int(gKeyboardConfig->currentConfigIndex), 3, kWaitMs);
        verifyAgreement();
    }

    void replyOfAnotherSourceChangesNothing()
    {
        emit gUsbCommunicateUtil->usb_receive_switch_config_table(4, 1, 1);
        emit gUsbCommunicateUtil->usb_receive_config_change(4, 0, 2);
        emit gUsbCommunicateUtil->usb_communicate_error(4, 0xD8, -2);
        QTest::qWait(50);
        QVERIFY(!mWindow->progressDialog());
        QVERIFY(toasts().isEmpty());
        QCOMPARE(selectedRow(), 0);
    }

    // A keyboard that stops answering: the request is given up, the user is told, the list is usable.
    void silentKeyboard_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("toast");
        QTest::newRow("add") << "addButton" << "增加配置表失败！";
        QTest::newRow("delete") << "deButton" << "删除配置表失败！";
        QTest::newRow("switch") << QString() << QString();
    }
    void silentKeyboard()
    {
        QFETCH(QString, button);
        QFETCH(QString, toast);
        gUsbCommunicateUtil->setReplyInterval(50);
        EmulatedHidFaults silent;
        silent.silent = true;
        EmulatedHidBus::instance().setFaults(mApp.path(), silent);
        const QStringList before = keyboardNames();
        if (button.isEmpty())
            select(1);
        else
            click(button.toLatin1().constData());
        QCOMPARE(list()->selectionMode(), QAbstractItemView::NoSelection);
        QVERIFY(!AppFixture::child(mWindow.get(), "addButton")->isEnabled()); // no second operation meanwhile
        QTRY_COMPARE_WITH_TIMEOUT(list()->selectionMode(), QAbstractItemView::SingleSelection, kWaitMs);
        QVERIFY(AppFixture::child(mWindow.get(), "addButton")->isEnabled());
        QCOMPARE(toasts(), toast.isEmpty() ? QStringList() : QStringList{toast});
        QCOMPARE(listNames(), before);
        QCOMPARE(selectedRow(), 0); // back on the active profile
    }

    // Pulling the keyboard out while a transfer runs ends the worker and its dialog.
    void unplugDuringTransfer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("export") << "exportButton";
        QTest::newRow("import") << "importButton";
    }
    void unplugDuringTransfer()
    {
        QFETCH(QString, button);
        const QString file = mApp.dataDir() + QStringLiteral("/saved.aaa");
        mFiles = {file};
        click("exportButton");
        QTRY_VERIFY_WITH_TIMEOUT(idle() && !toasts().isEmpty(), kWaitMs);

        mFiles = {file};
        click(button.toLatin1().constData());
        QVERIFY(mWindow->progressDialog());
        mApp.unplug();
        QMetaObject::invokeMethod(mWindow.get(), "deviceDisconnected", Q_ARG(QString, QString()));
        QTRY_COMPARE_WITH_TIMEOUT(gStackedWidget->currentIndex(), int(MainWindow::DevicePage), kWaitMs);
        QVERIFY(!mWindow->progressDialog());
        QVERIFY(!gKeyboardConfig->productInfo);
    }

    // Closing the window during an import ends the import: nothing more reaches the keyboard.
    void closingTheWindowEndsTheImport()
    {
        const QString file = mApp.dataDir() + QStringLiteral("/saved.aaa");
        mFiles = {file, file};
        click("exportButton");
        QTRY_VERIFY_WITH_TIMEOUT(idle() && !toasts().isEmpty(), kWaitMs);
        click("importButton");
        QVERIFY(mWindow->progressDialog());
        mWindow.reset();
        const qsizetype sent = mApp.keyboard().requests().size();
        QTest::qWait(500);
        QCOMPARE(mApp.keyboard().requests().size(), sent);
    }
};

QTEST_MAIN(TestProfileList)
#include "tst_profilelist.moc"
