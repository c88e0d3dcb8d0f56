#pragma once
// A keycap on a keyboard picture or a key picker. The tile draws itself with KeycapPainter in the
// colours of the picture it sits on; what it shows is a KeyLegend. The label text stays the
// legend's text, so that the tile reads like the label it is.

#include "pages/common/KeycapPainter.h"

#include <QLabel>

class KeyTile : public QLabel
{
    Q_OBJECT
public:
    explicit KeyTile(QWidget *parent = nullptr);

    // The object name of the tile of a key item; pictures find their tiles by it.
    static QString objectNameFor(uchar item);

    // Shows the legend and sets the tooltip from it; a blank legend clears both.
    void setLegend(const KeyLegend &legend);
    const KeyLegend &legend() const { return mLayout.legend; }
    // The legend as the tile draws it now: its lines, font, and whether it had to be shortened.
    const LegendLayout &legendLayout() const { return mLayout; }
    // The height of a 1u key on the picture the tile belongs to.
    void setUnit(qreal unit);
    qreal unit() const { return mUnit; }
    void setSelected(bool selected);
    bool isSelected() const { return mLook.selected; }
    // A colour of the key's own (lighting pages); an invalid colour returns to the theme's.
    void setFaceColor(const QColor &color);
    QColor faceColor() const { return mLook.face; }
    void setOff(bool off);
    bool isOff() const { return mLook.off; }

protected:
    // The part of the top face the legend is centred in, for a tile that draws more marks on its
    // face; empty (the default) for the whole face.
    virtual QRectF legendBox() const { return QRectF(); }
    // Lays the legend out again, after legendBox changed.
    void refreshLegend();
    // The colours of the picture the tile sits on.
    KeycapColors colors() const;
    // How the keycap is drawn now: selection, own colour and off state as set, hover and
    // disabled state from the widget. Tiles that show more override it.
    virtual KeycapLook currentLook() const;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();

    LegendLayout mLayout;
    KeycapLook mLook;
    qreal mUnit = 0;
};
