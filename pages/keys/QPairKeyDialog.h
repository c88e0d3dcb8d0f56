#pragma once
// The frame of the RS, OKS and SOCD dialogs, which bind two keys to each other: key 1 is the key
// chosen on the page (the record's keyItem), key 2 is picked on the keyboard below (body byte 0).
// Save is possible once the binding has a second key: at once when an existing binding is edited,
// after a pick for a new one. A pair of one key with itself is refused.

#include "pages/keys/QHighKeyDialog.h"

class QRsoKeyboardWidget;

class QPairKeyDialog : public QHighKeyDialog
{
    Q_OBJECT
public:
    QRsoKeyboardWidget *picker() const { return mPicker; }
    QLabel *keyOneLabel() const { return mKeyOneLabel; }
    QLabel *keyTwoLabel() const { return mKeyTwoLabel; }
    bool canSave() const;

public Q_SLOTS:
    // The pick on the keyboard changed (255: withdrawn); the record waits for the save.
    void keyboard_select(const uchar &mItem);

protected:
    QPairKeyDialog(uchar index, uchar kind, uchar firstKey, const QString &objectName, const QSize &size,
                   QWidget *parent);

    bool completeRecord() override;
    void showEvent(QShowEvent *event) override;

private:
    void updateSaveButton();

    QRsoKeyboardWidget *mPicker;
    QLabel *mKeyOneLabel;
    QLabel *mKeyTwoLabel;
};
