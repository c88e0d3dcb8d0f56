#pragma once
// The DKS dialog: one key, up to four actions along its travel. Each row is an action: four stage
// cells (pressing past 1.00 mm, pressing on to 3.00 mm, releasing from 3.00 mm, releasing past
// 1.00 mm) and the action's key, chosen on the picker below. Actions are numbered 0 to 3 in the
// record: action k holds its stage mask at body byte 4k and its key (type, lValue, hValue) at
// 4k + 1 to 4k + 3.

#include "pages/keys/QKeyPickDialog.h"

#include <array>

class QDKSLabel;

class QDksAddDialog : public QKeyPickDialog
{
    Q_OBJECT
public:
    static constexpr int Actions = 4;
    static constexpr int Stages = 4;

    explicit QDksAddDialog(uchar index, QWidget *parent = nullptr);

    QDKSLabel *stageCell(int action, int stage) const { return mCells[size_t(action)][size_t(stage)]; }
    QLabel *actionLabel(int action) const { return mSlotLabels.at(action); }

    // Shows the record on the grid.
    void displayOperationArea();

private Q_SLOTS:
    void one_label_clicked() { selectSlot(mSlotLabels.at(0)); }
    void two_label_clicked() { selectSlot(mSlotLabels.at(1)); }
    void three_label_clicked() { selectSlot(mSlotLabels.at(2)); }
    void four_label_clicked() { selectSlot(mSlotLabels.at(3)); }

protected:
    bool completeRecord() override;
    void storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue) override;

private:
    QWidget *buildArea();

    std::array<std::array<QDKSLabel *, Stages>, Actions> mCells{};
};
