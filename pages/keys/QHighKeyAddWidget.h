#pragma once
// The add card of the advanced-key page's grid, shown first while fewer than 32 slots are bound:
// "+ 添加按键"; a left press asks the page to make a new binding.

#include "pages/keys/HighKeyCard.h"

class QLabel;

class QHighKeyAddWidget : public HighKeyCard
{
    Q_OBJECT
public:
    explicit QHighKeyAddWidget(uchar slot = 255, QWidget *parent = nullptr);
    ~QHighKeyAddWidget() override;

private:
    QLabel *mTitleLabel;
};
