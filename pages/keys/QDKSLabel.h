#pragma once
// One stage cell of the DKS dialog: whether an action fires at one point of the key's travel.
// A left press ticks or unticks it; ticking reports label_clicked so that the dialog makes the
// cell's row the target of the next key.

#include <QLabel>
#include <QPixmap>

class QDKSLabel : public QLabel
{
    Q_OBJECT
public:
    explicit QDKSLabel(QWidget *parent = nullptr);

    bool getSelectStatus() const { return mSelectStatus; }
    // Shows the state; reports nothing.
    void setSelectStatus(bool select);

Q_SIGNALS:
    void label_clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPixmap mSelectPixmap;
    QPixmap mUnselectPixmap;
    bool mSelectStatus = false;
};
