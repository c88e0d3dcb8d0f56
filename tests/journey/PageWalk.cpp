#include "tests/journey/PageWalk.h"

#include "tests/app/AppFixture.h"
#include "tests/journey/UserActions.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestHttpServer.h"

#include "app/FirewareManageForm.h"
#include "app/MainWindow.h"
#include "app/QFirewareItemWidget.h"
#include "emulator/EmulatedLightingCommands.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/common/PageDialogs.h"
#include "pages/keys/HighKeyForm.h"
#include "pages/keys/KeySetForm.h"
#include "pages/keys/LightSetForm.h"
#include "pages/keys/MacroSetForm.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyboardWidget.h"
#include "pages/keys/QKeyKeyboardWidget.h"
#include "pages/keys/QKeyPickDialog.h"
#include "pages/keys/QLightKeyboardWidget.h"
#include "pages/tuning/AlignSetForm.h"
#include "pages/tuning/PerformanceSetForm.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "storage/UpdateServer.h"
#include "widgets/QToastBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QScrollArea>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

namespace {
constexpr int kWaitMs = 8000;
constexpr uchar Grave = 16, W = 39;

template<typename T>
T *page(int index)
{
    return qobject_cast<T *>(gStackedWidget->widget(index));
}

// A step shows one or more places.
struct Place {
    const char *name;
    std::function<void(PageWalk &)> show;
};

void keyPage(PageWalk &walk)
{
    walk.app().plugIn();
    // Effect names and colours as a keyboard has them, in each language.
    EmulatedLightingCommands::fillShowcase(walk.app().keyboard().state());
    QMetaObject::invokeMethod(walk.window(), "deviceConnected", Q_ARG(QString, QString()));
    // The device page shows the key page once its read is through.
    EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
    walk.show(QStringLiteral("key page"));
    auto *keys = page<KeySetForm>(MainWindow::KeyPage);
    UserActions::clickTile(keys->keyboard(), Grave);
    walk.show(QStringLiteral("key page, a key selected"));
    for (const char *picker : {"systemBtn", "macroBtn", "lightBtn", "extendBtn"}) {
        UserActions::click(keys, picker);
        walk.show(QStringLiteral("key page, picker %1").arg(QLatin1String(picker)));
    }
    UserActions::click(keys, "fn1LayerButton");
    UserActions::click(keys, "keyboardBtn");
    walk.show(QStringLiteral("key page, Fn layer"));
}

void lightPage(PageWalk &walk)
{
    walk.goTo("lightButton", MainWindow::LightPage);
    walk.show(QStringLiteral("lighting page"));
    auto *light = page<LightSetForm>(MainWindow::LightPage);
    UserActions::click(light, "modeButton1");
    EVENTWAIT_COMPARE(light->effectMode(), uchar(1), kWaitMs);
    walk.show(QStringLiteral("lighting page, an effect"));
    UserActions::click(light, "modeButton255");
    EVENTWAIT_COMPARE(light->effectMode(), LightSetForm::CustomMode, kWaitMs);
    // A brightness without a key: the page asks for keys first.
    auto *slider = AppFixture::child(light, "lightSlider");
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
    UserActions::clickTile(light->keyboard(), W);
    walk.show(QStringLiteral("lighting page, per-key lighting"));
}

// Each kind with its dialog, which the dialog answer shows and cancels.
void highKeyPage(PageWalk &walk)
{
    walk.goTo("highKeyButton", MainWindow::HighKeyPage);
    auto *highKeys = page<HighKeyForm>(MainWindow::HighKeyPage);
    for (const char *kind : {"tglBtn", "mtBtn", "dksBtn", "rsBtn", "oksBtn", "socdBtn"}) {
        UserActions::click(highKeys, kind);
        UserActions::clickTile(highKeys->keyboard(), W);
        walk.show(QStringLiteral("advanced-key page, %1").arg(QLatin1String(kind)));
        // The page opens its dialog from the event loop: it is answered, then gone.
        const int answered = walk.dialogsAnswered();
        QTest::mouseClick(highKeys->findChild<QHighKeyAddWidget *>(), Qt::LeftButton);
        EVENTWAIT_VERIFY(walk.dialogsAnswered() > answered && !QApplication::activeModalWidget()
                             && !highKeys->findChild<QDialog *>(),
                         kWaitMs);
    }
}

void macroPage(PageWalk &walk)
{
    walk.goTo("macroButton", MainWindow::MacroPage);
    auto *macros = page<MacroSetForm>(MainWindow::MacroPage);
    walk.show(QStringLiteral("macro page"));
    UserActions::click(macros, "startRecordBtn");
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, Qt::Key_A, Qt::NoModifier, 38, 0, 0);
        QCoreApplication::sendEvent(walk.window()->windowHandle(), &event);
    }
    UserActions::click(macros, "stopRecordBtn");
    auto *list = AppFixture::child<QListWidget>(macros, "macroListWidget");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(AppFixture::child(macros, "keyContentEdit"), Qt::LeftButton);
    walk.show(QStringLiteral("macro page, a step edited"));
    QTest::mouseClick(AppFixture::child(macros, "keyContentEdit"), Qt::LeftButton);
}

void performancePage(PageWalk &walk)
{
    walk.goTo("performaceButton", MainWindow::PerformancePage);
    walk.show(QStringLiteral("performance page"));
    UserActions::clickTile(page<PerformanceSetForm>(MainWindow::PerformancePage)->keyboard(), W);
    walk.show(QStringLiteral("performance page, a key selected"));
}

// Exported and imported again: their progress dialogs and toasts.
void profileTransfer(PageWalk &walk)
{
    for (const char *button : {"exportButton", "importButton"})
        walk.transfer(button);
    walk.show(QStringLiteral("after export and import"));
}

// The settings page, where F12 opens the firmware page; a tile press flashes the keyboard under a
// progress dialog; back through the settings the keyboard is connected again.
void firmwarePage(PageWalk &walk)
{
    walk.goTo("settingButton", MainWindow::SettingsPage);
    walk.show(QStringLiteral("settings page"));
    walk.checkForUpdate();
    QTest::keyClick(page<QWidget>(MainWindow::SettingsPage), Qt::Key_F12);
    walk.show(QStringLiteral("firmware page"));
    auto *firmware = page<FirewareManageForm>(MainWindow::FirewarePage);
    QTest::mouseClick(firmware->findChild<QFirewareItemWidget *>(), Qt::LeftButton);
    QVERIFY(firmware->progressDialog()); // the flashing has begun
    EVENTWAIT_VERIFY(!firmware->isFlashing() && !firmware->progressDialog(), kWaitMs);
    walk.goTo("settingButton", MainWindow::SettingsPage);
    UserActions::click(page<QWidget>(MainWindow::SettingsPage), "backButton");
    // The device page connects the keyboard again and shows the key page once its read is through.
    EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
}

// In the order a user meets them. The calibration and maintenance pages are entered through
// their navigation buttons.
const Place kPlaces[] = {
    {"device page without a keyboard", [](PageWalk &walk) {
         walk.show(QStringLiteral("device page"));
         walk.show(QStringLiteral("tray menu"), {walk.window()->findChild<QSystemTrayIcon *>()->contextMenu()});
     }},
    {"key page", keyPage},
    {"lighting page", lightPage},
    {"advanced-key page", highKeyPage},
    {"macro page", macroPage},
    {"performance page", performancePage},
    {"calibration page", [](PageWalk &walk) {
         walk.goTo("alignButton", MainWindow::AlignPage);
         walk.show(QStringLiteral("calibration page"));
         auto *align = page<AlignSetForm>(MainWindow::AlignPage);
         UserActions::click(align, "alignStartButton");
         EVENTWAIT_COMPARE(align->phase(), AlignSetForm::Calibrating, kWaitMs);
         walk.show(QStringLiteral("calibration page, calibrating"));
     }},
    {"maintenance page", [](PageWalk &walk) {
         walk.goTo("otherButton", MainWindow::OtherPage);
         walk.show(QStringLiteral("maintenance page"));
     }},
    {"profile export and import", profileTransfer},
    {"settings and firmware pages", firmwarePage},
};
} // namespace

PageWalk::PageWalk(AppFixture &app) : mApp(app)
{
    // The tooltip texts beside the program, as the build puts them there.
    for (const char *language : {"cn", "en", "vn"}) {
        const QString name = QStringLiteral("/tip_file_%1.ini").arg(QLatin1String(language));
        QFile::remove(app.dataDir() + name);
        QFile::copy(QStringLiteral(QUILL_SOURCE_DIR "/resources/data") + name, app.dataDir() + name);
    }
    gToolTipUtil.reset(new ToolTipUtil);
    qApp->installEventFilter(this);
    PageDialogs::setDialogRunner([this](QDialog *dialog) { return answerDialog(dialog); });
    PageDialogs::setFilePrompter([this](QWidget *, bool, const QString &caption, const QString &, const QString &filter) {
        mFileTexts << caption << filter;
        return mFileAnswer;
    });
}

PageWalk::~PageWalk()
{
    qApp->removeEventFilter(this);
    mWindow.reset();
    mApp.reset();
    qApp->setStyleSheet(QString());
    PageDialogs::setDialogRunner({});
    PageDialogs::setFilePrompter({});
    gBootFirewareScreenFlag = gEntryBootFirewareFlag = false;
}

void PageWalk::walk(int language, const Viewer &viewer, Size size)
{
    mViewer = viewer;
    mSize = size;
    mFileTexts.clear();
    mFileAnswer = mApp.dataDir() + QStringLiteral("/walk.aaa");
    // The theme's style sheet, as the program applies it at start.
    QFile sheet(gSystemConfig->getTheme() == 1 ? QStringLiteral(":/styles/styles/dark.qss")
                                               : QStringLiteral(":/styles/styles/light.qss"));
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    mWindow.reset(); // the old window goes before the new one is built
    mWindow = std::make_unique<MainWindow>();
    if (size == Size::Smallest)
        mWindow->resize(800, 600);
    mWindow->show();
    QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
    // The language is chosen on the settings page, as a user does; everything shown from then on
    // is in that language.
    goTo("settingButton", MainWindow::SettingsPage);
    AppFixture::child<QComboBox>(mWindow.get(), "langComboBox")->setCurrentIndex(language);
    QCOMPARE(gSystemConfig->getLanuage(), language);
    UserActions::click(page<QWidget>(MainWindow::SettingsPage), "backButton");
    for (const Place &place : kPlaces) {
        mPlace = QString::fromLatin1(place.name);
        place.show(*this);
        if (QTest::currentTestFailed()) {
            qWarning("The walk failed at %s", place.name);
            return;
        }
    }
}

void PageWalk::show(const QString &place, const QList<QWidget *> &others)
{
    mPlace = place;
    if (mSize == Size::Smallest)
        layOutSmallest();
    else
        QCoreApplication::processEvents(); // the layout requests of what changed
    QList<QWidget *> windows = QList<QWidget *>{mWindow.get()} + others;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget != mWindow.get() && widget->isVisible())
            windows << widget;
    }
    mViewer(place, windows);
}

void PageWalk::goTo(const char *button, int index)
{
    // The navigation button in sight: the current page's or the window's. A page still without
    // its navigation bar (one being built) is left through the page stack, as its bar would.
    for (QAbstractButton *candidate : mWindow->findChildren<QAbstractButton *>(QString::fromLatin1(button))) {
        if (candidate->isVisible()) {
            UserActions::click(candidate->parentWidget(), button);
            EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), index, kWaitMs);
            return;
        }
    }
    gStackedWidget->setCurrentIndex(index);
    EVENTWAIT_COMPARE(gStackedWidget->currentIndex(), index, kWaitMs);
}

void PageWalk::transfer(const char *button)
{
    UserActions::click(mWindow.get(), button);
    const QPointer<QProgressDialog> dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
    QVERIFY2(dialog, button);
    EVENTWAIT_VERIFY((!dialog || !dialog->isVisible()) && !QApplication::activeModalWidget(), kWaitMs);
}

void PageWalk::layOutSmallest()
{
    auto *area = AppFixture::child<QScrollArea>(mWindow.get(), "mainScrollArea");
    QWidget *content = area->widget();
    area->setWidgetResizable(false);
    content->resize(content->minimumSizeHint().expandedTo(content->minimumSize()));
    QCoreApplication::processEvents();
}

QList<PageWalk::ShownText> PageWalk::shownTexts(const QList<QWidget *> &windows)
{
    const auto plain = [](const QString &text) {
        if (!Qt::mightBeRichText(text))
            return text;
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText();
    };
    QList<ShownText> out;
    for (QWidget *window : windows) {
        if (auto *menu = qobject_cast<QMenu *>(window)) {
            for (const QAction *action : menu->actions()) {
                if (!action->isSeparator())
                    out.append({menu, "item", action->text(), false});
            }
            continue;
        }
        if (qobject_cast<QDialog *>(window) || !window->parentWidget())
            out.append({window, "title", window->windowTitle(), false});
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *widget : std::as_const(widgets)) {
            if (!widget->isVisible() || widget->window() != window)
                continue;
            if (!widget->toolTip().isEmpty())
                out.append({widget, "tooltip", plain(widget->toolTip()), false});
            if (auto *tile = qobject_cast<KeyTile *>(widget)) { // draws its legend itself
                if (tile->legend().kind() == KeyLegend::Text)
                    out.append({widget, "legend", tile->legend().text(), true});
            } else if (auto *label = qobject_cast<QLabel *>(widget); label && label->pixmap().isNull()) {
                out.append({widget, "text", plain(label->text()), true});
            } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
                out.append({widget, "text", button->text(), true});
            } else if (auto *box = qobject_cast<QGroupBox *>(widget)) {
                out.append({widget, "title", box->title(), true});
            } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
                out.append({widget, "placeholder", edit->placeholderText(), false});
            } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
                for (int i = 0; i < combo->count(); ++i)
                    out.append({widget, "item", combo->itemText(i), i == combo->currentIndex()});
            }
        }
    }
    return out;
}

QString PageWalk::pathOf(const QWidget *widget)
{
    QStringList parts;
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
        parts.prepend(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    return parts.join(QLatin1Char('/'));
}

void PageWalk::checkForUpdate()
{
    TestHttpServer server;
    QVERIFY(server.listen());
    server.serve(QStringLiteral("/normal/ver_mac.xml"),
                 "<update><version>9.9.9.9</version><md5>00</md5><url>" + server.url(QStringLiteral("/app.zip")).toEncoded()
                     + "</url></update>");
    UpdateServer::setBaseAddress(server.baseAddress());
    // The settings page asks whether to download the new version: the box is shown, then declined.
    bool asked = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        watch.stop();
        show(QStringLiteral("settings page, a new version found"), {box});
        for (QAbstractButton *button : box->buttons()) {
            if (box->buttonRole(button) == QMessageBox::NoRole)
                button->click();
        }
        asked = true;
    });
    watch.start(20);
    UserActions::click(page<QWidget>(MainWindow::SettingsPage), "appCheckBtn");
    EVENTWAIT_VERIFY(asked && !QApplication::activeModalWidget(), kWaitMs);
    UpdateServer::setBaseAddress(QString());
}

int PageWalk::answerDialog(QDialog *dialog)
{
    ++mDialogsAnswered;
    dialog->show();
    // As it is shown, with the layout requests of showing it through.
    if (!QTest::qWaitForWindowExposed(dialog))
        qWarning("The dialog %s was not shown", qPrintable(dialog->objectName()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    const QString place = mPlace;
    show(place + QStringLiteral(", its dialog"));
    // A slot of a dialog that picks keys, waiting for its key, shows a prompt above it.
    if (qobject_cast<QKeyPickDialog *>(dialog)) {
        for (const char *slot : {"triggerLabel", "singleLabel", "down1Label"}) {
            if (QWidget *label = dialog->findChild<QLabel *>(QString::fromLatin1(slot)))
                QTest::mouseClick(label, Qt::LeftButton);
        }
        show(place + QStringLiteral(", its dialog waiting for a key"));
    }
    dialog->hide();
    mPlace = place;
    return QDialog::Rejected;
}

bool PageWalk::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && mViewer && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow() && (qobject_cast<QToastBox *>(widget) || qobject_cast<QProgressDialog *>(widget)))
            mViewer(mPlace + QStringLiteral(", then ") + QString::fromLatin1(widget->metaObject()->className()), {widget});
    }
    return QObject::eventFilter(watched, event);
}
