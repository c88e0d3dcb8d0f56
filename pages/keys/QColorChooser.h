#pragma once
// The colour choice of the lighting page: ten preset colours, the colour wheel, the colour as
// text (any colour text the framework reads, and R, G, B) and the colour slider, which darkens
// the colour last picked on the wheel or shown for an effect. Each source fills the parts that did
// not produce the colour, and colorChosen reports it: a preset clicked, a press on the wheel, every
// value the slider takes, a text committed.

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

    // Shows a colour in the text fields and lets the slider run from black to it, its value
    // unchanged (unless the colour is the one under the slider's handle); nothing is reported.
    // An invalid colour empties the fields and leaves the slider.
    void showColor(const QColor &color);
    void retranslate();

Q_SIGNALS:
    void colorChosen(QColor color);

private:
    void buildPresets(QWidget *row);
    void buildTextFields(QWidget *hexRow, QWidget *rgbRow);
    // The slider runs from black to the colour; its value stays.
    void setSliderColor(const QColor &color);

    QLabel *mDefaultColorLabel = nullptr;
    QLabel *mCustomLabel = nullptr;
    QColorPalette *mCirclePlate = nullptr;
    QColorSlider *mSlideColor = nullptr;
    ColorTextFields *mColorFields = nullptr;
};
