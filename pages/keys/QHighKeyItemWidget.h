#pragma once
// One card of the advanced-key page's grid: a bound advanced key, with the key it is bound to, the
// kind's icon and up to four key functions of the binding (TGL its key, MT tap then hold, DKS its
// four actions, RS, OKS and SOCD both keys), and a delete button. The card shows the keyboard
// model as it was when built; the page builds new cards after every change.

#include "pages/keys/HighKeyCard.h"

#include <array>

class QLabel;
class QToolButton;

class QHighKeyItemWidget : public HighKeyCard
{
    Q_OBJECT
public:
    explicit QHighKeyItemWidget(uchar slot, QWidget *parent = nullptr);
    ~QHighKeyItemWidget() override;

    QLabel *titleLabel() const { return mTitleLabel; }
    // oneLabel to fourLabel.
    QLabel *functionLabel(int position) const { return mFunctionLabels.at(size_t(position)); }

private Q_SLOTS:
    void on_delBtn_clicked();

private:
    void fill();
    void setFunction(int position, const QString &text);

    QLabel *mTitleLabel;
    QLabel *mKeyIconLabel;
    std::array<QLabel *, 4> mFunctionLabels{};
    QToolButton *mDelBtn;
};
