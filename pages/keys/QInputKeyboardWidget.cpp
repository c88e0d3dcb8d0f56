#include "pages/keys/QInputKeyboardWidget.h"

#include "pages/common/KeyLegend.h"
#include "pages/common/TipText.h"
#include "pages/keys/QCustomLabel.h"

#include <QDebug>
#include <QPushButton>

namespace {
// Height of a 1u key on every picker list.
constexpr qreal kPickerUnit = 44;
} // namespace

QInputKeyboardWidget::QInputKeyboardWidget(uchar type, QWidget *parent) : KeyboardPicture(parent), mType(type)
{
    setObjectName(QStringLiteral("QInputKeyboardWidget"));
    setProperty("caseVisible", false);
    qInfo().noquote() << "=== QInputKeyboardWidget 初始化 ===";
}

QInputKeyboardWidget::~QInputKeyboardWidget()
{
    qDeleteAll(mLabelList);
    qInfo().noquote() << "=== QInputKeyboardWidget 销毁 ===";
}

const QList<KEYBOARD_LIST_INFO> *QInputKeyboardWidget::pickerList(uchar type)
{
    switch (type) {
    case 0: return &gNormalKeyboardList;
    case 1: return &gSystemKeyboardList;
    case 2: return &gMacroKeyboardList;
    case 3: return &gEffectKeyboardList;
    case 4: return &gExtendKeyboardList;
    default: return nullptr;
    }
}

void QInputKeyboardWidget::initializeKeyboard()
{
    qDeleteAll(mLabelList);
    mLabelList.clear();
    const QList<KEYBOARD_LIST_INFO> *list = pickerList(mType);
    if (!list) {
        update();
        return;
    }
    for (const KEYBOARD_LIST_INFO &entry : *list) {
        auto *tile = new QCustomLabel(entry.index, this);
        tile->setObjectName(KeyTile::objectNameFor(entry.index));
        tile->setGeometry(entry.x, entry.y, entry.width, entry.height);
        tile->setUnit(kPickerUnit);
        const KeyLegend legend = KeyLegend::forFunction(entry.type, entry.hValue, entry.lValue);
        if (legend.isBlank()) {
            qInfo().noquote() << QStringLiteral("=== QInputKeyboardWidget 没有按键名称 type={%1};hValue={%2};lValue={%3} ===")
                                     .arg(entry.type)
                                     .arg(entry.hValue)
                                     .arg(entry.lValue);
        }
        tile->setLegend(legend);
        tile->show();
        mLabelList.append(tile);
        connect(tile, &QCustomLabel::label_clicked, this, &QInputKeyboardWidget::custom_label_clicked);
    }
    if (mType == 0 && !mResetButton) {
        mResetButton = makeButton("mResetButton", QRect(912, 0, 60, 44), "QInputKeyboardWidget/mResetButton");
        mNullButton = makeButton("mNullButton", QRect(976, 0, 58, 44), "QInputKeyboardWidget/mNullButton");
        mResetLayerButton =
            makeButton("mResetLayerButton", QRect(1038, 0, 58, 44), "QInputKeyboardWidget/mResetLayerButton");
        connect(mResetButton, &QPushButton::clicked, this, &QInputKeyboardWidget::onResetButtonClicked);
        connect(mNullButton, &QPushButton::clicked, this, &QInputKeyboardWidget::onNullButtonClicked);
        connect(mResetLayerButton, &QPushButton::clicked, this, &QInputKeyboardWidget::onResetLayerButtonClicked);
        refreshLanguageUi();
    }
    update();
}

QPushButton *QInputKeyboardWidget::makeButton(const char *objectName, const QRect &geometry, const char *tipKey)
{
    auto *button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    TipText::apply(button, QString::fromLatin1(tipKey));
    return button;
}

void QInputKeyboardWidget::openResetAndNullButton()
{
    for (QPushButton *button : {mResetButton, mNullButton, mResetLayerButton}) {
        if (button)
            button->show();
    }
}

void QInputKeyboardWidget::refreshLanguageUi()
{
    if (!mResetButton)
        return;
    mResetButton->setText(tr("恢复默认"));
    mNullButton->setText(tr("无效键"));
    mResetLayerButton->setText(tr("全恢复"));
}

void QInputKeyboardWidget::custom_label_clicked(uchar item)
{
    qInfo().noquote() << QStringLiteral("=== QInputKeyboardWidget custom_label_clicked keyItem:( %1 } ===").arg(item);
    const QList<KEYBOARD_LIST_INFO> *list = pickerList(mType);
    if (!list || item >= list->size())
        return;
    const KEYBOARD_LIST_INFO &entry = list->at(item);
    Q_EMIT input_keyboard_select(entry.type, entry.hValue, entry.lValue);
}

void QInputKeyboardWidget::onResetButtonClicked()
{
    Q_EMIT input_keyboard_button(ResetKey);
}

void QInputKeyboardWidget::onNullButtonClicked()
{
    Q_EMIT input_keyboard_button(DisableKey);
}

void QInputKeyboardWidget::onResetLayerButtonClicked()
{
    Q_EMIT input_keyboard_button(ResetLayer);
}
