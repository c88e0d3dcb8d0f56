#include "pages/keys/QRsAddDialog.h"

#include "pages/keys/HighKeyLabels.h"

#include <QLabel>

QRsAddDialog::QRsAddDialog(uchar index, uchar firstKey, QWidget *parent)
    : QPairKeyDialog(index, HighKeyLabels::Rs, firstKey, QStringLiteral("QRsAddDialog"), QSize(1200, 644), parent)
{
    mTitleLabel->setText(tr("RS监控"));
    mPromptLabel->setText(tr("RS监控2个选定的键,并激活按下的键。例如,当A键被按下时,如果D键比A键按得更深,则D键会立即激活。一旦您释放了D键,A键就会激活。"));
}
