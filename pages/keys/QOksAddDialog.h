#pragma once
// The OKS dialog: releasing one key of the pair activates the other.

#include "pages/keys/QPairKeyDialog.h"

class QOksAddDialog : public QPairKeyDialog
{
    Q_OBJECT
public:
    // index: the slot to edit, 255 for a new binding on firstKey.
    QOksAddDialog(uchar index, uchar firstKey, QWidget *parent = nullptr);
};
