#include "pages/tuning/AlignSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/PageTitleBar.h"
#include "pages/tuning/QAdjustKeyLabel.h"
#include "pages/tuning/QAlignKeyboardWidget.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kToastMs = 2000;
constexpr uchar kStateReply = 0xD2;
constexpr uchar kSwitchReply = 0xD3;
constexpr uchar kSaveReply = 0xD4;

QString hex2(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

AlignSetForm::AlignSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AlignSetForm"));
    qInfo().noquote() << "=== 校准设置页面初始化 ===";
    mSaveTimer = new QTimer(this);
    mSaveTimer->setSingleShot(true);
    // A coarse timer may end the pause up to a twentieth early.
    mSaveTimer->setTimerType(Qt::PreciseTimer);
    mSaveTimer->setInterval(SavePauseMs);
    connect(mSaveTimer, &QTimer::timeout, this, &AlignSetForm::sendSave);
    buildForm();
    QMetaObject::connectSlotsByName(this);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &AlignSetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_get_calibration_state, this,
                &AlignSetForm::usb_receive_get_calibration_state);
        connect(protocol, &UsbCommunicateUtil::usb_receive_report_calibration_switch, this,
                &AlignSetForm::usb_receive_report_calibration_switch);
        connect(protocol, &UsbCommunicateUtil::usb_receive_report_calibration, this,
                &AlignSetForm::usb_receive_report_calibration);
        connect(protocol, &UsbCommunicateUtil::usb_receive_save_calibration, this,
                &AlignSetForm::usb_receive_save_calibration);
    }
    refreshLanguageUi();
    applyLayout();
}

AlignSetForm::~AlignSetForm()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    qInfo().noquote() << "=== 校准设置页面销毁 ===";
}

void AlignSetForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    mTitleBar = new PageTitleBar(PageTitleBar::AlignPage, this);
    layout->addWidget(mTitleBar);

    auto *middle = new QWidget(this);
    middle->setObjectName(QStringLiteral("middleWidget"));
    middle->setMinimumSize(1260, 344);
    auto *middleRow = new QHBoxLayout(middle);
    middleRow->setContentsMargins(0, 0, 0, 0);
    mKeyboardWidget = new QWidget(middle);
    mKeyboardWidget->setObjectName(QStringLiteral("keyboardWidget"));
    mKeyboardWidget->setMinimumSize(932, 344);
    middleRow->addStretch(1);
    middleRow->addWidget(mKeyboardWidget);
    middleRow->addStretch(1);
    layout->addWidget(middle);

    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("bottomWidget"));
    auto *bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    auto *display = new QWidget(bottom);
    display->setObjectName(QStringLiteral("displayWidget"));
    display->setAttribute(Qt::WA_StyledBackground);
    display->setFixedWidth(400);
    display->setMinimumHeight(300);
    auto *column = new QVBoxLayout(display);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    const auto button = [display, column](const char *name) {
        auto *b = new QPushButton(display);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumHeight(40);
        b->setFocusPolicy(Qt::NoFocus);
        column->addWidget(b);
        return b;
    };
    mStartButton = button("alignStartButton");
    mSaveButton = button("alignSaveButton");
    // Raw sensor readings are not offered to the user.
    mAdcButtons = {button("openAdcButton"), button("closeAdcButton")};
    for (QPushButton *b : std::as_const(mAdcButtons))
        b->hide();
    auto *describe = new QWidget(display);
    describe->setObjectName(QStringLiteral("describeWidget"));
    describe->setMinimumHeight(150);
    auto *describeColumn = new QVBoxLayout(describe);
    describeColumn->setContentsMargins(0, 0, 0, 0);
    mDescribeLabel = new QLabel(describe);
    mDescribeLabel->setObjectName(QStringLiteral("describeLabel"));
    mDescribeLabel->setWordWrap(true);
    describeColumn->addWidget(mDescribeLabel);
    describeColumn->addStretch(1);
    column->addWidget(describe, 1);
    bottomRow->addStretch(1);
    bottomRow->addWidget(display);
    bottomRow->addStretch(1);
    layout->addWidget(bottom);
    layout->addStretch(1);
}

QAlignKeyboardWidget *AlignSetForm::keyboard() const
{
    return mKeyboard;
}

bool AlignSetForm::isCalibrating() const
{
    return mPhase == Starting || mPhase == SwitchingOn || mPhase == Calibrating;
}

void AlignSetForm::repaintInterface()
{
    mOnPage = true;
    mTitleBar->checkCurrent();
    repaintKeyKeyboard();
    applyLayout();
}

void AlignSetForm::repaintKeyKeyboard()
{
    if (mKeyboard) {
        mKeyboard->hide();
        mKeyboard->deleteLater();
    }
    mReport.clear();
    mKeyboard = new QAlignKeyboardWidget(mKeyboardWidget);
    const int positions = gKeyboardConfig ? int(gKeyboardConfig->keyPositionMap.size()) : 0;
    if (positions == 68) {
        mKeyboard->setMinimumSize(865, 290);
        mKeyboard->resize(865, 290);
        mKeyboard->move(30, 27);
    } else {
        mKeyboard->move(0, 0);
    }
    mKeyboard->initializeKeyboard();
    mKeyboard->show();
}

void AlignSetForm::applyLayout()
{
    const bool calibrating = isCalibrating();
    mStartButton->setVisible(!calibrating);
    mSaveButton->setVisible(calibrating);
    mDescribeLabel->setVisible(calibrating);
    update();
}

void AlignSetForm::setPhase(Phase phase)
{
    if (mPhase == phase)
        return;
    qInfo().noquote() << QStringLiteral("=== AlignSetForm 校准阶段 {%1} -> {%2} ===").arg(mPhase).arg(phase);
    mPhase = phase;
    if (phase != Storing)
        mSaveTimer->stop();
    applyLayout();
}

void AlignSetForm::exitInterface()
{
    mOnPage = false;
    endCalibration();
}

void AlignSetForm::exitAlign(bool send)
{
    if (!send) {
        setPhase(Idle);
    } else if (mPhase == Storing && mSaveTimer->isActive()) {
        // Whatever the caller sends next would take the store's place: the store goes first.
        mSaveTimer->stop();
        sendSave();
        setPhase(Idle);
    } else {
        endCalibration();
    }
}

void AlignSetForm::endCalibration()
{
    // A save the user asked for goes on; a calibration that was not saved ends unsaved.
    if (mPhase == Starting) {
        setPhase(Idle);
    } else if (mPhase == SwitchingOn || mPhase == Calibrating) {
        setPhase(Leaving);
        switchReport(false);
    }
}

void AlignSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    mStartButton->setText(tr("开始校准"));
    mSaveButton->setText(tr("保存校准"));
    mAdcButtons[0]->setText(tr("打开ADC"));
    mAdcButtons[1]->setText(tr("关闭ADC"));
    mDescribeLabel->setText(
        tr("温馨提示：请单个按压键盘按键，完全按压直到触底并保持触底，（上下左右四个方向）晃动一下，持续2秒以上，"
           "最后完全松开，每个按键建议重复整个过程两到三次。\n警告提示：关闭软件或者退出校准界面之前，请保存校准。"
           "如果意外关闭了软件，没有退出校准，导致键盘一直常量灯或者键盘工作不正常，请重新插拔键盘。"));
}

void AlignSetForm::on_alignStartButton_clicked()
{
    // A calibration that was left may start again while its switch-off is still unanswered: the
    // keyboard takes the requests in order.
    if ((mPhase != Idle && mPhase != Leaving) || !gUsbCommunicateUtil)
        return;
    mReport.clear();
    setPhase(Starting);
    gUsbCommunicateUtil->usb_get_calibration_state(Source, true);
}

void AlignSetForm::on_alignSaveButton_clicked()
{
    if (mPhase == Starting) {
        // The report was not switched on yet: there is nothing to store.
        setPhase(Idle);
    } else if (mPhase == SwitchingOn || mPhase == Calibrating) {
        setPhase(SwitchingOff);
        switchReport(false);
    }
}

void AlignSetForm::switchReport(bool on)
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->usb_set_report_calibration(Source, !on, on);
}

void AlignSetForm::sendSave()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->usb_save_calibration(Source, true);
}

bool AlignSetForm::foreignSource(const char *slot, uchar source)
{
    if (source == Source)
        return false;
    qInfo().noquote() << QStringLiteral("=== AlignSetForm %1 数据来源不匹配 source:{ %2 } ===").arg(QLatin1String(slot)).arg(source);
    return true;
}

void AlignSetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== AlignSetForm usb错误 source={%1};order={%2};error={%3}===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (foreignSource("usb_communicate_error", source))
        return;
    if (order == kStateReply && mPhase == Starting) {
        showToast(tr("打开校准失败"));
        setPhase(Idle);
    } else if (order == kSwitchReply && mPhase == SwitchingOn) {
        showToast(tr("打开校准失败"));
        setPhase(Idle);
    } else if (order == kSwitchReply && mPhase == SwitchingOff) {
        // The report may still be on: while the page is shown the user can save again.
        showToast(tr("保存校准失败"));
        setPhase(mOnPage ? Calibrating : Idle);
    } else if (order == kSwitchReply && mPhase == Leaving) {
        setPhase(Idle);
    } else if (order == kSaveReply && mPhase == Storing) {
        showToast(tr("保存校准失败"));
        setPhase(Idle);
    }
}

void AlignSetForm::usb_receive_get_calibration_state(uchar source, int current, int total,
                                                     QMap<uchar, uchar> keyboardCalibrationMap)
{
    if (foreignSource("usb_receive_get_calibration_state", source) || current < total)
        return;
    if (mPhase != Starting) {
        qInfo().noquote() << "=== AlignSetForm usb_receive_get_calibration_state 不在校准中，忽略 ===";
        return;
    }
    if (mKeyboard) {
        for (auto it = keyboardCalibrationMap.cbegin(); it != keyboardCalibrationMap.cend(); ++it)
            mKeyboard->setKeyStatus(it.key(), it.value() ? QAdjustKeyLabel::StatusPassed : QAdjustKeyLabel::StatusNotPassed);
    }
    setPhase(SwitchingOn);
    switchReport(true);
}

void AlignSetForm::usb_receive_report_calibration_switch(uchar source, int, int, uchar result)
{
    if (foreignSource("usb_receive_report_calibration_switch", source))
        return;
    qInfo().noquote() << QStringLiteral("=== AlignSetForm 上报开关应答 result={%1};phase={%2} ===").arg(result).arg(mPhase);
    switch (mPhase) {
    case SwitchingOn:
        if (result != 0)
            showToast(tr("打开校准失败"));
        setPhase(result == 0 ? Calibrating : Idle);
        break;
    case SwitchingOff:
        if (result != 0) {
            showToast(tr("保存校准失败"));
            setPhase(mOnPage ? Calibrating : Idle);
            break;
        }
        // The keyboard needs a moment after the report stopped before it can store.
        setPhase(Storing);
        mSaveTimer->start();
        break;
    case Leaving:
        setPhase(Idle);
        break;
    default:
        break;
    }
}

void AlignSetForm::usb_receive_report_calibration(uchar source, int current, int total,
                                                  QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList)
{
    if (foreignSource("usb_receive_report_calibration", source))
        return;
    if (mPhase != SwitchingOn && mPhase != Calibrating && mPhase != SwitchingOff)
        return;
    // One report may span several frames: it is shown once it is whole, so that keys of a later
    // frame do not flicker back to rest.
    if (current <= 1)
        mReport.clear();
    mReport += keyboardAlignList;
    if (current < total)
        return;
    // An empty report: no key is pressed any more.
    if (mKeyboard)
        mKeyboard->setListKeyDepth(mReport);
    else
        qInfo().noquote() << "=== AlignSetForm usb_receive_report_calibration 没有键盘图 ===";
    mReport.clear();
}

void AlignSetForm::usb_receive_save_calibration(uchar source, int current, int total)
{
    if (foreignSource("usb_receive_save_calibration", source) || current < total)
        return;
    if (mPhase == Storing)
        setPhase(Idle);
}

void AlignSetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
