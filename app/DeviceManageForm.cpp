#include "app/DeviceManageForm.h"

#include <QLabel>
#include <QVBoxLayout>

DeviceManageForm::DeviceManageForm(QWidget *parent) : QWidget(parent), mTitleLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("DeviceManageForm"));
    mTitleLabel->setObjectName(QStringLiteral("titleLabel"));
    mTitleLabel->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mTitleLabel);
    refreshLanguageUi();
}

void DeviceManageForm::repaintInterface(bool open)
{
    Q_UNUSED(open);
}

void DeviceManageForm::exitInterface()
{
}

void DeviceManageForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleLabel->setText(tr("打开设备"));
}
