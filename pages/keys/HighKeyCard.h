#pragma once
// The base of the cards in the advanced-key page's grid: a plain widget of height 50 drawn by the
// style sheet, standing for one advanced-key slot (255 for the add card). A left press on the card
// asks the page to open the slot; the card does nothing else by itself.

#include <QWidget>

class HighKeyCard : public QWidget
{
    Q_OBJECT
public:
    // What a card asks for.
    enum Request { Open = 0, Delete = 1 };

    uchar slot() const { return mSlot; }

Q_SIGNALS:
    void high_key_clicked(int type, uchar item);

protected:
    HighKeyCard(uchar slot, const QString &objectName, QWidget *parent);

    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    uchar mSlot;
};
