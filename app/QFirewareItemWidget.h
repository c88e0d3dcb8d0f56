#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

// One tile of the firmware page: a product's picture and name. A left press asks the page to
// write that product's firmware; the tile reports its place in the page's grid with it.
class QFirewareItemWidget : public QWidget
{
    Q_OBJECT
public:
    // Shows text as the product name and the picture at iconFile (none when it does not load).
    QFirewareItemWidget(const QString &text, const QString &iconFile, int row, int col, QWidget *parent = nullptr);

    int row() const { return mRow; }
    int col() const { return mCol; }

Q_SIGNALS:
    // flag false: a press on the tile; true: the (hidden) download button.
    void fireware_item_clicked(bool flag, int row, int col);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private Q_SLOTS:
    void on_fireware_down_button_clicked();

private:
    void buildForm();

    QLabel *mIconLabel = nullptr;
    QLabel *mProductLabel = nullptr;
    QPushButton *mDownButton = nullptr;
    int mRow = 0;
    int mCol = 0;
};
