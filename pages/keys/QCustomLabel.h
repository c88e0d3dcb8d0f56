#pragma once
// The clickable key tile of the key assignment picture and of the key picker: it stands for one
// key item (on a picker, the position of its entry in the picker list) and reports a left click
// with that item.

#include "pages/common/KeyTile.h"

class QCustomLabel : public KeyTile
{
    Q_OBJECT
public:
    QCustomLabel(const uchar &item, QWidget *parent = nullptr);

    uchar item() const { return mItem; }

    // A disabled tile shows no tooltip.
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    void label_clicked(uchar item);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    uchar mItem;
};
