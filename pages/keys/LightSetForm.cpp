#include "pages/keys/LightSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyboardLayout.h"
#include "pages/common/PageTitleBar.h"
#include "pages/common/QCustomSlider.h"
#include "pages/keys/QColorChooser.h"
#include "pages/keys/QLightKeyboardWidget.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/ChosenButton.h"
#include "widgets/QToastBox.h"

#include <QCheckBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <set>

namespace {
constexpr uchar kSource = UsbCommunicateUtil::SourceLightPage;
constexpr int kToastMs = 2000;
constexpr int kModeColumns = 4;
// Bits of an effect's functionFlag: the settings it has.
constexpr uchar kHasColor = 0x01;
constexpr uchar kHasSpeed = 0x02;
constexpr uchar kHasLight = 0x04;
constexpr uchar kHasFullColor = 0x08;

QString hex2(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QLabel *namedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// An object-named widget for a row of the settings, with its layout.
QHBoxLayout *rowLayout(QWidget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    return layout;
}
} // namespace

LightSetForm::LightSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LightSetForm"));
    qInfo().noquote() << "=== 灯光设置页面初始化 ===";
    buildForm();
    QMetaObject::connectSlotsByName(this);
    connect(mLightSlider, &QCustomSlider::customSliderClicked, this, &LightSetForm::lightSliderClicked);
    connect(mSpeedSlider, &QCustomSlider::customSliderClicked, this, &LightSetForm::speedSliderClicked);
    connect(mColorChooser, &QColorChooser::colorChosen, this, &LightSetForm::colorChanged);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &LightSetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_custom_light, this,
                &LightSetForm::usb_receive_set_custom_light);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_effect_light, this,
                &LightSetForm::usb_receive_set_effect_light);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_effect_light_language, this,
                &LightSetForm::usb_receive_set_effect_light_language);
        connect(protocol, &UsbCommunicateUtil::usb_receive_select_effect_light, this,
                &LightSetForm::usb_receive_select_effect_light);
    }
    retranslate();
    showRows(false, false, false, false);
}

LightSetForm::~LightSetForm()
{
    qInfo().noquote() << "=== 灯光设置页面销毁 ===";
}

void LightSetForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    mTitleBar = new PageTitleBar(PageTitleBar::LightPage, this);
    layout->addWidget(mTitleBar);

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("topWidget"));
    auto *topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(24, 0, 24, 0);
    topRow->addStretch(1);
    auto *pictureColumn = new QVBoxLayout;
    pictureColumn->setSpacing(8);
    mKeyboardWidget = new QWidget(top);
    mKeyboardWidget->setObjectName(QStringLiteral("keyboardWidget"));
    mKeyboardWidget->setMinimumSize(932, 344);
    pictureColumn->addWidget(mKeyboardWidget);
    auto *selectRow = new QHBoxLayout;
    selectRow->setSpacing(8);
    selectRow->addStretch(1);
    mSelectAllBtn = new QToolButton(top);
    mSelectAllBtn->setObjectName(QStringLiteral("selectAllBtn"));
    mInvertBtn = new QToolButton(top);
    mInvertBtn->setObjectName(QStringLiteral("invertBtn"));
    mDeselectAllBtn = new QToolButton(top);
    mDeselectAllBtn->setObjectName(QStringLiteral("deselectAllBtn"));
    for (QToolButton *button : {mSelectAllBtn, mInvertBtn, mDeselectAllBtn}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(88, 32);
        selectRow->addWidget(button);
    }
    pictureColumn->addLayout(selectRow);
    topRow->addLayout(pictureColumn);
    topRow->addStretch(1);
    layout->addWidget(top);

    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("bottomWidget"));
    auto *bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(24, 0, 24, 12);
    bottomRow->setSpacing(16);
    bottomRow->addStretch(1);
    bottomRow->addWidget(buildModePanel());
    bottomRow->addWidget(buildSettingsPanel());
    bottomRow->addStretch(1);
    layout->addWidget(bottom);
    layout->addStretch(1);
}

QWidget *LightSetForm::buildModePanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("modeWidget"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedWidth(500);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(16, 6, 16, 16);
    mModeLabel = namedLabel("modeLabel", panel);
    column->addWidget(mModeLabel);
    auto *scroll = mModeScrollArea = new QScrollArea(panel);
    scroll->setObjectName(QStringLiteral("lightEffectNameScrollArea"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *contents = new QWidget(scroll);
    contents->setObjectName(QStringLiteral("lightEffectNameScrollContents"));
    mModeGrid = new QGridLayout(contents);
    mModeGrid->setObjectName(QStringLiteral("lightEffectNameGridLayout"));
    mModeGrid->setContentsMargins(0, 0, 0, 0);
    mModeGrid->setSpacing(10);
    mModeGrid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(contents);
    column->addWidget(scroll, 1);
    return panel;
}

QWidget *LightSetForm::buildSettingsPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("settingWidget"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedWidth(640);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(20, 14, 20, 16);
    column->setSpacing(10);

    mPromptLabel = namedLabel("promptLabel", panel);
    mPromptLabel->setAlignment(Qt::AlignCenter);
    mPromptLabel->setWordWrap(true);
    column->addWidget(mPromptLabel, 1);

    const auto sliderRow = [panel, column](QWidget *&widget, const char *name, QLabel *&prompt, const char *promptName,
                                           QCustomSlider *&slider, const char *sliderName, QLabel *&value,
                                           const char *valueName) {
        widget = new QWidget(panel);
        QHBoxLayout *layout = rowLayout(widget, name);
        prompt = namedLabel(promptName, widget);
        prompt->setMinimumWidth(90);
        slider = new QCustomSlider(widget);
        slider->setObjectName(QString::fromLatin1(sliderName));
        slider->setOrientation(Qt::Horizontal);
        slider->setMinimumSize(400, 30);
        value = namedLabel(valueName, widget);
        value->setMinimumWidth(40);
        layout->addWidget(prompt);
        layout->addWidget(slider, 1);
        layout->addWidget(value);
        column->addWidget(widget);
    };
    sliderRow(mLightWidget, "lightWidget", mLightPromptLabel, "lightPromptLabel", mLightSlider, "lightSlider",
              mLightLabel, "lightLabel");
    sliderRow(mSpeedWidget, "speedWidget", mSpeedPromptLabel, "speedPromptLabel", mSpeedSlider, "speedSlider",
              mSpeedLabel, "speedLabel");
    mLightSlider->setRange(0, 100);
    mSpeedSlider->setRange(1, 100);

    mFullColorWidget = new QWidget(panel);
    QHBoxLayout *fullRow = rowLayout(mFullColorWidget, "fullColorWidget");
    mFullColorLabel = namedLabel("fullColorLabel", mFullColorWidget);
    mFullColorLabel->setMinimumWidth(90);
    mColorCheckBox = new QCheckBox(mFullColorWidget);
    mColorCheckBox->setObjectName(QStringLiteral("colorCheckBox"));
    fullRow->addWidget(mFullColorLabel);
    fullRow->addWidget(mColorCheckBox);
    fullRow->addStretch(1);
    column->addWidget(mFullColorWidget);

    mColorChooser = new QColorChooser(panel);
    column->addWidget(mColorChooser);
    column->addStretch(1);
    return panel;
}

QLightKeyboardWidget *LightSetForm::keyboard() const
{
    return mLightKeyboard;
}

void LightSetForm::retranslate()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    mSelectAllBtn->setText(tr("全选"));
    mInvertBtn->setText(tr("反选"));
    mDeselectAllBtn->setText(tr("取消全选"));
    mModeLabel->setText(tr("选择模式"));
    mPromptLabel->setText(tr("请选择一种灯光模式"));
    mLightPromptLabel->setText(tr("亮度"));
    mSpeedPromptLabel->setText(tr("速度"));
    mFullColorLabel->setText(tr("全彩"));
    mColorChooser->retranslate();
}

void LightSetForm::refreshLanguageUi()
{
    retranslate();
    // The keyboard names its effects in the user's language.
    if (gUsbCommunicateUtil && gUsbCommunicateUtil->checkCommunicateState() && gKeyboardConfig &&
        gKeyboardConfig->productInfo)
        gUsbCommunicateUtil->usb_get_effect_light_name(kSource, false);
}

void LightSetForm::repaintInterface()
{
    mEffectMode = NoMode;
    mPending = Pending::None;
    mTitleBar->checkCurrent();
    repaintKeyKeyboard();
    initializeLightEffectMode();
    showRows(false, false, false, false);
    mPromptLabel->show();
}

void LightSetForm::exitInterface()
{
}

void LightSetForm::resetLightSelect()
{
    mEffectMode = NoMode;
}

void LightSetForm::repaintKeyKeyboard()
{
    if (mLightKeyboard) {
        mLightKeyboard->hide();
        mLightKeyboard->deleteLater();
    }
    mLightKeyboard = new QLightKeyboardWidget(mKeyboardWidget);
    const int positions = gKeyboardConfig ? int(gKeyboardConfig->keyPositionMap.size()) : 0;
    if (positions == 68) {
        mLightKeyboard->setMinimumSize(865, 290);
        mLightKeyboard->resize(865, 290);
        mLightKeyboard->move(30, 27);
    } else {
        mLightKeyboard->move(0, 0);
    }
    mLightKeyboard->initializeKeyboard();
    mLightKeyboard->show();
}

void LightSetForm::initializeLightEffectMode()
{
    for (QToolButton *button : std::as_const(mModeButtons))
        button->deleteLater();
    mModeButtons.clear();
    while (QLayoutItem *item = mModeGrid->takeAt(0))
        delete item;

    const auto addButton = [this](uchar mode, const QString &text, int index) {
        auto *button = new QToolButton(mModeGrid->parentWidget());
        button->setObjectName(QStringLiteral("modeButton%1").arg(mode));
        button->setText(text);
        button->setToolTip(text);
        button->setMinimumSize(100, 40);
        button->setMaximumHeight(40);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, mode] { handleEffectModeButtonClick(mode); });
        mModeGrid->addWidget(button, index / kModeColumns, index % kModeColumns);
        button->show();
        mModeButtons.insert(mode, button);
    };
    addButton(CustomMode, tr("自定义"), 0);
    int index = 1;
    if (gKeyboardConfig) {
        for (const auto &name : std::as_const(gKeyboardConfig->keyboardEffectLightNameMap)) {
            if (name && name->index != CustomMode && name->index != NoMode)
                addButton(name->index, name->name, index++);
        }
    }
    for (int column = 0; column < kModeColumns; ++column)
        mModeGrid->setColumnStretch(column, 1);
    // Every mode is shown whole however little room the settings beside it take.
    const int height = mModeGrid->minimumSize().height();
    mModeScrollArea->setMinimumHeight(height + 2 * mModeScrollArea->frameWidth());
    refreshEffectModeButton(mEffectMode);
}

void LightSetForm::showRows(bool light, bool speed, bool fullColor, bool color)
{
    mPromptLabel->hide();
    mLightWidget->setVisible(light);
    mSpeedWidget->setVisible(speed);
    mFullColorWidget->setVisible(fullColor);
    mColorChooser->setVisible(color);
}

void LightSetForm::showLight()
{
    const QSignalBlocker blocker(mLightSlider);
    mLightSlider->setValue(mLight);
    mLightLabel->setText(QString::number(mLightSlider->value()));
}

void LightSetForm::showSpeed()
{
    const QSignalBlocker blocker(mSpeedSlider);
    mSpeedSlider->setValue(mSpeed);
    mSpeedLabel->setText(QString::number(mSpeedSlider->value()));
}

void LightSetForm::displayEffectLight(const uchar &mode)
{
    if (mode == CustomMode) {
        mEffectMode = CustomMode;
        if (mLightKeyboard)
            mLightKeyboard->setKeyboardEnable(true);
        showRows(true, false, false, true);
        showLight();
        mColorChooser->showColor(mColor);
        refreshEffectModeButton(CustomMode);
        confirmValues();
        return;
    }
    const auto record = gKeyboardConfig ? gKeyboardConfig->getKeyboardEffectLight(mode) : nullptr;
    if (!record) {
        showRows(false, false, false, false);
        return;
    }
    const uchar flags = record->functionFlag;
    showRows(flags & kHasLight, flags & kHasSpeed, flags & kHasFullColor, flags & kHasColor);
    if (flags & kHasLight) {
        mLight = record->light;
        showLight();
    }
    if (flags & kHasSpeed) {
        mSpeed = record->speed;
        showSpeed();
    }
    // Only what the user clicks is sent: the box follows the effect silently.
    mFullColor = (flags & kHasFullColor) && record->fullColor != 0;
    mColorCheckBox->setChecked(mFullColor);
    if (flags & kHasColor)
        mColorChooser->showColor(QColor(record->colorR, record->colorG, record->colorB));
    confirmValues();
}

void LightSetForm::refreshEffectModeButton(const uchar &mode)
{
    for (auto it = mModeButtons.cbegin(); it != mModeButtons.cend(); ++it)
        ChosenButton::mark(it.value(), it.key() == mode);
    update();
}

void LightSetForm::handleEffectModeButtonClick(const uchar &mode)
{
    // The mode changes when the keyboard confirms it; until then the shown mode stays marked.
    refreshEffectModeButton(mEffectMode);
    if (mode == mEffectMode)
        return;
    send_light_type_select(mode);
}

void LightSetForm::confirmValues()
{
    mConfirmed = {mLight, mSpeed, mFullColor, mColor};
}

void LightSetForm::revert()
{
    mLight = mConfirmed.light;
    mSpeed = mConfirmed.speed;
    mFullColor = mConfirmed.fullColor;
    mColor = mConfirmed.color;
    if (mEffectMode == CustomMode) {
        showLight();
        mColorChooser->showColor(mColor);
    } else if (mEffectMode != NoMode) {
        displayEffectLight(mEffectMode);
    }
}

void LightSetForm::on_selectAllBtn_clicked()
{
    if (mLightKeyboard)
        mLightKeyboard->selectAllKey();
}

void LightSetForm::on_invertBtn_clicked()
{
    if (mLightKeyboard)
        mLightKeyboard->invertAllKey();
}

void LightSetForm::on_deselectAllBtn_clicked()
{
    if (mLightKeyboard)
        mLightKeyboard->deselectAllKey();
}

void LightSetForm::lightSliderClicked(int type, int value)
{
    mLightLabel->setText(QString::number(value));
    if (type != QCustomSlider::Release || value == mLight)
        return;
    mLight = value;
    const bool sent = mEffectMode == CustomMode ? send_custom_light_data() : sendEffectChange(EffectField::Light);
    if (!sent)
        revert();
}

void LightSetForm::speedSliderClicked(int type, int value)
{
    mSpeedLabel->setText(QString::number(value));
    if (type != QCustomSlider::Release || value == mSpeed)
        return;
    mSpeed = value;
    if (!sendEffectChange(EffectField::Speed))
        revert();
}

void LightSetForm::on_colorCheckBox_clicked(bool checked)
{
    if (checked == mFullColor)
        return;
    mFullColor = checked;
    if (!sendEffectChange(EffectField::FullColor))
        revert();
}

void LightSetForm::colorChanged(QColor color)
{
    if (!color.isValid())
        return;
    mColor = color;
    bool sent = false;
    if (mEffectMode == CustomMode)
        sent = send_custom_light_data();
    else if (mEffectMode != NoMode)
        sent = sendEffectChange(EffectField::Color);
    else
        return; // no mode shown: the colour waits for one
    if (!sent)
        revert();
}

void LightSetForm::send_light_type_select(uchar mode)
{
    if (!gUsbCommunicateUtil)
        return;
    mPending = Pending::Select;
    gUsbCommunicateUtil->usb_select_effect_light(kSource, false, mode);
}

QList<uchar> LightSetForm::get_select_custom_light()
{
    if (!mLightKeyboard)
        return {};
    std::set<uchar> keys;
    for (uchar key : mLightKeyboard->getSelectKey()) {
        if (!gKeyboardConfig) {
            keys.insert(key);
            continue;
        }
        // A key with two sensors lights as one: both take the colour.
        for (uchar shared : KeyboardLayout::keysSharingPosition(gKeyboardConfig->keyPositionMap, key))
            keys.insert(shared);
    }
    return QList<uchar>(keys.cbegin(), keys.cend());
}

bool LightSetForm::send_custom_light_data()
{
    const QList<uchar> keys = get_select_custom_light();
    if (keys.isEmpty()) {
        showToast(tr("请先选择要设置的按键，再修改亮度或颜色！"));
        return false;
    }
    // Without a colour chosen on the page, the keys keep the colour they share on the keyboard.
    QColor color = mColor;
    if (!color.isValid()) {
        for (uchar key : keys) {
            const auto light = gKeyboardConfig ? gKeyboardConfig->getKeyboardCustomLight(key) : nullptr;
            const QColor own = light ? QColor(light->colorR, light->colorG, light->colorB) : QColor();
            if (!own.isValid() || (color.isValid() && own != color)) {
                color = QColor();
                break;
            }
            color = own;
        }
    }
    if (!color.isValid()) {
        showToast(tr("请先选择颜色，再修改亮度！"));
        return false;
    }
    if (!gUsbCommunicateUtil)
        return false;
    KEYBOARD_EFFECT_LIGHT light;
    light.item = CustomMode;
    light.light = uchar(mLight);
    light.colorR = uchar(color.red());
    light.colorG = uchar(color.green());
    light.colorB = uchar(color.blue());
    mPending = Pending::Custom;
    gUsbCommunicateUtil->usb_set_custom_light(kSource, false, light, keys);
    return true;
}

bool LightSetForm::effectInRange(uchar mode) const
{
    if (!gKeyboardConfig || gKeyboardConfig->keyboardEffectLightNameMap.isEmpty())
        return false;
    const EffectLightNameMap &names = gKeyboardConfig->keyboardEffectLightNameMap;
    return mode >= names.firstKey() && mode <= names.lastKey();
}

bool LightSetForm::sendEffectChange(EffectField field)
{
    if (!effectInRange(mEffectMode) || !gUsbCommunicateUtil)
        return false;
    const auto record = gKeyboardConfig->getKeyboardEffectLight(mEffectMode);
    if (!record)
        return false;
    KEYBOARD_EFFECT_LIGHT light = *record;
    light.item = mEffectMode;
    uchar needs = 0;
    switch (field) {
    case EffectField::Light:
        needs = kHasLight;
        light.light = uchar(mLight);
        break;
    case EffectField::Speed:
        needs = kHasSpeed;
        light.speed = uchar(mSpeed);
        break;
    case EffectField::FullColor:
        needs = kHasFullColor;
        light.fullColor = mFullColor ? 1 : 0;
        break;
    case EffectField::Color:
        needs = kHasColor;
        light.colorR = uchar(mColor.red());
        light.colorG = uchar(mColor.green());
        light.colorB = uchar(mColor.blue());
        if (!mColor.isValid())
            return false;
        break;
    }
    if (!(record->functionFlag & needs))
        return false;
    mPending = Pending::Effect;
    gUsbCommunicateUtil->usb_set_effect_light(kSource, false, light);
    return true;
}

bool LightSetForm::fromOtherSource(uchar source, const char *slot) const
{
    if (source == kSource)
        return false;
    qInfo().noquote() << QStringLiteral("=== LightSetForm %1 数据来源不匹配 source:{ %2 } ===")
                             .arg(QString::fromLatin1(slot))
                             .arg(source);
    return true;
}

void LightSetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== LightSetForm usb错误 source={%1};order={%2};error={%3}===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (source != UsbCommunicateUtil::SourceLink && fromOtherSource(source, "usb_communicate_error"))
        return;
    if (mPending == Pending::None)
        return;
    // The change did not reach the keyboard: show what it holds and say so.
    mPending = Pending::None;
    revert();
    refreshEffectModeButton(mEffectMode);
    showToast(tr("灯光设置失败"));
}

void LightSetForm::usb_receive_set_custom_light(uchar source, int current, int total)
{
    if (fromOtherSource(source, "usb_receive_set_custom_light") || current < total)
        return;
    mPending = Pending::None;
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncModifyCustomLight();
    if (mLightKeyboard)
        mLightKeyboard->refreshKeyColors();
    confirmValues();
}

void LightSetForm::usb_receive_set_effect_light(uchar source, int current, int total)
{
    if (fromOtherSource(source, "usb_receive_set_effect_light") || current < total)
        return;
    mPending = Pending::None;
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncModifyEffectLight();
    refreshEffectModeButton(mEffectMode);
    displayEffectLight(mEffectMode);
}

void LightSetForm::usb_receive_set_effect_light_language(uchar source, int current, int total)
{
    if (fromOtherSource(source, "usb_receive_set_effect_light_language") || current < total)
        return;
    // The names are the keyboard's; the mode buttons take them when the page is entered next.
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncEffectLightName();
}

void LightSetForm::usb_receive_select_effect_light(uchar source, int current, int total, int index)
{
    if (fromOtherSource(source, "usb_receive_select_effect_light") || current < total)
        return;
    mPending = Pending::None;
    mEffectMode = uchar(index);
    if (mLightKeyboard)
        mLightKeyboard->setKeyboardEnable(mEffectMode == CustomMode);
    refreshEffectModeButton(mEffectMode);
    displayEffectLight(mEffectMode);
}

void LightSetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
