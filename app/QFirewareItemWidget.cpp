#include "app/QFirewareItemWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

namespace {
constexpr int kTileHeight = 296;
} // namespace

QFirewareItemWidget::QFirewareItemWidget(const QString &text, const QString &iconFile, int row, int col,
                                         QWidget *parent)
    : QWidget(parent), mRow(row), mCol(col)
{
    buildForm();
    mProductLabel->setText(text);
    const QPixmap picture(iconFile);
    if (!picture.isNull()) {
        mIconLabel->setPixmap(picture.scaled(mIconLabel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        mIconLabel->setScaledContents(true);
    }
    QMetaObject::connectSlotsByName(this);
}

void QFirewareItemWidget::buildForm()
{
    setObjectName(QStringLiteral("QFirewareItemWidget"));
    resize(400, kTileHeight);
    setMinimumSize(400, kTileHeight);
    setMaximumHeight(kTileHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    auto *iconWidget = new QWidget(this);
    iconWidget->setObjectName(QStringLiteral("fireware_icon_widget"));
    iconWidget->setFixedHeight(230);
    auto *iconLayout = new QHBoxLayout(iconWidget);
    iconLayout->setContentsMargins(20, 26, 20, 26);
    iconLayout->setSpacing(0);
    mIconLabel = new QLabel(iconWidget);
    mIconLabel->setObjectName(QStringLiteral("fireware_icon_label"));
    mIconLabel->setFixedHeight(178);
    mIconLabel->setAlignment(Qt::AlignCenter);
    iconLayout->addWidget(mIconLabel);
    // The picture is scaled to the label's size, which the layout gives it only later.
    mIconLabel->resize(400 - 2 - 40, 178);
    layout->addWidget(iconWidget);

    auto *labelWidget = new QWidget(this);
    labelWidget->setObjectName(QStringLiteral("fireware_label_widget"));
    labelWidget->setFixedHeight(64);
    auto *labelLayout = new QHBoxLayout(labelWidget);
    labelLayout->setContentsMargins(20, 12, 20, 12);
    labelLayout->setSpacing(0);
    mProductLabel = new QLabel(labelWidget);
    mProductLabel->setObjectName(QStringLiteral("fireware_product_label"));
    mProductLabel->setFixedHeight(40);
    labelLayout->addWidget(mProductLabel);
    labelLayout->addStretch();
    mDownButton = new QPushButton(tr("固件下载"), labelWidget);
    mDownButton->setObjectName(QStringLiteral("fireware_down_button"));
    mDownButton->setFixedHeight(40);
    mDownButton->setFocusPolicy(Qt::NoFocus);
    mDownButton->hide();
    labelLayout->addWidget(mDownButton);
    layout->addWidget(labelWidget);
}

void QFirewareItemWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT fireware_item_clicked(false, mRow, mCol);
    QWidget::mousePressEvent(event);
}

void QFirewareItemWidget::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}

void QFirewareItemWidget::on_fireware_down_button_clicked()
{
    Q_EMIT fireware_item_clicked(true, mRow, mCol);
}
