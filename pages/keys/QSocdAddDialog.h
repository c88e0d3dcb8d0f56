#pragma once
// The SOCD dialog: what the keyboard does when two opposite keys are held together, one of four
// behaviours kept in body byte 1 (0 the last input wins, 1 key 1 wins, 2 key 2 wins, 3 both
// cancel). A stored behaviour the dialog does not know shows and saves as 0.

#include "pages/keys/QPairKeyDialog.h"

#include <array>

class QRadioButton;

class QSocdAddDialog : public QPairKeyDialog
{
    Q_OBJECT
public:
    static constexpr int Modes = 4;

    QSocdAddDialog(uchar index, uchar firstKey, QWidget *parent = nullptr);

    QRadioButton *modeButton(int mode) const { return mRadios.at(size_t(mode)); }

protected:
    bool completeRecord() override;

private:
    std::array<QRadioButton *, Modes> mRadios{};
};
