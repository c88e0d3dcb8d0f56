#include "pages/keys/QHighKeyAddWidget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>

QHighKeyAddWidget::QHighKeyAddWidget(uchar slot, QWidget *parent)
    : HighKeyCard(slot, QStringLiteral("QHighKeyAddWidget"), parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mTitleLabel = new QLabel(tr("+ 添加按键"), this);
    mTitleLabel->setObjectName(QStringLiteral("titleLabel"));
    mTitleLabel->setMinimumSize(350, 50);
    mTitleLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(mTitleLabel);
    qInfo().noquote() << "=== QHighKeyAddWidget 初始化 ===";
}

QHighKeyAddWidget::~QHighKeyAddWidget()
{
    qInfo().noquote() << "=== QHighKeyAddWidget 销毁 ===";
}
