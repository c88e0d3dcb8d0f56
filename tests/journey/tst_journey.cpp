// One gamer's journey through the whole program, as a user meets it, in the main window against
// the emulated keyboard: no keyboard at first; it is plugged in and read; a key of each layer is
// reassigned; a lighting effect is chosen and keys are painted; one advanced key of each kind is
// bound; a macro is recorded, saved and bound to a key; actuation and rapid trigger are set on a
// few keys and the polling rate changed; the keys are calibrated; other profiles are visited, added, renamed and deleted;
// the configuration is exported, the keyboard reset to its factory settings and the file imported
// again; a firmware image is flashed; the keyboard is unplugged and plugged in again. After every
// step the keyboard holds exactly what the journey has set so far and the keyboard model equals
// it; at the end after a fresh read. The whole journey runs on each frame size.

#include "tests/app/AppFixture.h"
#include "tests/journey/KeyboardSnapshot.h"
#include "tests/journey/UserActions.h"

#include "app/FirewareManageForm.h"
#include "app/MainWindow.h"
#include "app/QFirewareItemWidget.h"
#include "emulator/EmulatedCalibrationCommands.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/common/KeyboardPicture.h"
#include "pages/common/PageDialogs.h"
#include "pages/keys/HighKeyForm.h"
#include "pages/keys/KeySetForm.h"
#include "pages/keys/LightSetForm.h"
#include "pages/keys/MacroSetForm.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyboardWidget.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QKeyKeyboardWidget.h"
#include "pages/keys/QLightKeyboardWidget.h"
#include "pages/keys/QRsoKeyboardWidget.h"
#include "pages/tuning/AlignSetForm.h"
#include "pages/tuning/PerformanceSetForm.h"
#include "pages/tuning/QAdjustKeyLabel.h"
#include "pages/tuning/QAlignKeyboardWidget.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "link/UsbHidUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestFiles.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 8000;
// Keys of the sample keyboard (104 keys).
constexpr uchar Grave = 16, One = 17, Four = 20, Q = 38, W = 39, E = 40, Caps = 58, A = 59, S = 60, D = 61, F = 62,
                G = 63;

// The window's progress dialog, for knowing when the window is idle.
class Window : public MainWindow
{
public:
    using MainWindow::progressDialog;
};

KEYBOARD_KEY_INFO function(uchar key, uchar type, uchar hValue, uchar lValue)
{
    return KEYBOARD_KEY_INFO{key, type, hValue, lValue};
}

constexpr auto clickTile = &UserActions::clickTile;
} // namespace

class TestJourney : public QObject
{
    Q_OBJECT

    AppFixture mApp;
    std::unique_ptr<Window> mWindow;
    EmulatedKeyboardState mExpected; // what the journey has set so far
    QString mFile;
    qint64 mNow = 0; // the macro page's clock
    std::function<void(QDialog *)> mDialogAct;

    EmulatedKeyboardState &keyboard() { return mApp.keyboard().state(); }
    EmulatedProfile &expectedProfile() { return mExpected.profiles[0]; }
    template<typename T = QWidget>
    T *page(int index) const { return qobject_cast<T *>(gStackedWidget->widget(index)); }
    static void click(QWidget *root, const char *name) { UserActions::click(root, name); }
    void goTo(const char *navigation, int index)
    {
        click(gStackedWidget->currentWidget(), navigation);
        QCOMPARE(gStackedWidget->currentIndex(), index);
    }
    void notice(const char *slot) { QMetaObject::invokeMethod(mWindow.get(), slot, Q_ARG(QString, QString())); }
    QStringList toasts(int index) const { return TestFiles::toastTexts(gStackedWidget->widget(index)); }
    QListView *profileList() const { return AppFixture::child<QListView>(mWindow.get(), "configListView"); }
    void selectProfile(int row)
    {
        profileList()->selectionModel()->select(profileList()->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
        EVENTWAIT_COMPARE(keyboard().currentProfile, row, kWaitMs);
        listAgrees();
    }
    // The window is done with its last command: the list takes choices again and the progress
    // dialog, which keeps a user from doing anything else meanwhile, is closed.
    void awaitWindowIdle()
    {
        EVENTWAIT_VERIFY(profileList()->selectionMode() == QAbstractItemView::SingleSelection
                                     && !mWindow->progressDialog(),
                                 kWaitMs);
    }
    // Waits until the keyboard holds what the journey has set, then the model must agree with it.
    void agree()
    {
        EVENTWAIT_COMPARE(KeyboardSnapshot::ofKeyboard(keyboard()), KeyboardSnapshot::ofKeyboard(mExpected), kWaitMs);
        EVENTWAIT_COMPARE(KeyboardSnapshot::ofModel(), KeyboardSnapshot::activeOfKeyboard(keyboard()), kWaitMs);
    }
    // The keyboard is connected anew by the device page and read; the key page opens.
    void awaitKeyPage()
    {
        EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        awaitWindowIdle();
    }

    // ---- the steps, in the order a user takes them ----

    void startWithoutKeyboard()
    {
        mWindow.reset(); // the old window goes before the new one is built
        mWindow = std::make_unique<Window>();
        mWindow->resize(1600, 1000);
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
    }

    void plugInAndRead()
    {
        QFETCH(int, frameSize);
        mApp.plugIn({}, {frameSize});
        mExpected = keyboard();
        notice("deviceConnected");
        awaitKeyPage();
        QCOMPARE(gUsbFrameMaxsize.load(), frameSize);
        agree();
    }

    // The grave key becomes Esc on the normal layer; 1 becomes Mute on the Fn layer.
    void reassignKeys()
    {
        auto *keys = page<KeySetForm>(MainWindow::KeyPage);
        clickTile(keys->keyboard(), Grave);
        click(keys, "keyboardBtn");
        clickTile(keys->picker(0), global_getNormalKeyboard(KeyTypeKeyboard, 0, 0x29)->index);
        expectedProfile().normalLayer[Grave] = function(Grave, KeyTypeKeyboard, 0, 0x29);
        agree();
        click(keys, "fn1LayerButton");
        clickTile(keys->keyboard(), One);
        click(keys, "systemBtn");
        clickTile(keys->picker(1), 3); // the media picker's Mute
        expectedProfile().fnLayer[One] = function(One, KeyTypeMedia, 0x00, 0xE2);
        agree();
        click(keys, "normalLayerButton");
    }

    // The second effect turns blue; then per-key lighting, with W, A, S and D painted red.
    void paintTheLights()
    {
        goTo("lightButton", MainWindow::LightPage);
        auto *light = page<LightSetForm>(MainWindow::LightPage);
        click(light, "modeButton1");
        EVENTWAIT_COMPARE(light->effectMode(), uchar(1), kWaitMs);
        click(light, "blueColorBtn");
        KEYBOARD_EFFECT_LIGHT &effect = expectedProfile().effects[1];
        effect.colorR = effect.colorG = 0;
        effect.colorB = 255;
        expectedProfile().selectedEffect = 1;
        agree();
        click(light, "modeButton255");
        EVENTWAIT_COMPARE(light->effectMode(), LightSetForm::CustomMode, kWaitMs);
        for (uchar key : {W, A, S, D})
            clickTile(light->keyboard(), key);
        click(light, "colourColorBtn");
        expectedProfile().selectedEffect = LightSetForm::CustomMode;
        for (uchar key : {W, A, S, D}) {
            KEYBOARD_CUSTOM_LIGHT &painted = expectedProfile().customLight[key];
            painted.colorR = 255;
            painted.colorG = painted.colorB = 0;
        }
        agree();
    }

    // One binding of each kind, made in its dialog, in slots 0 to 5.
    void bindAdvancedKeys()
    {
        goTo("highKeyButton", MainWindow::HighKeyPage);
        auto *highKeys = page<HighKeyForm>(MainWindow::HighKeyPage);
        // A slot of the dialog, then its function on the dialog's picker.
        const auto pickFunction = [](QDialog *dialog, const char *slot, uchar type, uchar lValue) {
            QTest::mouseClick(AppFixture::child(dialog, slot), Qt::LeftButton);
            const KEYBOARD_LIST_INFO *entry = global_getNormalKeyboard(type, 0, lValue);
            QVERIFY(entry);
            clickTile(dialog->findChild<QInputKeyboardWidget *>(), entry->index);
        };
        struct Binding {
            const char *kind;
            uchar key;
            std::function<void(QDialog *)> fill;
            const char *wire; // the record the keyboard keeps: slot, kind, key, the kind's fields
        };
        const Binding bindings[] = {
            {"tglBtn", Caps, [&](QDialog *d) { pickFunction(d, "triggerLabel", KeyTypeKeyboard, 0x1A); }, "00003a011a00"},
            {"mtBtn", F, [&](QDialog *d) { pickFunction(d, "singleLabel", KeyTypeKeyboard, 0x09);
                                      pickFunction(d, "longLabel", KeyTypeModifier, 0x02); }, "01013eff5000010900000200"},
            {"dksBtn", G, [&](QDialog *d) { pickFunction(d, "down1Label", KeyTypeKeyboard, 0x0A);
                                       pickFunction(d, "down6Label", KeyTypeKeyboard, 0x0B); }, "02023f01010a0002010b0000ffffff00ffffff"},
            {"rsBtn", W, [&](QDialog *d) { clickTile(d->findChild<QRsoKeyboardWidget *>(), S); }, "0303273c"},
            {"oksBtn", Q, [&](QDialog *d) { clickTile(d->findChild<QRsoKeyboardWidget *>(), E); }, "04042628"},
            {"socdBtn", A, [&](QDialog *d) {
                 clickTile(d->findChild<QRsoKeyboardWidget *>(), D);
                 QTest::mouseClick(AppFixture::child(d, "twoRadio"), Qt::LeftButton);
             }, "05053b3d02"},
        };
        for (const Binding &binding : bindings) {
            click(highKeys, binding.kind);
            clickTile(highKeys->keyboard(), binding.key);
            mDialogAct = [&](QDialog *dialog) {
                binding.fill(dialog);
                click(dialog, "saveBtn");
            };
            QTest::mouseClick(highKeys->findChild<QHighKeyAddWidget *>(), Qt::LeftButton);
            HIGH_KEY_INFO record;
            QVERIFY(EmulatedHighKeyCommands::decode(QByteArray::fromHex(binding.wire), &record));
            EmulatedHighKeyCommands::bind(mExpected, record); // its keys become the slot's on the normal layer
            agree();
            if (QTest::currentTestFailed())
                return;
        }
    }

    // M1: Ctrl down, C down 100 ms later, C up, Ctrl up; saved, then bound to the key 4.
    void recordAMacro()
    {
        goTo("macroButton", MainWindow::MacroPage);
        auto *macros = page<MacroSetForm>(MainWindow::MacroPage);
        mNow = 0;
        macros->setClock([this] { return mNow; });
        const auto key = [this](QEvent::Type type, int code, quint32 scanCode, int wait) {
            QKeyEvent event(type, code, Qt::NoModifier, scanCode, 0, 0);
            QCoreApplication::sendEvent(mWindow->windowHandle(), &event);
            mNow += wait;
        };
        click(macros, "startRecordBtn");
        key(QEvent::KeyPress, Qt::Key_Control, 37, 100);
        key(QEvent::KeyPress, Qt::Key_C, 54, 50);
        key(QEvent::KeyRelease, Qt::Key_C, 54, 40);
        key(QEvent::KeyRelease, Qt::Key_Control, 37, 0);
        click(macros, "stopRecordBtn");
        click(macros, "saveRecordBtn");
        mExpected.macros[0] = {{KeyTypeModifier, 1, 0x01, 0, 100}, {KeyTypeKeyboard, 1, 0x06, 0, 50},
                               {KeyTypeKeyboard, 0, 0x06, 0, 40}, {KeyTypeModifier, 0, 0x01, 0, 1}};
        agree();

        goTo("keyButton", MainWindow::KeyPage);
        auto *keys = page<KeySetForm>(MainWindow::KeyPage);
        clickTile(keys->keyboard(), Four);
        click(keys, "macroBtn");
        clickTile(keys->picker(2), 0); // M1
        expectedProfile().normalLayer[Four] = function(Four, KeyTypeMacro, 0, 0);
        agree();
    }

    // W, A, S and D: actuation one step deeper, rapid trigger on; the polling rate down to 1 kHz.
    void tuneTheTravel()
    {
        goTo("performaceButton", MainWindow::PerformancePage);
        auto *performance = page<PerformanceSetForm>(MainWindow::PerformancePage);
        for (uchar key : {W, A, S, D})
            clickTile(performance->keyboard(), key);
        click(performance, "triggerAddBtn");
        click(performance, "quickCheckBox");
        click(performance, "rate1Btn");
        for (uchar key : {W, A, S, D}) {
            KEYBOARD_TRIGGER_INFO &travel = expectedProfile().triggers[key];
            travel.trigger += 1;
            travel.model = true;
        }
        mExpected.params.pollingRate = 3;
        EVENTWAIT_VERIFY(!performance->isBusy(), kWaitMs);
        agree();
    }

    // Calibration from the page's button: every key pressed to the bottom and let go, then saved;
    // the keyboard holds one stored calibration.
    void calibrate()
    {
        goTo("alignButton", MainWindow::AlignPage);
        auto *align = page<AlignSetForm>(MainWindow::AlignPage);
        click(align, "alignStartButton");
        EVENTWAIT_COMPARE(align->phase(), AlignSetForm::Calibrating, kWaitMs);
        const auto pressAll = [this](quint16 depth) {
            for (uchar key : std::as_const(keyboard().keyNumbers))
                EmulatedCalibrationCommands::pressKey(keyboard(), key, depth);
            for (const QByteArray &frame : EmulatedCalibrationCommands::liveReports(keyboard(), gUsbFrameMaxsize))
                EmulatedHidBus::instance().pushInputReport(mApp.path(), frame);
        };
        pressAll(gKeyboardConfig->productInfo->triggerMax);
        const auto allPassed = [align] {
            const QList<QAdjustKeyLabel *> tiles = align->keyboard()->findChildren<QAdjustKeyLabel *>();
            return !tiles.isEmpty() && std::all_of(tiles.cbegin(), tiles.cend(), [](const QAdjustKeyLabel *tile) {
                return !tile->isVisible() || tile->getKeyStatus() == QAdjustKeyLabel::StatusPassed;
            });
        };
        EVENTWAIT_VERIFY(allPassed(), kWaitMs);
        pressAll(0);
        click(align, "alignSaveButton");
        EVENTWAIT_COMPARE(keyboard().calibration.saves, 1, kWaitMs);
        EVENTWAIT_COMPARE(align->phase(), AlignSetForm::Idle, kWaitMs);
        QVERIFY(!keyboard().calibration.reporting);
        agree();
    }

    // The list shows the keyboard's profiles with its active one selected, and takes choices again.
    void listAgrees()
    {
        awaitWindowIdle();
        QStringList names, shown;
        for (const EmulatedProfile &profile : std::as_const(keyboard().profiles))
            names << profile.name;
        for (int row = 0; row < profileList()->model()->rowCount(); ++row)
            shown << profileList()->model()->index(row, 0).data().toString();
        QCOMPARE(shown, names);
        const QModelIndexList selected = profileList()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), keyboard().currentProfile);
    }

    // Another profile is visited; one is added, renamed through the list's editor and deleted
    // while it is the active one (the keyboard's new active one is then shown); back on the first.
    void useProfiles()
    {
        selectProfile(1);
        click(mWindow.get(), "addButton");
        EVENTWAIT_COMPARE(keyboard().profiles.size(), 5, kWaitMs);
        listAgrees();
        profileList()->edit(profileList()->model()->index(4, 0));
        auto *editor = profileList()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->clear();
        AppFixture::type(editor, QStringLiteral("Raid night"));
        QTest::keyClick(editor, Qt::Key_Return);
        EVENTWAIT_COMPARE(keyboard().profiles[4].name, QStringLiteral("Raid night"), kWaitMs);
        listAgrees();
        selectProfile(4);
        click(mWindow.get(), "deButton");
        EVENTWAIT_COMPARE(keyboard().profiles.size(), 4, kWaitMs);
        listAgrees();
        QCOMPARE(keyboard().currentProfile, 3);
        selectProfile(0);
        agree();
    }

    // Exported, reset to the factory settings, imported: the keyboard holds the journey's
    // configuration again.
    void exportResetImport()
    {
        // The file dialogs cancelled first: nothing happens.
        mFile.clear();
        click(mWindow.get(), "exportButton");
        click(mWindow.get(), "importButton");
        QVERIFY(!mWindow->progressDialog());
        mFile = mApp.dataDir() + QStringLiteral("/journey.aaa");
        click(mWindow.get(), "exportButton");
        EVENTWAIT_COMPARE(TestFiles::toastTexts(mWindow.get()), QStringList{QStringLiteral("写入配置成功")}, kWaitMs);
        awaitWindowIdle();

        // The maintenance page's reset, confirmed; the keyboard is then read anew.
        goTo("otherButton", MainWindow::OtherPage);
        click(page(MainWindow::OtherPage), "resetBtn");
        awaitKeyPage();
        const EmulatedKeyboardState journey = mExpected;
        mExpected.resetProfiles();
        agree();
        QCOMPARE(keyboard().firmware.resets, 1);

        click(mWindow.get(), "importButton");
        EVENTWAIT_VERIFY(TestFiles::toastTexts(mWindow.get()).contains(QStringLiteral("导入配置成功")), kWaitMs);
        awaitWindowIdle();
        mExpected = journey;
        // The keyboard does not report which effect it shows, so no file carries it: after the
        // reset it shows its first effect.
        expectedProfile().selectedEffect = 0;
        agree();
    }

    // F12 on the settings page opens the firmware page; a press on the keyboard's tile flashes its
    // image; back through the settings page, the device page connects the keyboard again.
    void flashFirmware()
    {
        click(mWindow.get(), "settingButton");
        QTest::keyClick(page(MainWindow::SettingsPage), Qt::Key_F12);
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::FirewarePage));
        auto *firmware = page<FirewareManageForm>(MainWindow::FirewarePage);
        QFirewareItemWidget *tile = nullptr;
        for (QFirewareItemWidget *candidate : firmware->findChildren<QFirewareItemWidget *>()) {
            if (AppFixture::child<QLabel>(candidate, "fireware_product_label")->text() == QLatin1String("Quill HE104"))
                tile = candidate;
        }
        QVERIFY(tile);
        QTest::mouseClick(tile, Qt::LeftButton);
        QVERIFY(firmware->progressDialog());
        EVENTWAIT_VERIFY(!firmware->isFlashing() && !firmware->progressDialog(), kWaitMs);
        const QByteArray image = TestFiles::read(mApp.dataDir() + QStringLiteral("/QuillHE104/firmware.bin"));
        QVERIFY(image.size() > 40);
        QCOMPARE(keyboard().firmware.keyboard.assembled(), image.mid(40));
        QVERIFY(keyboard().firmware.keyboard.ended);
        QCOMPARE(toasts(MainWindow::FirewarePage), QStringList());
        click(mWindow.get(), "settingButton");
        click(page(MainWindow::SettingsPage), "backButton");
        awaitKeyPage();
        agree();
    }

    void unplugAndPlugInAgain()
    {
        mApp.unplug();
        notice("deviceDisconnected");
        EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage), kWaitMs);
        QVERIFY(!gKeyboardConfig->productInfo);
        mApp.plugInAgain();
        notice("deviceConnected");
        awaitKeyPage();
        agree();
        // The key page shows what was read.
        auto *keys = page<KeySetForm>(MainWindow::KeyPage);
        QCOMPARE(keys->keyboard()->tile(Grave)->legend().text(), QStringLiteral("Esc"));
        QCOMPARE(keys->keyboard()->tile(Four)->legend().text(), QStringLiteral("M1"));
    }

private Q_SLOTS:
    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        AppFixture::failOnWarnings();
        PageDialogs::setDialogRunner([this](QDialog *dialog) {
            dialog->show();
            if (mDialogAct)
                mDialogAct(dialog);
            mDialogAct = nullptr;
            dialog->hide();
            return QTest::currentTestFailed() ? int(QDialog::Rejected) : dialog->result();
        });
        PageDialogs::setFilePrompter([this](QWidget *, bool, const QString &, const QString &, const QString &) { return mFile; });
        // Every question is answered yes, every notice acknowledged.
        PageDialogs::setMessagePrompter([](QWidget *, QMessageBox::Icon, const QString &, const QString &,
                                           QMessageBox::StandardButtons buttons) {
            return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
    }

    void cleanup()
    {
        mWindow.reset();
        mApp.reset();
        PageDialogs::setDialogRunner({});
        PageDialogs::setFilePrompter({});
        PageDialogs::setMessagePrompter({});
        gBootFirewareScreenFlag = gEntryBootFirewareFlag = false;
    }

    void journey_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128-byte frames") << 128;
        QTest::newRow("64-byte frames") << 64;
    }

    void journey()
    {
        using Step = void (TestJourney::*)();
        const Step steps[] = {
            &TestJourney::startWithoutKeyboard, &TestJourney::plugInAndRead,   &TestJourney::reassignKeys,
            &TestJourney::paintTheLights,       &TestJourney::bindAdvancedKeys, &TestJourney::recordAMacro,
            &TestJourney::tuneTheTravel,        &TestJourney::calibrate,
            &TestJourney::useProfiles,          &TestJourney::exportResetImport, &TestJourney::flashFirmware,
            &TestJourney::unplugAndPlugInAgain,
        };
        for (Step step : steps) {
            (this->*step)();
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_MAIN(TestJourney)
#include "tst_journey.moc"
