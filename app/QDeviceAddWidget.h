#pragma once
#include <QWidget>

class QLabel;

// The device page's "open device" card: a picture and a title; a left click asks the page to
// open the device link.
class QDeviceAddWidget : public QWidget
{
    Q_OBJECT
public:
    QDeviceAddWidget(int row, int col, QWidget *parent = nullptr);

    int row() const { return mRow; }
    int col() const { return mCol; }

Q_SIGNALS:
    // type 0: open the device.
    void device_clicked(int type, int row, int col);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int mRow = 0;
    int mCol = 0;
    QLabel *mTitleLabel = nullptr;
    QLabel *mImageLabel = nullptr;
};
