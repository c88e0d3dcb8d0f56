#include "pages/keys/QOksAddDialog.h"

#include "pages/keys/HighKeyLabels.h"

#include <QLabel>

QOksAddDialog::QOksAddDialog(uchar index, uchar firstKey, QWidget *parent)
    : QPairKeyDialog(index, HighKeyLabels::Oks, firstKey, QStringLiteral("QOksAddDialog"), QSize(1200, 644), parent)
{
    mTitleLabel->setText(tr("OKS监控"));
    mPromptLabel->setText(tr("OKS监控2个选定的键,并激活按下的键。例如,当A键与D键绑定时时。一旦您释放了D键,A键就会激活，同理释放A键,D键也会激活。"));
}
