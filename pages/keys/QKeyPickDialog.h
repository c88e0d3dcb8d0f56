#pragma once
// The frame of the DKS, MT and TGL dialogs: the full keyboard picker at the bottom and one or more
// slot labels, each standing for a key function of the record. A press on a slot label makes it
// the target of the next key chosen on the picker (orange border and the shared prompt above it);
// a second press lets it go. A key chosen while no slot label waits is ignored.

#include "pages/keys/QHighKeyDialog.h"

#include <QList>

class QInputKeyboardWidget;

class QKeyPickDialog : public QHighKeyDialog
{
    Q_OBJECT
public:
    // The slot label waiting for a key, or null.
    QLabel *selectedSlot() const { return mSelectLabel; }
    QInputKeyboardWidget *picker() const { return mInputKeyboardWidget; }

public Q_SLOTS:
    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);

protected:
    QKeyPickDialog(uchar index, uchar kind, const QString &objectName, const QSize &size, QWidget *parent);

    // A slot label of the kind: watched for presses, empty until filled.
    QLabel *addSlotLabel(const char *objectName, QWidget *parent);
    // Makes the label the target of the next key (nothing when it already is).
    void selectSlot(QLabel *label);
    // Writes the chosen key function into the record's fields of the slot label.
    virtual void storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue) = 0;
    // A key function's picker name on a slot label.
    static void showKey(QLabel *slot, uchar type, uchar hValue, uchar lValue);

    bool eventFilter(QObject *watched, QEvent *event) override;

    QList<QLabel *> mSlotLabels;

private:
    void releaseSlot();

    QInputKeyboardWidget *mInputKeyboardWidget;
    QLabel *mSelectLabel = nullptr;
};
