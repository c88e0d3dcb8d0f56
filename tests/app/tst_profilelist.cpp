// The main window's profile list through the emulated keyboard beyond what a user's journey does
// (tests/journey): the keyboard's own change notice, replies of other requesters, a keyboard that
// answers late, misses a request or stops answering, work that holds the keyboard, and unplugging
// during an export or import.

#include "tests/app/AppFixture.h"

#include "app/MainWindow.h"
#include "emulator/EmulatedIdentityCommands.h"
#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedProfileCommands.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "pages/common/PageDialogs.h"
#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestFiles.h"
#include "widgets/QToastBox.h"

#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 8000;
// A fault of its own in failedRequestLeavesTheKeyboardFree: the request is not written at all.
constexpr int WriteFails = -1;
// How long the keyboard holds back the answer that keeps work waiting while events reach the window.
constexpr int kHeldMs = 1000;

class Window : public MainWindow
{
public:
    using MainWindow::progressDialog;
};
} // namespace

class TestProfileList : public QObject
{
    Q_OBJECT

    // What reaches the window while the keyboard is busy.
    enum Event { ProfileNotice, WirelessConnects, OthersReplies };
    // Work that holds the keyboard, and what befalls the link meanwhile.
    enum Work { MissedAdd, ReplacedRead, Import, Export };
    enum LinkEvent { Unplugged, PulledOut, LinkTypeChanged, DevicePageEntered, NoticeOnly };

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
        EVENTWAIT_VERIFY(idle() && !mWindow->isKeyboardBusy(), kWaitMs);
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
    QStringList sortedToasts() const
    {
        QStringList texts = toasts();
        texts.sort();
        return texts;
    }
    int reads() { return mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam); }
    QString exportFile()
    {
        const QString file = mApp.dataDir() + QStringLiteral("/saved.aaa");
        mFiles = {file};
        click("exportButton");
        [&] { EVENTWAIT_VERIFY(idle() && toasts().contains(QStringLiteral("写入配置成功")), kWaitMs); }();
        return file;
    }
    // The device page connects again, as after entering it.
    void reconnect() { gStackedWidget->setCurrentIndex(MainWindow::DevicePage); }

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
        EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
        verifyAgreement();
    }

    void cleanup()
    {
        mWindow.reset();
        mApp.reset();
        gUsbCommunicateUtil->setReplyInterval(UsbCommunicateUtil::DefaultReplyInterval);
        PageDialogs::setFilePrompter({});
        gSystemConfig->setCommType(0);
    }

    // The keyboard switched by itself (its own key): the list follows.
    void keyboardChangeNotice()
    {
        EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 3);
        EVENTWAIT_COMPARE(int(gKeyboardConfig->currentConfigIndex), 3, kWaitMs);
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
        EVENTWAIT_COMPARE(list()->selectionMode(), QAbstractItemView::SingleSelection, kWaitMs);
        QVERIFY(AppFixture::child(mWindow.get(), "addButton")->isEnabled());
        QCOMPARE(toasts(), toast.isEmpty() ? QStringList() : QStringList{toast});
        QCOMPARE(listNames(), before);
        QCOMPARE(selectedRow(), 0); // back on the active profile
    }

    // A switch, rename or add that fails leaves the list with what the keyboard holds and the
    // keyboard free: a change made with the keyboard's own key shows in the list.
    void failedRequestLeavesTheKeyboardFree_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("fault"); // a ReplyFault kind for every send of the request, or WriteFails
        QTest::addColumn<bool>("carriedOut"); // the keyboard carries out what it answers
        QTest::addColumn<QString>("toast");
        const int rename = EmulatedProfileCommands::RenameProfile;
        const QString renameFailed = QStringLiteral("设置配置表信息失败！");
        QTest::newRow("switch unanswered") << int(EmulatedProfileCommands::SwitchProfile) << int(ReplyFault::Ignore) << true << QString();
        // The keyboard renames, but answers with another code: the name it holds is the typed one.
        QTest::newRow("rename answered wrongly") << rename << int(ReplyFault::WrongCode) << true << QString();
        // It answers with another code and keeps the old name: the list shows the old name again.
        QTest::newRow("rename answered wrongly, not carried out") << rename << int(ReplyFault::WrongCode) << false << renameFailed;
        QTest::newRow("rename unanswered") << rename << int(ReplyFault::Ignore) << true << renameFailed;
        // The request cannot be written, while the keyboard stays attached.
        QTest::newRow("rename not written") << rename << WriteFails << false << renameFailed;
        QTest::newRow("add unanswered") << int(EmulatedProfileCommands::AddProfile) << int(ReplyFault::Ignore) << true
                                        << QStringLiteral("增加配置表失败！");
    }
    void failedRequestLeavesTheKeyboardFree()
    {
        QFETCH(int, order);
        QFETCH(int, fault);
        QFETCH(bool, carriedOut);
        QFETCH(QString, toast);
        gUsbCommunicateUtil->setReplyInterval(50);
        const int otherCode = EmulatedIdentityCommands::GetWholeParam | 0x80;
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        if (fault == WriteFails)
            bus.setFaults(mApp.path(), EmulatedHidFaults{.writeFails = true});
        else
            mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Kind(fault), otherCode, order | 0x80, UsbCommunicateUtil::MaxSends});
        if (!carriedOut) {
            mApp.keyboard().setHandler(uchar(order), [](EmulatedKeyboardState &, const KeyboardRequest &request,
                                                         KeyboardReplies &replies) {
                EmulatedKeyBlocks::confirmFrame(request, replies);
            });
        }
        const QStringList before = keyboardNames();
        if (order == EmulatedProfileCommands::SwitchProfile)
            select(1);
        else if (order == EmulatedProfileCommands::RenameProfile)
            list()->model()->setData(list()->model()->index(0, 0), QStringLiteral("Typed"));
        else
            click("addButton");
        // Every send waits the short window; a re-read after them gets the usual one. An add is sent once.
        const int sends = fault == WriteFails ? 0 : order == EmulatedProfileCommands::AddProfile ? 1 : UsbCommunicateUtil::MaxSends;
        EVENTWAIT_COMPARE(mApp.keyboard().requestCount(uchar(order)), sends, kWaitMs);
        gUsbCommunicateUtil->setReplyInterval(UsbCommunicateUtil::DefaultReplyInterval);
        EVENTWAIT_VERIFY(idle() && !mWindow->isKeyboardBusy(), kWaitMs);
        QCOMPARE(toasts(), toast.isEmpty() ? QStringList() : QStringList{toast});
        verifyAgreement();
        if (!carriedOut)
            QCOMPARE(listNames(), before);
        bus.setFaults(mApp.path(), {});

        EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
        EVENTWAIT_COMPARE(selectedRow(), 2, kWaitMs);
        verifyAgreement();
    }

    // The keyboard acts at once but answers after the time-out: the request is not sent again,
    // the window reads what the keyboard holds and tells of no failure.
    void lateAnswerActsOnce_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("change");
        QTest::newRow("add") << "addButton" << int(EmulatedProfileCommands::AddProfile) << 1;
        QTest::newRow("delete") << "deButton" << int(EmulatedProfileCommands::DeleteProfile) << -1;
    }
    void lateAnswerActsOnce()
    {
        QFETCH(QString, button);
        QFETCH(int, order);
        QFETCH(int, change);
        gUsbCommunicateUtil->setReplyInterval(50);
        const int lateMs = 400;
        mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Delay, lateMs, order | 0x80, 9});
        const qsizetype before = keyboard().profiles.size();
        click(button.toLatin1().constData());
        EVENTWAIT_VERIFY(idle() && mApp.keyboard().requestCount(uchar(order)) == 1, kWaitMs);
        QTest::qWait(lateMs); // the late answer comes and changes nothing
        QCOMPARE(mApp.keyboard().requestCount(uchar(order)), 1);
        QCOMPARE(keyboard().profiles.size(), before + change);
        verifyAgreement();
        QCOMPARE(toasts(), QStringList());
    }

    // An add or delete that the keyboard missed (neither carried out nor answered): the re-read
    // shows the profiles it still holds and the user hears of the failure. Nothing of the
    // time-out is left over: the next request that is answered is taken as done without a
    // failure notice, and the keyboard's change notice is acted on again.
    void unansweredRequestIsReadBack_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<QString>("then"); // a button clicked next, "notice", or nothing
        const int add = EmulatedProfileCommands::AddProfile;
        const int del = EmulatedProfileCommands::DeleteProfile;
        const QString added = QStringLiteral("增加配置表失败！");
        const QString deleted = QStringLiteral("删除配置表失败！");
        QTest::newRow("add") << "addButton" << add << added << QString();
        QTest::newRow("delete") << "deButton" << del << deleted << QString();
        QTest::newRow("add, then a delete") << "addButton" << add << added << "deButton";
        QTest::newRow("delete, then an add") << "deButton" << del << deleted << "addButton";
        QTest::newRow("add, then a notice") << "addButton" << add << added << "notice";
        QTest::newRow("delete, then a notice") << "deButton" << del << deleted << "notice";
    }
    void unansweredRequestIsReadBack()
    {
        QFETCH(QString, button);
        QFETCH(int, order);
        QFETCH(QString, toast);
        QFETCH(QString, then);
        gUsbCommunicateUtil->setReplyInterval(50);
        mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Ignore, 0, order | 0x80, 1});
        const QStringList before = keyboardNames();
        const int reads = mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam);
        click(button.toLatin1().constData());
        // Only the missed request waits the short window: the re-read gets the usual one.
        EVENTWAIT_COMPARE(mApp.keyboard().requestCount(uchar(order)), 1, kWaitMs);
        gUsbCommunicateUtil->setReplyInterval(UsbCommunicateUtil::DefaultReplyInterval);
        EVENTWAIT_VERIFY(idle() && !toasts().isEmpty(), kWaitMs);
        QCOMPARE(toasts(), QStringList{toast});
        QCOMPARE(mApp.keyboard().requestCount(uchar(order)), 1);
        QCOMPARE(mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam), reads + 1);
        QCOMPARE(keyboardNames(), before);
        verifyAgreement();
        QVERIFY(!mWindow->isKeyboardBusy());
        if (then.isEmpty())
            return;

        qDeleteAll(mWindow->findChildren<QToastBox *>()); // the notice was seen
        if (then == QLatin1String("notice")) {
            EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
            EVENTWAIT_COMPARE(int(gKeyboardConfig->currentConfigIndex), 2, kWaitMs);
        } else {
            const qsizetype count = before.size() + (then == QLatin1String("addButton") ? 1 : -1);
            click(then.toLatin1().constData());
            EVENTWAIT_VERIFY(idle() && listNames().size() == count, kWaitMs);
        }
        verifyAgreement();
        QCOMPARE(toasts(), QStringList());
        QVERIFY(!mWindow->isKeyboardBusy());
    }

    // Something happens while work holds the keyboard, waiting for its answer: nothing else is
    // sent meanwhile, the work ends well, and a change notice brings exactly one read after it.
    void eventWhileKeyboardIsBusy_data()
    {
        QTest::addColumn<bool>("import"); // else the device page's first read
        QTest::addColumn<int>("event");
        QTest::newRow("notice during the first read") << false << int(ProfileNotice);
        QTest::newRow("notice during an import") << true << int(ProfileNotice);
        QTest::newRow("wireless keyboard connects during an import") << true << int(WirelessConnects);
        QTest::newRow("others' replies during an import") << true << int(OthersReplies);
    }
    void eventWhileKeyboardIsBusy()
    {
        QFETCH(bool, import);
        QFETCH(int, event);
        const int held = import ? EmulatedIdentityCommands::SetWholeParam : EmulatedIdentityCommands::GetWholeParam;
        const int reads = mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam);
        mFiles = {import ? exportFile() : QString()};
        // The answer is held back well within the reply time-out, for as long as the events take.
        gUsbCommunicateUtil->setReplyInterval(4000);
        mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Delay, kHeldMs, held | 0x80, 1});
        if (import)
            click("importButton");
        else
            reconnect();
        EVENTWAIT_COMPARE(mApp.keyboard().requestCount(uchar(held)), import ? 1 : 2, kWaitMs);

        const qsizetype sent = mApp.keyboard().requests().size();
        if (event == ProfileNotice) {
            EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
        } else if (event == WirelessConnects) {
            EmulatedProfileCommands::sendNotice(mApp.path(), 128, QByteArray("\x03\x01", 2));
        } else {
            const uchar other = 1; // the configuration read's
            UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
            emit protocol->usb_receive_set_config_info(other, 1, 1);
            emit protocol->usb_receive_config_info(other, 1, 1);
            emit protocol->usb_receive_set_whole_param(other, 1, 1);
            emit protocol->usb_receive_set_custom_light_all(other, 1, 1);
            emit protocol->usb_receive_set_effect_light_all(other, 1, 1);
            emit protocol->usb_receive_set_keyboard_config(other, 1, 1, 0);
            emit protocol->usb_receive_set_high_key(other, 1, 1);
            emit protocol->usb_receive_set_macro_config(other, 1, 1, 0);
            emit protocol->usb_receive_set_trigger_config_all(other, 1, 1);
        }
        QTest::qWait(100);
        QCOMPARE(mApp.keyboard().requests().size(), sent);

        // One read for the connection, one after the event, none for the import.
        EVENTWAIT_COMPARE(mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam),
                                  reads + (import ? 0 : 1) + (event != OthersReplies ? 1 : 0), kWaitMs);
        EVENTWAIT_VERIFY(gStackedWidget->currentIndex() == MainWindow::KeyPage && idle()
                                     && !mWindow->isKeyboardBusy(),
                                 kWaitMs);
        verifyAgreement();
        if (import)
            QVERIFY(toasts().contains(QStringLiteral("导入配置成功")));
        QTest::qWait(100);
        QCOMPARE(mApp.keyboard().requestCount(EmulatedIdentityCommands::GetWholeParam),
                 reads + (import ? 0 : 1) + (event != OthersReplies ? 1 : 0));
    }

    // The keyboard stops answering part-way through an import: the window reads it again, and
    // the model the pages draw from holds what the keyboard holds.
    void keyboardStopsDuringImport()
    {
        const QString file = exportFile();
        gUsbCommunicateUtil->setReplyInterval(50);
        gKeyboardConfig->keyboardParams->deadDown = quint16(keyboard().params.deadDown + 7);
        mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Drop, 0, 0xA0, UsbCommunicateUtil::MaxSends}); // key layers
        mFiles = {file};
        click("importButton");
        EVENTWAIT_VERIFY(idle() && toasts().contains(QStringLiteral("导入配置失败")), kWaitMs);
        verifyAgreement();
        QCOMPARE(gKeyboardConfig->keyboardParams->deadDown, keyboard().params.deadDown);
    }

    // The keyboard names an active profile beyond the rows it lists (a profile with an empty name
    // is not listed): the list still selects one of its rows, and asks for no switch.
    void activeProfileBeyondList_data()
    {
        QTest::addColumn<bool>("notice"); // else on connecting
        QTest::newRow("notice") << true;
        QTest::newRow("connecting") << false;
    }
    void activeProfileBeyondList()
    {
        QFETCH(bool, notice);
        keyboard().profiles[1].name.clear();
        const int beyond = int(keyboard().profiles.size()) - 1;
        if (notice) {
            EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, beyond);
        } else {
            keyboard().currentProfile = beyond;
            reconnect();
        }
        EVENTWAIT_VERIFY(gStackedWidget->currentIndex() == MainWindow::KeyPage && idle() && !mWindow->isKeyboardBusy()
                             && list()->model()->rowCount() == beyond,
                         kWaitMs);
        QVERIFY(selectedRow() >= 0 && selectedRow() < beyond);
        QTest::qWait(200);
        QCOMPARE(mApp.keyboard().requestCount(EmulatedProfileCommands::SwitchProfile), 0);
    }

    // The link goes, or the keyboard, while work holds the keyboard, a wireless keyboard's read
    // perhaps kept for its end meanwhile. The work tells its own end; no read is made for a keyboard
    // that is gone or before the work ends, and nothing of the work reaches a link opened again.
    void workWhileTheLinkGoes_data()
    {
        QTest::addColumn<int>("work");
        QTest::addColumn<bool>("kept"); // a wireless keyboard connects during the work
        QTest::addColumn<int>("event");
        QTest::addColumn<QStringList>("notices"); // sorted
        QTest::addColumn<int>("reads");
        const QString importFailed = QStringLiteral("导入配置失败");
        QTest::newRow("missed add, device page entered") << int(MissedAdd) << false << int(DevicePageEntered) << QStringList{} << 1;
        // The re-read after a profile notice, its request replaced by a page's, then the link anew.
        QTest::newRow("read replaced, device page entered") << int(ReplacedRead) << false << int(DevicePageEntered) << QStringList{} << 2;
        QTest::newRow("import, keyboard pulled out") << int(Import) << false << int(PulledOut) << QStringList{importFailed} << 0;
        QTest::newRow("import, keyboard pulled out, a read kept") << int(Import) << true << int(PulledOut)
                                                                  << QStringList{importFailed} << 0;
        QTest::newRow("export, unplugged") << int(Export) << false << int(Unplugged) << QStringList{"写入配置成功"} << 0;
        QTest::newRow("import, unplugged") << int(Import) << true << int(Unplugged) << QStringList{importFailed} << 0;
        QTest::newRow("import, link type changed") << int(Import) << true << int(LinkTypeChanged)
                                                   << QStringList{importFailed, "未搜索到蓝牙"} << 0;
        QTest::newRow("import, device page entered") << int(Import) << true << int(DevicePageEntered) << QStringList{importFailed} << 1;
        QTest::newRow("import, profile notice") << int(Import) << true << int(NoticeOnly) << QStringList{"导入配置成功"} << 1;
    }
    void workWhileTheLinkGoes()
    {
        QFETCH(int, work);
        QFETCH(bool, kept);
        QFETCH(int, event);
        QFETCH(QStringList, notices);
        QFETCH(int, reads);
        const QString file = exportFile();
        qDeleteAll(mWindow->findChildren<QToastBox *>());
        const int readsBefore = this->reads();
        QElapsedTimer heldSince; // an answer held back
        const auto keepRead = [this] {
            EmulatedProfileCommands::sendNotice(mApp.path(), 128, QByteArray("\x03\x01", 2));
        };
        // The export's progress dialog when the window has acted on the unplug, and the notices
        // shown when the dialog went.
        QObject watch;
        bool dialogAfterUnplug = false;
        QStringList noticesAtClose;
        if (work == MissedAdd) {
            mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Ignore, 0, EmulatedProfileCommands::AddProfile | 0x80, 1});
            click("addButton");
            EVENTWAIT_COMPARE(mApp.keyboard().requestCount(EmulatedProfileCommands::AddProfile), 1, kWaitMs);
        } else if (work == ReplacedRead) {
            mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Ignore, 0, EmulatedIdentityCommands::GetWholeParam | 0x80, 1});
            EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
            EVENTWAIT_COMPARE(this->reads(), readsBefore + 1, kWaitMs);
            gUsbCommunicateUtil->usb_get_product_info(UsbCommunicateUtil::SourceKeyPage, false);
        } else if (work == Export) {
            connect(gStackedWidget, &QStackedWidget::currentChanged, &watch, [&](int index) {
                QProgressDialog *dialog = mWindow->progressDialog();
                if (index != MainWindow::DevicePage || !dialog)
                    return;
                dialogAfterUnplug = dialog->isVisible() && toasts().isEmpty();
                connect(dialog, &QObject::destroyed, &watch, [&] { noticesAtClose = toasts(); });
            });
            // The unplug is noticed as the export starts: the window acts on it after its settle
            // time, before the export's worker, started after as long a pause, has run.
            mApp.unplug();
            QMetaObject::invokeMethod(mWindow.get(), "deviceDisconnected", Q_ARG(QString, QString()));
            mFiles = {file};
            click("exportButton");
        } else if (event == PulledOut) {
            gUsbCommunicateUtil->setReplyInterval(50);
            EmulatedHidFaults faults;
            faults.unplugAfterWrites = 3; // during the import's writes
            EmulatedHidBus::instance().setFaults(mApp.path(), faults);
            mFiles = {file};
            click("importButton");
            if (kept) // before the writes begin
                keepRead();
            EVENTWAIT_VERIFY(toasts().contains(QStringLiteral("导入配置失败")), kWaitMs);
        } else {
            // Its answer is held back well within the reply time-out, for as long as the events take.
            gUsbCommunicateUtil->setReplyInterval(4000);
            const int held = EmulatedIdentityCommands::SetWholeParam;
            mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Delay, kHeldMs, held | 0x80, 1});
            mFiles = {file};
            click("importButton");
            EVENTWAIT_COMPARE(mApp.keyboard().requestCount(uchar(held)), 1, kWaitMs);
            heldSince.start();
        }
        if (kept && event != PulledOut) {
            QSignalSpy connects(gUsbCommunicateUtil.data(), &UsbCommunicateUtil::usb_receive_connect_wireless_device);
            keepRead();
            EVENTWAIT_COMPARE(connects.count(), 1, kWaitMs); // the window has kept its read
        }

        switch (event) {
        case Unplugged:
        case PulledOut:
            if (work == Export)
                break; // gone already
            mApp.unplug();
            QMetaObject::invokeMethod(mWindow.get(), "deviceDisconnected", Q_ARG(QString, QString()));
            break;
        case LinkTypeChanged: QMetaObject::invokeMethod(mWindow.get(), "on_main_ble_radio_clicked"); break;
        case DevicePageEntered: reconnect(); break;
        case NoticeOnly: {
            QSignalSpy changes(gUsbCommunicateUtil.data(), &UsbCommunicateUtil::usb_receive_config_change);
            EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
            EVENTWAIT_COMPARE(changes.count(), 1, kWaitMs);
            QCOMPARE(this->reads(), readsBefore); // not while the import runs
            break;
        }
        }
        // The work ends, then the reads it leaves start, each after it through the event loop.
        EVENTWAIT_VERIFY(sortedToasts() == notices && !mWindow->isKeyboardBusy() && !mWindow->progressDialog(),
                         kWaitMs);
        EVENTWAIT_COMPARE(this->reads(), readsBefore + reads, kWaitMs);
        EVENTWAIT_VERIFY(!mWindow->isKeyboardBusy()
                             && (reads == 0 || (gStackedWidget->currentIndex() == MainWindow::KeyPage && idle())),
                         kWaitMs);
        // No more reads, even once an answer held back has come.
        QTest::qWait(qMax(300, heldSince.isValid() ? int(kHeldMs + 100 - heldSince.elapsed()) : 0));
        QCOMPARE(this->reads(), readsBefore + reads);
        QCOMPARE(sortedToasts(), notices);
        if (reads > 0)
            verifyAgreement();
        else if (event == Unplugged || event == PulledOut)
            QVERIFY(gStackedWidget->currentIndex() == MainWindow::DevicePage && !gKeyboardConfig->productInfo);
        if (work == Export) {
            QVERIFY(dialogAfterUnplug);
            QCOMPARE(noticesAtClose, notices);
        }
    }

    // Closing the window during an import or a keyboard read ends it: nothing more reaches the keyboard.
    void closingTheWindowEndsItsWork_data()
    {
        QTest::addColumn<int>("work");
        QTest::newRow("import") << 0;
        QTest::newRow("profile re-read") << 1;
        QTest::newRow("device page read") << 2;
    }
    void closingTheWindowEndsItsWork()
    {
        QFETCH(int, work);
        if (work == 0) {
            mFiles = {exportFile()};
            click("importButton");
            QVERIFY(mWindow->progressDialog());
        } else {
            // The read waits for an answer held back a moment when the window goes.
            const int held = EmulatedIdentityCommands::GetWholeParam;
            mApp.keyboard().addReplyFault(ReplyFault{ReplyFault::Delay, 300, held | 0x80, 1});
            const int before = reads();
            if (work == 1)
                EmulatedProfileCommands::switchOnKeyboard(mApp.keyboard(), mApp.path(), 128, 2);
            else
                reconnect();
            EVENTWAIT_COMPARE(reads(), before + 1, kWaitMs);
        }
        mWindow.reset();
        const qsizetype sent = mApp.keyboard().requests().size();
        QTest::qWait(600);
        QCOMPARE(mApp.keyboard().requests().size(), sent);
    }
};

QTEST_MAIN(TestProfileList)
#include "tst_profilelist.moc"
