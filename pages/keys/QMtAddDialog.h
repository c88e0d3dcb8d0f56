#pragma once
// The MT dialog: one key that sends one key function when tapped and another when held longer
// than the hold time (10 to 1000 ms). In the record, body byte 0 is carried unchanged, bytes 1
// and 2 hold the hold time (little-endian), bytes 3 to 5 the tap key as type, hValue, lValue and
// bytes 6 to 8 the hold key as type, lValue, hValue.

#include "pages/keys/QKeyPickDialog.h"

#include "pages/common/QCustomSlider.h"

// The hold-time slider.
using HoldTimeSlider = QCustomSlider;

class QMtAddDialog : public QKeyPickDialog
{
    Q_OBJECT
public:
    static constexpr int MinHoldTime = 10;
    static constexpr int MaxHoldTime = 1000;

    explicit QMtAddDialog(uchar index, QWidget *parent = nullptr);

    QLabel *tapLabel() const { return mSingleLabel; }
    QLabel *holdLabel() const { return mLongLabel; }
    HoldTimeSlider *slider() const { return mTimeProgress; }
    QLabel *holdTimeLabel() const { return mTimeRightLabel; }

public Q_SLOTS:
    // The slider was pressed (0), moved (1) or released (2): shows the value.
    void customSliderClicked(int type, int value);

protected:
    bool completeRecord() override;
    void storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue) override;

private:
    QLabel *mSingleLabel;
    QLabel *mLongLabel;
    HoldTimeSlider *mTimeProgress;
    QLabel *mTimeRightLabel;
};
