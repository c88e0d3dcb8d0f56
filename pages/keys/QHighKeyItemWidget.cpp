#include "pages/keys/QHighKeyItemWidget.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/keys/HighKeyLabels.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {
QWidget *part(const char *name, int minimumWidth, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setMinimumSize(minimumWidth, 50);
    return widget;
}

QLabel *cap(const char *name, int x, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, 5, 40, 40);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}
} // namespace

QHighKeyItemWidget::QHighKeyItemWidget(uchar slot, QWidget *parent)
    : HighKeyCard(slot, QStringLiteral("QHighKeyItemWidget"), parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QWidget *left = part("high_key_left_widget", 50, this);
    QWidget *middle = part("high_key_middle_widget", 250, this);
    QWidget *right = part("high_key_right_widget", 50, this);
    layout->addWidget(left);
    layout->addWidget(middle, 1);
    layout->addWidget(right);

    mTitleLabel = cap("titleLabel", 5, left);
    mKeyIconLabel = cap("keyIconLabel", 5, middle);
    const char *names[] = {"oneLabel", "twoLabel", "threeLabel", "fourLabel"};
    for (int i = 0; i < 4; ++i)
        mFunctionLabels[size_t(i)] = cap(names[i], 55 + 50 * i, middle);
    mDelBtn = new QToolButton(right);
    mDelBtn->setObjectName(QStringLiteral("delBtn"));
    mDelBtn->setGeometry(5, 5, 40, 40);
    mDelBtn->setMinimumSize(40, 40);
    mDelBtn->setAutoRaise(true);
    mDelBtn->setIconSize(QSize(20, 20));
    mDelBtn->setFocusPolicy(Qt::NoFocus);
    mDelBtn->setToolTip(tr("删除"));
    connect(mDelBtn, &QToolButton::clicked, this, &QHighKeyItemWidget::on_delBtn_clicked);
    fill();
    qInfo().noquote() << "=== QHighKeyItemWidget 初始化 ===";
}

QHighKeyItemWidget::~QHighKeyItemWidget()
{
    qInfo().noquote() << "=== QHighKeyItemWidget 销毁 ===";
}

void QHighKeyItemWidget::fill()
{
    const HighKeyList *list = gKeyboardConfig ? &gKeyboardConfig->keyboardHighKeyList : nullptr;
    const auto record = list && slot() < list->size() ? list->at(slot()) : QSharedPointer<HIGH_KEY_INFO>();
    if (!record || record->item != slot()) {
        qInfo().noquote() << "=== QHighKeyItemWidget item匹配错误 ===";
        return;
    }
    const auto &d = record->data;
    const int kind = record->attribute;
    if (!HighKeyLabels::isKind(kind))
        return;
    mTitleLabel->setText(HighKeyLabels::factoryLabel(record->keyItem));
    mKeyIconLabel->setPixmap(QPixmap(HighKeyLabels::kindIconPath(kind)));
    switch (kind) {
    case HighKeyLabels::Tgl:
        setFunction(0, HighKeyLabels::pickerLabel(d[0], d[2], d[1]));
        break;
    case HighKeyLabels::Mt:
        // The tap key is held type, hValue, lValue; the hold key type, lValue, hValue.
        setFunction(0, HighKeyLabels::pickerLabel(d[3], d[4], d[5]));
        setFunction(1, HighKeyLabels::pickerLabel(d[6], d[8], d[7]));
        break;
    case HighKeyLabels::Dks:
        for (int action = 0; action < 4; ++action)
            setFunction(action, HighKeyLabels::pickerLabel(d[size_t(4 * action + 1)], d[size_t(4 * action + 3)],
                                                           d[size_t(4 * action + 2)]));
        break;
    default:
        setFunction(0, HighKeyLabels::factoryLabel(record->keyItem));
        setFunction(1, HighKeyLabels::factoryLabel(d[0]));
        break;
    }
    const int used = kind == HighKeyLabels::Dks ? 4 : kind == HighKeyLabels::Tgl ? 1 : 2;
    for (int i = used; i < 4; ++i)
        mFunctionLabels[size_t(i)]->hide();
    setToolTip(mTitleLabel->text());
}

void QHighKeyItemWidget::setFunction(int position, const QString &text)
{
    QLabel *label = mFunctionLabels[size_t(position)];
    label->setText(text);
    label->setToolTip(text);
}

void QHighKeyItemWidget::on_delBtn_clicked()
{
    Q_EMIT high_key_clicked(Delete, slot());
}
