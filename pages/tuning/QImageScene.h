#pragma once
// The actuation picture of the performance page: a switch drawn in three layers, of which the
// middle one, the marker of the actuation point, is drawn lower by an offset the page sets
// (0 to 25 pixels from the shortest to the longest travel). The pictures are the current
// theme's, drawn at the screen's pixel ratio.

#include <QPixmap>
#include <QWidget>

class QImageScene : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PictureWidth = 136;
    static constexpr int PictureHeight = 178;
    // How far the marker moves between the shortest and the longest actuation travel.
    static constexpr int MarkerTravel = 25;

    explicit QImageScene(QWidget *parent = nullptr);

    void setOffsetY(int y);
    int offsetY() const { return mOffsetY; }

    // The marker offset of an actuation travel between the product's limits: 0 at triggerMin,
    // MarkerTravel at triggerMax, truncated in between; 0 when the limits leave no range.
    static int markerOffset(int travel, int triggerMin, int triggerMax);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPixmap picture(const char *name) const;

    int mOffsetY = 0;
};
