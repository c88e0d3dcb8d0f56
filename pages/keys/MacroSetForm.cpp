#include "pages/keys/MacroSetForm.h"

#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/PageTitleBar.h"
#include "pages/common/TipText.h"
#include "pages/keys/QMacroItemWidget.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/ChosenButton.h"
#include "widgets/QToastBox.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

namespace {
constexpr uchar kSource = UsbCommunicateUtil::SourceMacroPage;
constexpr int kToastMs = 2000;
constexpr int kRowHeight = 50;
// A recording's last step, and the releases added for keys still held at its end.
constexpr int kClosingStepMs = 1;
// How long the window system has to hand the focus on when a dialog of the program closes.
constexpr int kFocusHandOverMs = 100;
const char *const kIdleKeyStyle = "QLabel {  border: 1px solid rgb(242,243,245); }";
const char *const kEditingKeyStyle = "QLabel {  border: 1px solid rgb(255,136,38); }";

// The key function of a key event. Shift+Tab arrives as Backtab: it is the Tab key.
KEYBOARD_MACRO_INFO convertKey(const QKeyEvent *event)
{
    const int key = event->key() == Qt::Key_Backtab ? int(Qt::Key_Tab) : event->key();
    return global_qtKeyboardConvert(key, event->modifiers().testFlag(Qt::KeypadModifier),
                                    int(event->nativeScanCode()));
}

bool sameKey(const KEYBOARD_MACRO_INFO &a, const KEYBOARD_MACRO_INFO &b)
{
    return a.type == b.type && a.hValue == b.hValue && a.lValue == b.lValue;
}

QToolButton *makeButton(const char *name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel *makeLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}
} // namespace

MacroSetForm::MacroSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MacroSetForm"));
    qInfo().noquote() << "=== 宏设置页面初始化 ===";
    resize(1260, 900);
    setFocusPolicy(Qt::StrongFocus);
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    mClock = [timer] { return timer->elapsed(); };

    buildForm();
    QMetaObject::connectSlotsByName(this);
    for (int i = 0; i < MacroCount; ++i)
        connect(mMacroButtons[i], &QToolButton::clicked, this, [this, i] { selectMacro(i); });
    mKeyContentEdit->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &MacroSetForm::focusWindowChanged);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &MacroSetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_macro_config, this,
                &MacroSetForm::usb_receive_set_macro_config);
        connect(protocol, &UsbCommunicateUtil::usb_receive_del_macro_config, this,
                &MacroSetForm::usb_receive_del_macro_config);
    }
    refreshLanguageUi();
    showEditor(false);
    mStopRecordBtn->hide();
}

MacroSetForm::~MacroSetForm()
{
    releaseGrab();
    qInfo().noquote() << "=== 宏设置页面销毁 ===";
}

void MacroSetForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mTitleBar = new PageTitleBar(PageTitleBar::MacroPage, this);
    layout->addWidget(mTitleBar);

    auto *body = new QWidget(this);
    body->setObjectName(QStringLiteral("bodyWidget"));
    auto *row = new QHBoxLayout(body);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(20);
    row->addWidget(buildMacroColumn());
    row->addWidget(buildListCard(), 1);
    row->addWidget(buildEditor());
    layout->addWidget(body, 1);
}

QWidget *MacroSetForm::buildMacroColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("macroWidget"));
    column->setAttribute(Qt::WA_StyledBackground);
    auto *buttons = new QVBoxLayout(column);
    buttons->setContentsMargins(16, 16, 16, 16);
    buttons->setSpacing(8);
    for (int i = 0; i < MacroCount; ++i) {
        auto *button = makeButton(qPrintable(QStringLiteral("macro%1Btn").arg(i + 1)), column);
        button->setText(QStringLiteral("M%1").arg(i + 1));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFixedSize(96, 40);
        buttons->addWidget(button);
        mMacroButtons.append(button);
    }
    buttons->addStretch(1);
    return column;
}

QWidget *MacroSetForm::buildListCard()
{
    auto *card = new QWidget(this);
    card->setObjectName(QStringLiteral("recordWidget"));
    card->setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    mStartRecordBtn = makeButton("startRecordBtn", card);
    mStopRecordBtn = makeButton("stopRecordBtn", card);
    mClearRecordBtn = makeButton("clearRecordBtn", card);
    mSaveRecordBtn = makeButton("saveRecordBtn", card);
    for (QToolButton *button : {mStartRecordBtn, mStopRecordBtn, mClearRecordBtn, mSaveRecordBtn}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(20, 20));
        button->setMinimumHeight(40);
    }
    buttons->addWidget(mStartRecordBtn);
    buttons->addWidget(mStopRecordBtn);
    buttons->addStretch(1);
    buttons->addWidget(mClearRecordBtn);
    buttons->addWidget(mSaveRecordBtn);
    layout->addLayout(buttons);

    mMacroListWidget = new QListWidget(card);
    mMacroListWidget->setObjectName(QStringLiteral("macroListWidget"));
    mMacroListWidget->setSpacing(5);
    mMacroListWidget->setMinimumWidth(440);
    mMacroListWidget->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    layout->addWidget(mMacroListWidget, 1);
    return card;
}

QWidget *MacroSetForm::buildEditor()
{
    auto *holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("editorHolder"));
    holder->setFixedWidth(380);
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);

    mEditor = new QWidget(holder);
    mEditor->setObjectName(QStringLiteral("editorWidget"));
    mEditor->setAttribute(Qt::WA_StyledBackground);
    // The list keeps its width while the editor comes and goes.
    QSizePolicy keep = mEditor->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    mEditor->setSizePolicy(keep);
    auto *grid = new QGridLayout(mEditor);
    grid->setContentsMargins(20, 16, 20, 20);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(16);

    mTitleLabel = makeLabel("titleLabel", mEditor);
    mKeyContentLabel = makeLabel("keyContentLabel", mEditor);
    mKeyContentEdit = makeLabel("keyContentEdit", mEditor);
    mKeyContentEdit->setAlignment(Qt::AlignCenter);
    mKeyContentEdit->setMinimumHeight(36);
    mKeyContentEdit->setStyleSheet(QString::fromLatin1(kIdleKeyStyle));
    mKeyTypeLabel = makeLabel("keyTypeLabel", mEditor);
    mKeyDownBtn = makeButton("keyDownBtn", mEditor);
    mKeyUpBtn = makeButton("keyUpBtn", mEditor);
    for (QToolButton *button : {mKeyDownBtn, mKeyUpBtn}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(16, 16));
        button->setMinimumHeight(36);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    mTimeLabel = makeLabel("timeLabel", mEditor);
    mTimeEdit = new QLineEdit(mEditor);
    mTimeEdit->setObjectName(QStringLiteral("timeEdit"));
    mTimeEdit->setMinimumHeight(36);
    mTimeEdit->setValidator(new QIntValidator(0, QMacroItemWidget::MaxTime, mTimeEdit));

    auto *direction = new QHBoxLayout;
    direction->setSpacing(8);
    direction->addWidget(mKeyDownBtn);
    direction->addWidget(mKeyUpBtn);
    grid->addWidget(mTitleLabel, 0, 0, 1, 2);
    grid->addWidget(mKeyContentLabel, 1, 0);
    grid->addWidget(mKeyContentEdit, 1, 1);
    grid->addWidget(mKeyTypeLabel, 2, 0);
    grid->addLayout(direction, 2, 1);
    grid->addWidget(mTimeLabel, 3, 0);
    grid->addWidget(mTimeEdit, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    holderLayout->addWidget(mEditor, 1);
    return holder;
}

void MacroSetForm::setClock(Clock clock)
{
    if (clock)
        mClock = std::move(clock);
}

QList<KEYBOARD_MACRO_INFO> MacroSetForm::steps() const
{
    QList<KEYBOARD_MACRO_INFO> out;
    for (int i = 0; i < mMacroListWidget->count(); ++i) {
        if (const QMacroItemWidget *row = rowAt(i))
            out.append(row->getMacroInfo());
    }
    return out;
}

void MacroSetForm::repaintInterface()
{
    mTitleBar->checkCurrent();
    displayMacroButtons();
    rebuildList();
}

void MacroSetForm::exitInterface()
{
    leavePage();
}

void MacroSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    mStartRecordBtn->setText(tr("开始录制"));
    mStopRecordBtn->setText(tr("停止录制"));
    mClearRecordBtn->setText(tr("清除全部"));
    mSaveRecordBtn->setText(tr("保存"));
    mTitleLabel->setText(tr("宏设置"));
    mKeyContentLabel->setText(tr("按键内容"));
    mKeyTypeLabel->setText(tr("按键类型"));
    mKeyDownBtn->setText(tr("按下"));
    mKeyUpBtn->setText(tr("抬起"));
    mTimeLabel->setText(tr("持续时间(ms)"));
    TipText::apply(mKeyContentEdit, QStringLiteral("MacroForm/keyEdit"));
}

// --- macros and rows ---

void MacroSetForm::selectMacro(int index)
{
    if (index == mSelectMacroIndex) {
        ChosenButton::mark(mMacroButtons[index], true);
        return;
    }
    // The recording belongs to the macro shown.
    if (mRecording)
        return;
    mSelectMacroIndex = uchar(index);
    displayMacroButtons();
    rebuildList();
}

void MacroSetForm::displayMacroButtons()
{
    for (int i = 0; i < MacroCount; ++i)
        ChosenButton::mark(mMacroButtons[i], i == mSelectMacroIndex);
}

void MacroSetForm::rebuildList()
{
    stopRecording();
    showEditor(false);
    mLastMacroItem = nullptr;
    removeRows();
    if (mSelectMacroIndex >= MacroCount)
        mSelectMacroIndex = 0;
    if (gKeyboardConfig) {
        for (const QSharedPointer<KEYBOARD_MACRO_INFO> &step : gKeyboardConfig->keyboardMacroList[mSelectMacroIndex]) {
            if (step)
                appendRow(*step);
        }
    }
    mMacroListWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    mMacroListWidget->clearSelection();
    mMacroListWidget->setCurrentRow(-1);
    mStartRecordBtn->show();
    mSaveRecordBtn->show();
    mClearRecordBtn->show();
    mStopRecordBtn->hide();
    ++mListGeneration;
}

void MacroSetForm::removeRows()
{
    // The view deletes the row widgets (later) with their items.
    for (int i = mMacroListWidget->count() - 1; i >= 0; --i) {
        if (QMacroItemWidget *row = rowAt(i))
            row->disconnect(this);
        delete mMacroListWidget->takeItem(i);
    }
}

QMacroItemWidget *MacroSetForm::appendRow(const KEYBOARD_MACRO_INFO &step)
{
    auto *item = new QListWidgetItem(mMacroListWidget);
    item->setSizeHint(QSize(0, kRowHeight));
    auto *row = new QMacroItemWidget(item, mMacroListWidget, mMacroListWidget->viewport());
    mMacroListWidget->setItemWidget(item, row);
    row->setItemInfo(step);
    connect(row, &QMacroItemWidget::macroItemDelete, this, &MacroSetForm::macroItemDelete);
    return row;
}

QMacroItemWidget *MacroSetForm::rowAt(int row) const
{
    QListWidgetItem *item = mMacroListWidget->item(row);
    return item ? qobject_cast<QMacroItemWidget *>(mMacroListWidget->itemWidget(item)) : nullptr;
}

void MacroSetForm::macroItemDelete(QListWidgetItem *item)
{
    auto *row = qobject_cast<QMacroItemWidget *>(mMacroListWidget->itemWidget(item));
    if (!row)
        return;
    if (row == mLastMacroItem)
        mLastMacroItem = nullptr;
    const bool chosen = row == mCurrentMacroItem;
    row->disconnect(this);
    delete mMacroListWidget->takeItem(mMacroListWidget->row(item));
    // The list would make the next row current; the user chooses again.
    if (chosen)
        mMacroListWidget->setCurrentRow(-1);
    for (int i = 0; i < mMacroListWidget->count(); ++i) {
        if (QMacroItemWidget *left = rowAt(i))
            left->refreshUi();
    }
}

// --- editing one step ---

void MacroSetForm::showEditor(bool shown)
{
    if (!shown) {
        // Nothing edits a step the editor does not show.
        mCurrentMacroItem = nullptr;
        setKeyEditing(false);
    }
    mEditor->setVisible(shown);
}

void MacroSetForm::setKeyEditing(bool on)
{
    mKeysAway = false;
    if (on) {
        mSelectLabel = mKeyContentEdit;
        mKeyContentEdit->setStyleSheet(QString::fromLatin1(kEditingKeyStyle));
        TipText::showPrompt(mKeyContentEdit, QStringLiteral("MacroForm/mPromptLabel"));
        // The next key comes to the page, not to the time field.
        setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!mSelectLabel)
        return;
    mSelectLabel->setStyleSheet(QString::fromLatin1(kIdleKeyStyle));
    mSelectLabel = nullptr;
    TipText::hidePrompt();
}

void MacroSetForm::on_macroListWidget_currentRowChanged(int currentRow)
{
    if (mRecording)
        return;
    QMacroItemWidget *row = rowAt(currentRow);
    if (!row) {
        showEditor(false);
        return;
    }
    mCurrentMacroItem = row;
    const KEYBOARD_MACRO_INFO step = row->getMacroInfo();
    mKeyContentEdit->setText(row->keyText());
    const QSignalBlocker quiet(mTimeEdit);
    mTimeEdit->setText(QString::number(step.time));
    setDirection(step.state ? 1 : 0);
    showEditor(true);
}

bool MacroSetForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mKeyContentEdit && event->type() == QEvent::MouseButtonPress)
        setKeyEditing(!mSelectLabel);
    return QWidget::eventFilter(watched, event);
}

void MacroSetForm::focusWindowChanged(QWindow *focused)
{
    if (mOtherWindow)
        disconnect(mOtherWindow, nullptr, this, nullptr);
    mOtherWindow = nullptr;
    // Nothing waits, or the focus is with another program or no window for a moment.
    if (!mSelectLabel || !focused)
        return;
    if (focused == window()->windowHandle()) {
        // Back from a dialog of the program: within the window the focus went back to what had it
        // before, often the button that opened the dialog. The box still waits: the page takes the
        // keys again.
        if (mKeysAway)
            QMetaObject::invokeMethod(this, &MacroSetForm::takeFocusBack, Qt::QueuedConnection);
        return;
    }
    mKeysAway = true;
    mOtherWindow = focused;
    // Another window of the program (a file dialog, a progress dialog) takes the focus while the
    // box waits. When it closes, the window system hands the focus on, or to no window at all, and
    // then the next key would reach nobody: unless the focus has gone on a moment later, the
    // page's window takes it back.
    connect(focused, &QWindow::visibleChanged, this, [this, focused](bool visible) {
        if (!visible && QGuiApplication::focusWindow() == focused)
            QTimer::singleShot(kFocusHandOverMs, this, &MacroSetForm::takeFocusBack);
    });
}

void MacroSetForm::takeFocusBack()
{
    // Not once another window of the program has the focus (the next dialog), the box has stopped
    // waiting or the page has gone.
    const QWindow *focused = QGuiApplication::focusWindow();
    if (!mSelectLabel || !isVisible() || (focused && focused != window()->windowHandle() && focused->isVisible()))
        return;
    // A dialog still open under the one that closed takes the focus first; its closing is
    // watched in turn.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible() && modal != window()) {
        modal->activateWindow();
        return;
    }
    mKeysAway = false;
    window()->activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void MacroSetForm::on_keyDownBtn_clicked()
{
    setDirection(1);
}

void MacroSetForm::on_keyUpBtn_clicked()
{
    setDirection(0);
}

void MacroSetForm::setDirection(uchar state)
{
    if (!mCurrentMacroItem)
        return;
    mCurrentMacroItem->setKeyState(state);
    ChosenButton::mark(mKeyDownBtn, state);
    ChosenButton::mark(mKeyUpBtn, !state);
}

void MacroSetForm::on_timeEdit_textChanged(const QString &arg1)
{
    bool ok = false;
    const int ms = arg1.toInt(&ok);
    if (!ok || !mCurrentMacroItem)
        return;
    mCurrentMacroItem->setTime(ms);
    // Five digits may go past what the keyboard holds: the field shows what the step keeps.
    if (ms > QMacroItemWidget::MaxTime) {
        const QSignalBlocker quiet(mTimeEdit);
        mTimeEdit->setText(QString::number(mCurrentMacroItem->getMacroInfo().time));
    }
}

// --- recording ---

void MacroSetForm::on_startRecordBtn_clicked()
{
    if (mRecording)
        return;
    showEditor(false);
    mStartRecordBtn->hide();
    mSaveRecordBtn->hide();
    mClearRecordBtn->hide();
    mStopRecordBtn->show();
    mRecording = true;
    mLastMacroItem = nullptr;
    mPressKeySet.clear();
    mLastStepAt = mClock();
    setFocus(Qt::OtherFocusReason);
    grabKeyboard();
    mMacroListWidget->setSelectionMode(QAbstractItemView::NoSelection);
    mMacroListWidget->clearSelection();
}

void MacroSetForm::on_stopRecordBtn_clicked()
{
    stopRecording();
}

void MacroSetForm::stopRecording()
{
    if (!mRecording)
        return;
    // A macro never leaves a key down: keys still held are let go, in the order they went down.
    for (const HeldKey &held : std::as_const(mPressKeySet)) {
        if (mMacroListWidget->count() >= MaxSteps)
            break;
        closeOpenStep(kClosingStepMs);
        KEYBOARD_MACRO_INFO release = held.key;
        release.state = 0;
        release.time = 0;
        mLastMacroItem = appendRow(release);
    }
    mPressKeySet.clear();
    closeOpenStep(kClosingStepMs);
    mStartRecordBtn->show();
    mSaveRecordBtn->show();
    mClearRecordBtn->show();
    mStopRecordBtn->hide();
    mRecording = false;
    releaseGrab();
    mMacroListWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    mMacroListWidget->clearSelection();
    mMacroListWidget->setCurrentRow(-1);
}

void MacroSetForm::leavePage()
{
    stopRecording();
    setKeyEditing(false);
}

bool MacroSetForm::event(QEvent *event)
{
    // Another window took the focus: the keys typed there are not the macro's.
    if (event->type() == QEvent::WindowDeactivate && mRecording)
        stopRecording();
    // While recording or waiting for a step's key, every key is input: Tab and the other focus
    // keys do not move the focus, and no shortcut takes a key.
    if (mRecording || mSelectLabel) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        }
    }
    return QWidget::event(event);
}

void MacroSetForm::keyPressEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        qInfo().noquote() << QStringLiteral("keyPressEvent event key:{ %1 },scaneCode:{ %2 }")
                                 .arg(event->key())
                                 .arg(event->nativeScanCode());
    if (!mRecording) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat())
        recordPress(event);
}

void MacroSetForm::keyReleaseEvent(QKeyEvent *event)
{
    if (mRecording) {
        event->accept();
        if (!event->isAutoRepeat())
            recordRelease(event);
        return;
    }
    if (!event->isAutoRepeat() && mSelectLabel && mCurrentMacroItem) {
        const KEYBOARD_MACRO_INFO key = convertKey(event);
        if (key.type == KeyTypeDisabled)
            return;
        mCurrentMacroItem->setKey(key.type, key.lValue, key.hValue);
        mKeyContentEdit->setText(mCurrentMacroItem->keyText());
    }
    QWidget::keyReleaseEvent(event);
}

void MacroSetForm::recordPress(QKeyEvent *event)
{
    const KEYBOARD_MACRO_INFO key = convertKey(event);
    if (key.type == KeyTypeDisabled || heldIndex(key, event->nativeScanCode()) >= 0)
        return;
    // Each held key keeps room for its release: a press is taken only when it, its release and
    // the releases of the keys already held all fit.
    if (mMacroListWidget->count() + int(mPressKeySet.size()) + 2 > MaxSteps) {
        showToast(tr("最大添加20个按键"));
        return;
    }
    recordStep(key, 1);
    mPressKeySet.append(HeldKey{event->nativeScanCode(), key});
}

void MacroSetForm::recordRelease(QKeyEvent *event)
{
    if (mPressKeySet.isEmpty())
        return;
    // Found by the physical key first: a modifier changed since the press may have changed the
    // key code (Shift+1 is released as "!").
    const int index = heldIndex(convertKey(event), event->nativeScanCode());
    if (index < 0)
        return;
    const HeldKey held = mPressKeySet.takeAt(index);
    if (mMacroListWidget->count() < MaxSteps)
        recordStep(held.key, 0);
}

int MacroSetForm::heldIndex(const KEYBOARD_MACRO_INFO &key, quint32 scanCode) const
{
    if (scanCode != 0) {
        for (int i = 0; i < mPressKeySet.size(); ++i) {
            if (mPressKeySet[i].scanCode == scanCode)
                return i;
        }
    }
    if (key.type == KeyTypeDisabled)
        return -1;
    for (int i = 0; i < mPressKeySet.size(); ++i) {
        if (sameKey(mPressKeySet[i].key, key))
            return i;
    }
    return -1;
}

void MacroSetForm::recordStep(const KEYBOARD_MACRO_INFO &key, uchar state)
{
    const qint64 now = mClock();
    closeOpenStep(now - mLastStepAt);
    mLastStepAt = now;
    KEYBOARD_MACRO_INFO step = key;
    step.state = state;
    step.time = 0;
    mLastMacroItem = appendRow(step);
    mMacroListWidget->scrollToBottom();
}

void MacroSetForm::closeOpenStep(qint64 ms)
{
    if (!mLastMacroItem)
        return;
    mLastMacroItem->setTime(int(qBound(qint64(0), ms, qint64(QMacroItemWidget::MaxTime))));
    mLastMacroItem = nullptr;
}

void MacroSetForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        // The window was minimized: the page is not left. A recording ends, as when the window
        // loses the focus; a box waiting for a step's key waits on, and its prompt comes back with
        // the window.
        if (mRecording) {
            releaseGrab();
            QMetaObject::invokeMethod(this, &MacroSetForm::stopRecording, Qt::QueuedConnection);
        }
        return;
    }
    if (!mRecording && !mSelectLabel)
        return;
    // The page is hidden by a page switch, or by the window closing or going away: the grab goes
    // at once, the steps are finished once the window is done with the page.
    releaseGrab();
    QMetaObject::invokeMethod(this, &MacroSetForm::leavePage, Qt::QueuedConnection);
}

void MacroSetForm::releaseGrab()
{
    if (QWidget::keyboardGrabber() == this)
        releaseKeyboard();
}

// --- the keyboard ---

void MacroSetForm::on_saveRecordBtn_clicked()
{
    mMacroList.clear();
    for (const KEYBOARD_MACRO_INFO &step : steps())
        mMacroList.append(QSharedPointer<KEYBOARD_MACRO_INFO>::create(step));
    if (mMacroList.isEmpty() || !gUsbCommunicateUtil)
        return;
    mPending = true;
    mSavedGeneration = mListGeneration;
    gUsbCommunicateUtil->usb_set_macro_config(kSource, false, mSelectMacroIndex, mMacroList);
}

void MacroSetForm::on_clearRecordBtn_clicked()
{
    if (!gUsbCommunicateUtil)
        return;
    mPending = true;
    gUsbCommunicateUtil->usb_del_macro_config(kSource, false, mSelectMacroIndex);
}

void MacroSetForm::usb_receive_set_macro_config(uchar source, int current, int total, uchar index)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== MacroSetForm usb_receive_set_macro_config 数据来源不匹配 source:{ %1 } ===")
                                 .arg(source);
        return;
    }
    if (current < total)
        return;
    mPending = false;
    // The macro that was saved, whichever is shown now.
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncMacroConfig(index);
    mMacroList.clear();
    // Shown again since the save (another macro was chosen meanwhile): show what was saved.
    if (index == mSelectMacroIndex && mSavedGeneration != mListGeneration && !mRecording)
        rebuildList();
    showToast(tr("宏数据同步成功!"));
}

void MacroSetForm::usb_receive_del_macro_config(uchar source, int current, int total, uchar index)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== MacroSetForm usb_receive_del_macro_config 数据来源不匹配 source:{ %1 } ===")
                                 .arg(source);
        return;
    }
    if (current < total)
        return;
    mPending = false;
    // The rows of another macro stay.
    if (index != mSelectMacroIndex)
        return;
    showEditor(false);
    mLastMacroItem = nullptr;
    // Keys held in a recording under way lost their press: their release is not recorded.
    mPressKeySet.clear();
    removeRows();
    if (!mRecording) {
        mMacroListWidget->setSelectionMode(QAbstractItemView::SingleSelection);
        mMacroListWidget->clearSelection();
    }
}

void MacroSetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== MacroSetForm usb错误 source={%1};order={0x%2};error={%3} ===")
                             .arg(source)
                             .arg(order, 2, 16, QLatin1Char('0'))
                             .arg(error);
    if (source != kSource && source != UsbCommunicateUtil::SourceLink) {
        qInfo().noquote() << QStringLiteral("=== MacroSetForm usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    if (!mPending)
        return;
    // The rows stay as the user made them; the keyboard and the model keep the macro they had.
    mPending = false;
    showToast(tr("宏数据同步失败"));
}

void MacroSetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
