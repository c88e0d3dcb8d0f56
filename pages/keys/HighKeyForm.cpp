#include "pages/keys/HighKeyForm.h"

#include "model/KeyCodeTables.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyboardLayout.h"
#include "pages/common/PageDialogs.h"
#include "pages/common/PageTitleBar.h"
#include "pages/keys/HighKeyLabels.h"
#include "pages/keys/QDksAddDialog.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyItemWidget.h"
#include "pages/keys/QHighKeyboardWidget.h"
#include "pages/keys/QMtAddDialog.h"
#include "pages/keys/QOksAddDialog.h"
#include "pages/keys/QRsAddDialog.h"
#include "pages/keys/QSocdAddDialog.h"
#include "pages/keys/QTglAddDialog.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/ChosenButton.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr uchar kSource = UsbCommunicateUtil::SourceHighKeyPage;
constexpr uchar kNoItem = KeyboardConfigUtil::NoItem;
constexpr int kMaxBindings = KeyboardConfigUtil::MaxHighKeys;
constexpr int kToastMs = 2000;
constexpr int kColumns = 3;

// Kind buttons by kind, and their order from left to right.
const char *const kKindButtons[HighKeyLabels::KindCount] = {"tglBtn", "mtBtn", "dksBtn", "rsBtn", "oksBtn", "socdBtn"};
const int kKindOrder[HighKeyLabels::KindCount] = {HighKeyLabels::Dks, HighKeyLabels::Mt, HighKeyLabels::Tgl,
                                                  HighKeyLabels::Rs, HighKeyLabels::Socd, HighKeyLabels::Oks};

QWidget *named(const char *name, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A row holding inner between two stretches.
QWidget *centred(const char *name, QWidget *inner, QWidget *parent)
{
    QWidget *outer = named(name, parent);
    auto *row = new QHBoxLayout(outer);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(inner);
    row->addStretch(1);
    return outer;
}

QString hex2(int value)
{
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

HighKeyForm::HighKeyForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HighKeyForm"));
    resize(1260, 900);
    buildForm();
    QMetaObject::connectSlotsByName(this);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &HighKeyForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_add_high_key, this, &HighKeyForm::usb_receive_add_high_key);
        connect(protocol, &UsbCommunicateUtil::usb_receive_del_high_key, this, &HighKeyForm::usb_receive_del_high_key);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_keyboard_default, this,
                &HighKeyForm::usb_receive_set_keyboard_default);
    }
    refreshLanguageUi();
    qInfo().noquote() << "=== 高级键管理页面初始化 ===";
}

HighKeyForm::~HighKeyForm()
{
    if (gUsbCommunicateUtil)
        disconnect(gUsbCommunicateUtil.data(), nullptr, this, nullptr);
    qInfo().noquote() << "=== 高级键管理页面销毁 ===";
}

void HighKeyForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 20);
    layout->setSpacing(20);
    mTitleBar = new PageTitleBar(PageTitleBar::HighKeyPage, this);
    layout->addWidget(mTitleBar);

    mPromptLabel = new QLabel(this);
    mPromptLabel->setObjectName(QStringLiteral("promptLabel"));
    mPromptLabel->setMinimumSize(600, 20);
    mPromptLabel->setAlignment(Qt::AlignCenter);
    QWidget *labelRow = centred("labelWidget", mPromptLabel, this);
    labelRow->setMinimumHeight(40);
    layout->addWidget(labelRow);

    mKeyboardWidget = named("keyboardWidget", this);
    mKeyboardWidget->setMinimumSize(932, 344);
    QWidget *middle = centred("middleWidget", mKeyboardWidget, this);
    middle->setMinimumHeight(344);
    layout->addWidget(middle);

    QWidget *gridWidget = named("gridWidget", this);
    gridWidget->setMinimumSize(1150, 376);
    auto *gridColumn = new QVBoxLayout(gridWidget);
    gridColumn->setContentsMargins(30, 10, 30, 10);
    gridColumn->setSpacing(10);
    QWidget *typeWidget = named("typeWidget", gridWidget);
    auto *typeRow = new QHBoxLayout(typeWidget);
    typeRow->setContentsMargins(0, 0, 0, 0);
    typeRow->setSpacing(12);
    for (int kind = 0; kind < HighKeyLabels::KindCount; ++kind) {
        auto *button = new QToolButton(typeWidget);
        button->setObjectName(QString::fromLatin1(kKindButtons[kind]));
        button->setMinimumSize(120, 40);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::NoFocus);
        mKindButtons.append(button);
    }
    for (int kind : kKindOrder)
        typeRow->addWidget(mKindButtons[kind]);
    gridColumn->addWidget(centred("gridTopWidget", typeWidget, gridWidget));

    mScrollArea = new QScrollArea(gridWidget);
    mScrollArea->setObjectName(QStringLiteral("scrollArea"));
    mScrollArea->setMinimumSize(1090, 306);
    mScrollArea->setFrameShape(QFrame::NoFrame);
    mScrollArea->setWidgetResizable(false);
    mScrollArea->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mScrollContents = named("scrollAreaWidgetContents", nullptr);
    mScrollContents->setMinimumSize(1090, 306);
    auto *contentsLayout = new QHBoxLayout(mScrollContents);
    contentsLayout->setContentsMargins(0, 0, 0, 0);
    QWidget *cards = named("widget", mScrollContents);
    mGridLayout = new QGridLayout(cards);
    mGridLayout->setSpacing(20);
    mGridLayout->setSizeConstraint(QLayout::SetFixedSize);
    mGridLayout->setContentsMargins(0, 0, 0, 0);
    contentsLayout->addWidget(cards, 0, Qt::AlignHCenter | Qt::AlignTop);
    mScrollArea->setWidget(mScrollContents);
    gridColumn->addWidget(mScrollArea, 1);
    QWidget *bottom = centred("bottomWidget", gridWidget, this);
    bottom->setMinimumHeight(376);
    layout->addWidget(bottom, 1);
}

QHighKeyboardWidget *HighKeyForm::keyboard() const
{
    return mKeyboard;
}

void HighKeyForm::repaintInterface()
{
    mTitleBar->checkCurrent();
    redraw();
}

void HighKeyForm::exitInterface()
{
}

void HighKeyForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    const QString texts[HighKeyLabels::KindCount] = {tr("切换开关"), tr("按住/单击"), tr("动态键程"),
                                                     tr("RS"),       tr("OKS"),       tr("SOCD")};
    for (int kind = 0; kind < HighKeyLabels::KindCount; ++kind)
        mKindButtons[kind]->setText(texts[kind]);
    updatePrompt();
    // The add card carries a text too.
    if (mGridLayout->count() > 0) {
        removeGridLayout();
        initGridLayout();
    }
}

void HighKeyForm::updatePrompt()
{
    const int bound = gKeyboardConfig ? gKeyboardConfig->getHighKeyTotal() : 0;
    mPromptLabel->setText(tr("首先选择任意按键来绑定高级键。每个配置文件最多可使用 32 个高级键。 当前绑定项：") +
                          QStringLiteral("%1/%2").arg(bound).arg(kMaxBindings));
}

void HighKeyForm::redraw()
{
    repaintKeyKeyboard();
    displayHighSelect();
    removeGridLayout();
    initGridLayout();
}

void HighKeyForm::repaintKeyKeyboard()
{
    updatePrompt();
    if (mKeyboard) {
        disconnect(mKeyboard, &QHighKeyboardWidget::keyboard_select, this, &HighKeyForm::keyboard_select);
        mKeyboard->hide();
        mKeyboard->deleteLater();
    }
    mKeyboard = new QHighKeyboardWidget(mHighKeyType, mKeyboardWidget);
    mKeyboard->placeOnPage();
    mKeyboard->initializeKeyboard();
    mKeyboard->show();
    connect(mKeyboard, &QHighKeyboardWidget::keyboard_select, this, &HighKeyForm::keyboard_select);
}

void HighKeyForm::displayHighSelect()
{
    if (HighKeyLabels::isKind(mHighKeyType)) {
        for (int kind = 0; kind < HighKeyLabels::KindCount; ++kind)
            ChosenButton::mark(mKindButtons[kind], kind == mHighKeyType);
    }
    update();
}

void HighKeyForm::removeGridLayout()
{
    while (mGridLayout->count() > 0) {
        QLayoutItem *item = mGridLayout->takeAt(mGridLayout->count() - 1);
        if (QWidget *widget = item->widget()) {
            if (auto *card = qobject_cast<HighKeyCard *>(widget))
                disconnect(card, &HighKeyCard::high_key_clicked, this, &HighKeyForm::grid_Layout_Clicked);
            // Out of the page at once, so that nothing finds it before it is gone.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
}

void HighKeyForm::initGridLayout()
{
    int column = 0;
    int row = 0;
    int rowHeight = 0;
    int heights = 0;
    const auto place = [&](QWidget *widget) {
        mGridLayout->addWidget(widget, row, column, Qt::AlignCenter);
        if (auto *card = qobject_cast<HighKeyCard *>(widget))
            connect(card, &HighKeyCard::high_key_clicked, this, &HighKeyForm::grid_Layout_Clicked);
        rowHeight = qMax(rowHeight, widget->minimumHeight());
        if (++column == kColumns) {
            heights += rowHeight;
            rowHeight = 0;
            column = 0;
            ++row;
        }
    };
    const int bound = gKeyboardConfig ? gKeyboardConfig->getHighKeyTotal() : 0;
    if (bound < kMaxBindings)
        place(new QHighKeyAddWidget(kNoItem));
    if (gKeyboardConfig && HighKeyLabels::isKind(mHighKeyType)) {
        for (const auto &record : std::as_const(gKeyboardConfig->keyboardHighKeyList)) {
            if (record && record->item != kNoItem && record->attribute == mHighKeyType)
                place(new QHighKeyItemWidget(record->item));
        }
    }
    // The rest of the last row, or a whole row after a full one, is filled.
    do {
        QWidget *filler = named("gridFiller", nullptr);
        filler->setFixedSize(350, 50);
        place(filler);
    } while (column != 0);
    mScrollContents->setMinimumHeight((mGridLayout->rowCount() + 2) * mGridLayout->spacing() + heights + rowHeight);
    mScrollArea->setWidgetResizable(true);
}

void HighKeyForm::selectKind(int kind)
{
    if (kind == mHighKeyType) {
        ChosenButton::mark(mKindButtons[kind], true);
        return;
    }
    showKind(kind);
}

void HighKeyForm::showKind(int kind)
{
    mHighKeyType = kind;
    displayHighSelect();
    if (mKeyboard)
        mKeyboard->setHighKeyType(kind);
    removeGridLayout();
    initGridLayout();
}

void HighKeyForm::on_tglBtn_clicked() { selectKind(HighKeyLabels::Tgl); }
void HighKeyForm::on_mtBtn_clicked() { selectKind(HighKeyLabels::Mt); }
void HighKeyForm::on_dksBtn_clicked() { selectKind(HighKeyLabels::Dks); }
void HighKeyForm::on_rsBtn_clicked() { selectKind(HighKeyLabels::Rs); }
void HighKeyForm::on_oksBtn_clicked() { selectKind(HighKeyLabels::Oks); }
void HighKeyForm::on_socdBtn_clicked() { selectKind(HighKeyLabels::Socd); }

QSharedPointer<HIGH_KEY_INFO> HighKeyForm::boundRecord(uchar slot)
{
    if (!gKeyboardConfig || slot >= gKeyboardConfig->keyboardHighKeyList.size())
        return {};
    const auto record = gKeyboardConfig->keyboardHighKeyList.at(slot);
    return record && record->item == slot ? record : QSharedPointer<HIGH_KEY_INFO>();
}

void HighKeyForm::grid_Layout_Clicked(int type, uchar item)
{
    qInfo().noquote() << QStringLiteral("=== HighKeyForm grid_Layout_Clicked type:{ %1 },item:{ %2 } ===").arg(type).arg(item);
    if (type == HighKeyCard::Open) {
        if (item == kNoItem && (!mKeyboard || mKeyboard->getSelectKeyItem() == kNoItem)) {
            showToast(tr("请先选择要设置的按键"));
            return;
        }
        openBinding(item);
    } else if (type == HighKeyCard::Delete && HighKeyLabels::isKind(mHighKeyType)) {
        if (const auto record = boundRecord(item))
            sendDelete(*record);
    }
}

void HighKeyForm::keyboard_select(const uchar &mItem)
{
    const uchar key = mItem;
    qInfo().noquote() << QStringLiteral("=== HighKeyForm keyboard_select mItem:{ %1 } ===").arg(key);
    const auto binding = gKeyboardConfig ? gKeyboardConfig->getKeyboardKeyInfo(0, key) : nullptr;
    if (!binding || binding->type != KeyTypeHighKey)
        return;
    const uchar slot = binding->lValue;
    const int kind = gKeyboardConfig->getKeyboardHighKeyIcon(slot);
    if (!HighKeyLabels::isKind(kind)) {
        // The key points at a slot that holds nothing: there is no binding to open.
        qInfo().noquote() << QStringLiteral("=== HighKeyForm 高级键不存在 keyItem={%1};index={%2} ===").arg(key).arg(slot);
        return;
    }
    showKind(kind);
    openBinding(slot);
}

QHighKeyDialog *HighKeyForm::createDialog(int kind, uchar slot, uchar firstKey)
{
    switch (kind) {
    case HighKeyLabels::Tgl: return new QTglAddDialog(slot, this);
    case HighKeyLabels::Mt: return new QMtAddDialog(slot, this);
    case HighKeyLabels::Dks: return new QDksAddDialog(slot, this);
    case HighKeyLabels::Rs: return new QRsAddDialog(slot, firstKey, this);
    case HighKeyLabels::Oks: return new QOksAddDialog(slot, firstKey, this);
    case HighKeyLabels::Socd: return new QSocdAddDialog(slot, firstKey, this);
    default: return nullptr;
    }
}

void HighKeyForm::openBinding(uchar slot)
{
    const int kind = mHighKeyType;
    if (!HighKeyLabels::isKind(kind) || mDialogPending)
        return;
    mDialogPending = true;
    const uchar selected = mKeyboard ? mKeyboard->getSelectKeyItem() : kNoItem;
    QMetaObject::invokeMethod(
        this,
        [this, kind, slot, selected] {
            entryHighKeyDataForm(kind, slot, selected);
            mDialogPending = false;
        },
        Qt::QueuedConnection);
}

void HighKeyForm::entryHighKeyDataForm(int kind, uchar slot, uchar selected)
{
    if (slot != kNoItem && !boundRecord(slot)) {
        qInfo().noquote() << QStringLiteral("=== HighKeyForm 高级键不存在 index={%1} ===").arg(slot);
        return;
    }
    QPointer<QHighKeyDialog> dialog = createDialog(kind, slot, selected);
    const int result = PageDialogs::exec(dialog);
    if (!dialog)
        return;
    HIGH_KEY_INFO record = dialog->getHighKeyInfo();
    const int status = dialog->getStatusFlag();
    dialog->deleteLater();
    if (result != QDialog::Accepted)
        return;
    if (status != QHighKeyDialog::NewBinding) {
        // The binding may have gone while the dialog was open.
        const auto stored = boundRecord(record.item);
        if (!stored || stored->attribute != record.attribute) {
            showToast(tr("该高级键已不存在"));
            return;
        }
    }
    switch (status) {
    case QHighKeyDialog::DeleteBinding:
        sendDelete(record);
        break;
    case QHighKeyDialog::EditedBinding:
        sendAdd(record, false);
        break;
    default:
        if (!HighKeyLabels::isPairKind(kind))
            record.keyItem = selected;
        sendAdd(record, true);
        break;
    }
}

void HighKeyForm::sendAdd(const HIGH_KEY_INFO &record, bool newBinding)
{
    if (!gUsbCommunicateUtil || !gKeyboardConfig)
        return;
    if (record.keyItem == kNoItem) {
        showToast(tr("请先选择要设置的按键"));
        return;
    }
    if (newBinding) {
        const HighKeyList &list = gKeyboardConfig->keyboardHighKeyList;
        const bool free = record.item < list.size() && list.at(record.item) && list.at(record.item)->item == kNoItem;
        if (!free || gKeyboardConfig->getHighKeyTotal() >= kMaxBindings) {
            showToast(tr("已绑定 32 个高级键，请先删除不用的高级键"));
            return;
        }
    }
    gUsbCommunicateUtil->usb_add_high_key(kSource, false, record);
}

void HighKeyForm::sendDelete(const HIGH_KEY_INFO &record)
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->usb_del_high_key(kSource, false, record);
}

void HighKeyForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== HighKeyForm usb错误 source={%1};order={%2};error={%3} ===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== HighKeyForm usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    // Nothing was confirmed: the page shows what the model holds, and says so.
    mRestoreKeys.clear();
    showToast(tr("高级键设置失败"));
    redraw();
}

void HighKeyForm::usb_receive_add_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== HighKeyForm usb_receive_add_high_key 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    if (current < total || !gKeyboardConfig)
        return;
    const HIGH_KEY_INFO &r = keyboardHighKey;
    HighKeyList &list = gKeyboardConfig->keyboardHighKeyList;
    if (!HighKeyLabels::isKind(r.attribute) || r.item >= list.size()) {
        qInfo().noquote() << QStringLiteral("=== HighKeyForm 高级键无法保存 index={%1};type={%2} ===").arg(r.item).arg(r.attribute);
        return;
    }
    QSharedPointer<HIGH_KEY_INFO> &slot = list[r.item];
    if (!slot)
        slot.reset(new HIGH_KEY_INFO);
    if (HighKeyLabels::isPairKind(r.attribute)) {
        // Only a pair bound in this slot so far has a second key that loses its binding; a free
        // slot's bytes mean nothing.
        const uchar oldSecond = slot->data[0];
        if (slot->item == r.item && HighKeyLabels::isPairKind(slot->attribute) && oldSecond != kNoItem &&
            oldSecond != r.data[0])
            gKeyboardConfig->setKeyboardDefaultKeyInfo(oldSecond, 0);
    }
    *slot = r;
    gKeyboardConfig->setKeyboardKeyInfo(0, r.keyItem, KeyTypeHighKey, 0, r.item);
    if (HighKeyLabels::isPairKind(r.attribute) && r.data[0] != kNoItem)
        gKeyboardConfig->setKeyboardKeyInfo(0, r.data[0], KeyTypeHighKey, 0, r.item);
    redraw();
}

void HighKeyForm::usb_receive_del_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== HighKeyForm usb_receive_del_high_key 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    const HIGH_KEY_INFO &r = keyboardHighKey;
    if (current < total || !HighKeyLabels::isKind(r.attribute) || !gKeyboardConfig || !gUsbCommunicateUtil)
        return;
    gKeyboardConfig->delHighKey(r.item);
    // The freed keys get their factory functions back, on both sensors of a shared key.
    const KeyPositionMap &positions = gKeyboardConfig->keyPositionMap;
    QList<uchar> keys = KeyboardLayout::keysSharingPosition(positions, r.keyItem);
    const bool pair = HighKeyLabels::isPairKind(r.attribute) && r.data[0] != kNoItem;
    if (pair)
        keys += KeyboardLayout::keysSharingPosition(positions, r.data[0]);
    mRestoreKeys = keys;
    if (!pair)
        keys.append(kNoItem);
    gUsbCommunicateUtil->usb_set_keyboard_default(kSource, false, 0, keys);
}

void HighKeyForm::usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer, bool flag)
{
    if (source != kSource || current < total)
        return;
    // This page asks for single keys only: an answer naming no key after such a request confirms
    // it, it does not announce a restored layer.
    if (flag && mRestoreKeys.isEmpty()) {
        showToast(tr("重置键盘数据成功！"));
        PageTitleBar::switchPage(this, 0);
        return;
    }
    if (!flag && gUsbCommunicateUtil)
        gUsbCommunicateUtil->syncSetKeyboardConfig(layer);
    // The reply names at most two restored keys; the others asked for were restored as well.
    if (gKeyboardConfig && layer == 0) {
        for (uchar key : std::as_const(mRestoreKeys)) {
            const auto binding = gKeyboardConfig->getKeyboardKeyInfo(0, key);
            if (binding && binding->type == KeyTypeHighKey && gKeyboardConfig->getKeyboardHighKeyIcon(binding->lValue) == kNoItem)
                gKeyboardConfig->setKeyboardDefaultKeyInfo(key, 0);
        }
    }
    mRestoreKeys.clear();
    redraw();
}

void HighKeyForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
