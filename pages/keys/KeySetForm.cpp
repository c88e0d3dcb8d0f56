#include "pages/keys/KeySetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyboardLayout.h"
#include "pages/common/PageTitleBar.h"
#include "pages/common/TipText.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QKeyKeyboardWidget.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/ChosenButton.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr uchar kSource = UsbCommunicateUtil::SourceKeyPage;
constexpr uchar kNoKey = KeyboardConfigUtil::NoItem;
constexpr int kToastMs = 2000;

struct Category {
    const char *button;
    const char *page;
    QRect geometry; // of the picker in its page
};
// Categories 0 to 4; the stack holds their pages in the order keyPage, systemPage, macroPage,
// extentPage, lightPage.
const Category kCategories[KeySetForm::CategoryCount] = {
    {"keyboardBtn", "keyPage", QRect(0, 0, 1100, 284)},
    {"systemBtn", "systemPage", QRect(280, 0, 539, 98)},
    {"macroBtn", "macroPage", QRect(280, 0, 539, 44)},
    {"lightBtn", "lightPage", QRect(280, 0, 539, 44)},
    {"extendBtn", "extentPage", QRect(280, 0, 441, 98)},
};
const int kStackOrder[KeySetForm::CategoryCount] = {0, 1, 2, 4, 3};

QString hex2(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

KeySetForm::KeySetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KeySetForm"));
    qInfo().noquote() << "=== 按键设置页面初始化 ===";
    buildForm();
    QMetaObject::connectSlotsByName(this);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &KeySetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_keyboard_config, this,
                &KeySetForm::usb_receive_set_keyboard_config);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_keyboard_default, this,
                &KeySetForm::usb_receive_set_keyboard_default);
    }
    refreshLanguageUi();
}

KeySetForm::~KeySetForm()
{
    qInfo().noquote() << "=== 按键设置页面销毁 ===";
}

void KeySetForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    mTitleBar = new PageTitleBar(PageTitleBar::KeyPage, this);
    layout->addWidget(mTitleBar);

    const auto centred = [this, layout](const char *name, QWidget *inner) {
        auto *outer = new QWidget(this);
        outer->setObjectName(QString::fromLatin1(name));
        auto *row = new QHBoxLayout(outer);
        row->setContentsMargins(24, 0, 24, 0);
        row->addStretch(1);
        row->addWidget(inner);
        row->addStretch(1);
        layout->addWidget(outer);
        return outer;
    };

    mKeyboardWidget = new QWidget(this);
    mKeyboardWidget->setObjectName(QStringLiteral("keyboardWidget"));
    mKeyboardWidget->setMinimumSize(932, 344);
    centred("topWidget", mKeyboardWidget);

    auto *middle = new QWidget(this);
    middle->setObjectName(QStringLiteral("middleWidget"));
    auto *middleRow = new QHBoxLayout(middle);
    middleRow->setContentsMargins(0, 0, 0, 0);
    middleRow->setSpacing(0);
    mNormalLayerButton = new QToolButton(middle);
    mNormalLayerButton->setObjectName(QStringLiteral("normalLayerButton"));
    mFn1LayerButton = new QToolButton(middle);
    mFn1LayerButton->setObjectName(QStringLiteral("fn1LayerButton"));
    for (QToolButton *button : {mNormalLayerButton, mFn1LayerButton}) {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(96, 40);
        middleRow->addWidget(button);
    }
    middleRow->addSpacing(48);
    auto *typeWidget = new QWidget(middle);
    typeWidget->setObjectName(QStringLiteral("typeWidget"));
    typeWidget->setFixedSize(600, 40);
    for (int i = 0; i < CategoryCount; ++i) {
        auto *button = new QToolButton(typeWidget);
        button->setObjectName(QString::fromLatin1(kCategories[i].button));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(120 * i, 0, 120, 40);
        mCategoryButtons.append(button);
    }
    middleRow->addWidget(typeWidget);
    centred("middleRowWidget", middle);

    mKeyStackedWidget = new QStackedWidget(this);
    mKeyStackedWidget->setObjectName(QStringLiteral("keyStackedWidget"));
    mKeyStackedWidget->setMinimumSize(1100, 290);
    const char *stackPages[] = {"keyPage", "systemPage", "macroPage", "extentPage", "lightPage"};
    for (const char *name : stackPages) {
        auto *page = new QWidget(mKeyStackedWidget);
        page->setObjectName(QString::fromLatin1(name));
        mKeyStackedWidget->addWidget(page);
    }
    for (int i = 0; i < CategoryCount; ++i)
        mCategoryPages.append(mKeyStackedWidget->widget(kStackOrder[i]));
    centred("bottomWidget", mKeyStackedWidget);
    layout->addStretch(1);
}

QKeyKeyboardWidget *KeySetForm::keyboard() const
{
    return mKeyKeyboard;
}

QInputKeyboardWidget *KeySetForm::picker(int category) const
{
    return category >= 0 && category < CategoryCount ? mInputs[category].data() : nullptr;
}

void KeySetForm::repaintInterface()
{
    mTitleBar->checkCurrent();
    ChosenButton::mark(mNormalLayerButton, mLayer == 0);
    ChosenButton::mark(mFn1LayerButton, mLayer == 1);
    mKeyType = 0;
    displayKeyboardSelect();
    mKeyStackedWidget->setCurrentWidget(mCategoryPages[0]);
    repaintKeyKeyboard();
    repaintInputKeyboard();
}

void KeySetForm::exitInterface()
{
    TipText::hidePrompt();
}

void KeySetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    mNormalLayerButton->setText(tr("普通层"));
    mFn1LayerButton->setText(tr("Fn"));
    const QString categories[] = {tr("键盘按键"), tr("系统按键"), tr("宏按键"), tr("灯效按键"), tr("扩展按键")};
    for (int i = 0; i < CategoryCount; ++i)
        mCategoryButtons[i]->setText(categories[i]);
    if (mInputs[0])
        mInputs[0]->refreshLanguageUi();
}

void KeySetForm::displayKeyboardSelect()
{
    for (int i = 0; i < CategoryCount; ++i)
        ChosenButton::mark(mCategoryButtons[i], i == mKeyType);
    update();
}

void KeySetForm::repaintKeyKeyboard()
{
    if (mKeyKeyboard) {
        mKeyKeyboard->hide();
        mKeyKeyboard->deleteLater();
    }
    mKeyKeyboard = new QKeyKeyboardWidget(mLayer, mKeyboardWidget);
    const int positions = gKeyboardConfig ? int(gKeyboardConfig->keyPositionMap.size()) : 0;
    if (positions == 68) {
        mKeyKeyboard->setMinimumSize(865, 290);
        mKeyKeyboard->resize(865, 290);
        mKeyKeyboard->move(30, 27);
    } else {
        mKeyKeyboard->move(0, 0);
    }
    mKeyKeyboard->initializeKeyboard();
    mKeyKeyboard->show();
    const auto product = gKeyboardConfig ? gKeyboardConfig->productInfo : QSharedPointer<PRODUCT_INFO>();
    qInfo().noquote() << QStringLiteral("=== KeySetForm repaintKeyKeyboard serialNumber={%1};positions={%2} ===")
                             .arg(product ? QString::number(product->serialNumber, 16) : QStringLiteral("无产品"))
                             .arg(positions);
}

void KeySetForm::repaintInputKeyboard()
{
    const int category = mKeyType;
    if (mInputs[category]) {
        mInputs[category]->hide();
        mInputs[category]->deleteLater();
    }
    auto *input = new QInputKeyboardWidget(uchar(category), mCategoryPages[category]);
    input->setGeometry(kCategories[category].geometry);
    input->initializeKeyboard();
    input->show();
    connect(input, &QInputKeyboardWidget::input_keyboard_select, this, &KeySetForm::input_keyboard_select);
    if (category == 0) {
        input->openResetAndNullButton();
        connect(input, &QInputKeyboardWidget::input_keyboard_button, this, &KeySetForm::input_keyboard_button);
    }
    mInputs[category] = input;
}

void KeySetForm::on_normalLayerButton_clicked()
{
    mLayer = 0;
    repaintInterface();
    update();
}

void KeySetForm::on_fn1LayerButton_clicked()
{
    mLayer = 1;
    repaintInterface();
    update();
}

void KeySetForm::on_keyboardBtn_clicked() { selectCategory(0); }
void KeySetForm::on_systemBtn_clicked() { selectCategory(1); }
void KeySetForm::on_macroBtn_clicked() { selectCategory(2); }
void KeySetForm::on_lightBtn_clicked() { selectCategory(3); }
void KeySetForm::on_extendBtn_clicked() { selectCategory(4); }

void KeySetForm::selectCategory(int category)
{
    if (category == mKeyType) {
        ChosenButton::mark(mCategoryButtons[category], true);
        return;
    }
    mKeyType = category;
    displayKeyboardSelect();
    mKeyStackedWidget->setCurrentWidget(mCategoryPages[category]);
    repaintInputKeyboard();
}

QList<uchar> KeySetForm::selectedKeys()
{
    if (!mKeyKeyboard || !mKeyKeyboard->isKeySelected())
        return {};
    const uchar key = mKeyKeyboard->selectedKey();
    if (!gKeyboardConfig)
        return {key};
    // A key with two sensors takes its function on both, or it would act differently depending
    // on where it is pressed.
    QList<uchar> keys;
    for (uchar shared : KeyboardLayout::keysSharingPosition(gKeyboardConfig->keyPositionMap, key)) {
        if (shared == key || gKeyboardConfig->getKeyboardKeyInfo(mLayer, shared))
            keys.append(shared);
    }
    return keys;
}

void KeySetForm::input_keyboard_select(uchar type, uchar hValue, uchar lValue)
{
    qInfo().noquote() << QStringLiteral("=== KeySetForm input_keyboard_select type:( %1 },hValue:{%2 },lValue:{ %3 } ===")
                             .arg(type)
                             .arg(hValue)
                             .arg(lValue);
    const QList<uchar> keys = selectedKeys();
    if (keys.isEmpty())
        return;
    sendFunction(keys, type, hValue, lValue);
}

void KeySetForm::input_keyboard_button(uchar type)
{
    qInfo().noquote() << QStringLiteral("=== KeySetForm input_keyboard_button type:( %1 } ===").arg(type);
    if (!mKeyKeyboard)
        return;
    if (type == QInputKeyboardWidget::ResetLayer) {
        sendDefault({});
        return;
    }
    const QList<uchar> keys = selectedKeys();
    if (keys.isEmpty())
        return;
    if (type == QInputKeyboardWidget::DisableKey)
        sendFunction(keys, KeyTypeDisabled, 0xFF, 0xFF);
    else if (type == QInputKeyboardWidget::ResetKey)
        sendDefault(keys);
}

void KeySetForm::sendFunction(const QList<uchar> &keys, uchar type, uchar hValue, uchar lValue)
{
    if (!gUsbCommunicateUtil)
        return;
    KeyInfoMap map;
    for (uchar key : keys)
        map.insert(key, QSharedPointer<KEYBOARD_KEY_INFO>(new KEYBOARD_KEY_INFO{key, type, hValue, lValue}));
    mSelectItem = keys.first();
    mPending = true;
    mRequestLayer = mLayer;
    mRequestKeys = keys;
    gUsbCommunicateUtil->usb_set_keyboard_config(kSource, false, mLayer, map);
}

void KeySetForm::sendDefault(const QList<uchar> &keys)
{
    if (!gUsbCommunicateUtil)
        return;
    QList<uchar> list = keys.isEmpty() ? QList<uchar>{kNoKey} : keys;
    list.append(kNoKey);
    if (!keys.isEmpty())
        mSelectItem = keys.first();
    mPending = true;
    mRequestLayer = mLayer;
    mRequestKeys = keys;
    gUsbCommunicateUtil->usb_set_keyboard_default(kSource, false, mLayer, list);
}

void KeySetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== KeySetForm usb错误 source={%1};order={%2};error={%3}===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (source != kSource && source != UsbCommunicateUtil::SourceLink) {
        qInfo().noquote() << QStringLiteral("=== KeySetForm usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    if (!mPending)
        return;
    // The change did not reach the keyboard: show what the model holds and say so.
    mPending = false;
    mRequestKeys.clear();
    showToast(tr("按键设置失败"));
    repaintKeyKeyboard();
}

void KeySetForm::usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== KeySetForm usb_receive_set_keyboard_config 数据来源不匹配 source:{ %1 } ===")
                                 .arg(source);
        return;
    }
    if (current < total)
        return;
    applyConfirmed(layer);
}

void KeySetForm::usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer, bool flag)
{
    if (source != kSource || current < total)
        return;
    if (flag) {
        mPending = false;
        mRequestKeys.clear();
        showToast(tr("重置键盘数据成功！"));
        PageTitleBar::switchPage(this, 0);
        return;
    }
    applyConfirmed(layer);
}

void KeySetForm::applyConfirmed(uchar layer)
{
    if (!mPending) {
        qInfo().noquote() << QStringLiteral("=== KeySetForm 没有等待中的请求 layer={%1} ===").arg(layer);
        return;
    }
    if (gKeyboardConfig) {
        // Keys that were bound to a TGL, MT or DKS key no longer are: their slots are free.
        QList<uchar> freed;
        for (uchar key : std::as_const(mRequestKeys)) {
            const auto binding = gKeyboardConfig->getKeyboardKeyInfo(layer, key);
            if (!binding || binding->type != KeyTypeHighKey || freed.contains(binding->lValue))
                continue;
            if (gKeyboardConfig->getKeyboardHighKeyIcon(binding->lValue) < 3) {
                freed.append(binding->lValue);
                gKeyboardConfig->delHighKey(binding->lValue);
            }
        }
    }
    mPending = false;
    mRequestKeys.clear();
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncSetKeyboardConfig(layer);
    repaintKeyKeyboard();
}

void KeySetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
