#pragma once
// The TGL dialog: one key whose tap switches continuous triggering of a key function on and off,
// while holding it acts as a normal press. The key function is body bytes 0 to 2 (type, lValue,
// hValue).

#include "pages/keys/QKeyPickDialog.h"

class QTglAddDialog : public QKeyPickDialog
{
    Q_OBJECT
public:
    explicit QTglAddDialog(uchar index, QWidget *parent = nullptr);

    QLabel *triggerLabel() const { return mTriggerLabel; }

protected:
    void storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue) override;

private:
    QLabel *mTriggerLabel;
};
