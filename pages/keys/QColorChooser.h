#pragma once
// The colour choice of the lighting page: ten preset colours, the colour wheel, the colour as
// text (hexadecimal and R, G, B) and the colour slider, which darkens the colour picked last.
// The parts follow each other while the user works with one of them; colorChosen reports the
// colour once it is chosen: a preset clicked, the wheel or the slider let go, a text committed.

#include <QColor>
#include <QWidget>

class ColorTextFields;
class QColorPalette;
class QColorSlider;
class QLabel;

class QColorChooser : public QWidget
{
    Q_OBJECT
public:
    explicit QColorChooser(QWidget *parent = nullptr);

    // Shows a colour in every part, the slider at the colour itself; nothing is reported. An
    // invalid colour clears the parts (the slider then runs from black to white).
    void showColor(const QColor &color);
    void retranslate();

Q_SIGNALS:
    void colorChosen(QColor color);

private:
    void buildPresets(QWidget *row);
    void buildTextFields(QWidget *hexRow, QWidget *rgbRow);
    // The slider runs from black to the colour and stands at its end.
    void setSliderColor(const QColor &color);
    void choose(const QColor &color);

    QLabel *mDefaultColorLabel = nullptr;
    QLabel *mCustomLabel = nullptr;
    QColorPalette *mCirclePlate = nullptr;
    QColorSlider *mSlideColor = nullptr;
    ColorTextFields *mColorFields = nullptr;
};
