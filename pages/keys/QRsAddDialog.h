#pragma once
// The RS dialog: the keyboard watches both keys and activates the one pressed deeper.

#include "pages/keys/QPairKeyDialog.h"

class QRsAddDialog : public QPairKeyDialog
{
    Q_OBJECT
public:
    // index: the slot to edit, 255 for a new binding on firstKey.
    QRsAddDialog(uchar index, uchar firstKey, QWidget *parent = nullptr);
};
