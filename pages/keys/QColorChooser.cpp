#include "pages/keys/QColorChooser.h"

#include "pages/keys/ColorTextFields.h"
#include "pages/keys/QColorPalette.h"
#include "pages/keys/QColorSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
struct Preset {
    const char *name;
    QRgb rgb;
};
const Preset kPresets[] = {
    {"purpleColorBtn", qRgb(217, 26, 217)}, {"pinkColorBtn", qRgb(245, 49, 157)},
    {"colourColorBtn", qRgb(255, 0, 0)},    {"orangeColorBtn", qRgb(255, 125, 0)},
    {"lyellowColorBtn", qRgb(247, 186, 30)}, {"yellowColorBtn", qRgb(250, 220, 25)},
    {"lgreenColorBtn", qRgb(170, 255, 127)}, {"greenColorBtn", qRgb(0, 255, 0)},
    {"blueColorBtn", qRgb(0, 0, 255)},      {"hblueColorBtn", qRgb(85, 0, 255)},
};

// An object-named row widget with its layout.
QHBoxLayout *namedRow(QWidget *parent, const char *name, QLayout *into)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    into->addWidget(widget);
    return layout;
}
} // namespace

QColorChooser::QColorChooser(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("colorWidget"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    QHBoxLayout *circleRow = namedRow(this, "circleWidget", layout);
    mCirclePlate = new QColorPalette(circleRow->parentWidget());
    mCirclePlate->setObjectName(QStringLiteral("circlePlate"));
    mCirclePlate->setMinimumSize(180, 180);
    circleRow->addWidget(mCirclePlate);

    auto *rows = new QVBoxLayout;
    rows->setSpacing(12);
    buildPresets(namedRow(this, "defaultWidget", rows)->parentWidget());
    QWidget *hexRow = namedRow(this, "customWidget", rows)->parentWidget();
    buildTextFields(hexRow, namedRow(this, "rgbWidget", rows)->parentWidget());
    QHBoxLayout *slideRow = namedRow(this, "slideWidget", rows);
    mSlideColor = new QColorSlider(slideRow->parentWidget());
    mSlideColor->setObjectName(QStringLiteral("slideColor"));
    mSlideColor->setMinimumSize(240, 20);
    mSlideColor->setMaximumHeight(20);
    slideRow->addWidget(mSlideColor, 1);
    rows->addStretch(1);
    layout->addLayout(rows, 1);

    connect(mCirclePlate, &QColorPalette::select_color, this, [this](const QColor &color) {
        mColorFields->showColor(color);
        setSliderColor(color);
        Q_EMIT colorChosen(color);
    });
    connect(mSlideColor, &QColorSlider::valueChanged, this, [this](int value) {
        const QColor color = mSlideColor->getCurrentColors(value);
        mColorFields->showColor(color);
        Q_EMIT colorChosen(color);
    });
    connect(mColorFields, &ColorTextFields::colorEntered, this, &QColorChooser::colorChosen);
    retranslate();
}

void QColorChooser::buildPresets(QWidget *row)
{
    auto *layout = static_cast<QHBoxLayout *>(row->layout());
    layout->setSpacing(6);
    mDefaultColorLabel = new QLabel(row);
    mDefaultColorLabel->setObjectName(QStringLiteral("defaultColorLabel"));
    layout->addWidget(mDefaultColorLabel);
    for (const Preset &preset : kPresets) {
        auto *button = new QToolButton(row);
        button->setObjectName(QString::fromLatin1(preset.name));
        button->setFixedSize(26, 26);
        button->setFocusPolicy(Qt::NoFocus);
        const QColor color = QColor::fromRgb(preset.rgb);
        button->setStyleSheet(QStringLiteral("background-color: %1;").arg(color.name()));
        connect(button, &QToolButton::clicked, this, [this, color] {
            mColorFields->showColor(color);
            Q_EMIT colorChosen(color);
        });
        layout->addWidget(button);
    }
    layout->addStretch(1);
}

void QColorChooser::buildTextFields(QWidget *hexRow, QWidget *rgbRow)
{
    auto *hexLayout = static_cast<QHBoxLayout *>(hexRow->layout());
    mCustomLabel = new QLabel(hexRow);
    mCustomLabel->setObjectName(QStringLiteral("customLabel"));
    auto *hex = new QLineEdit(hexRow);
    hex->setObjectName(QStringLiteral("colorEdit"));
    hex->setAlignment(Qt::AlignCenter);
    hex->setFixedSize(96, 30);
    hexLayout->addWidget(mCustomLabel);
    hexLayout->addWidget(hex);
    hexLayout->addStretch(1);

    auto *rgbLayout = static_cast<QHBoxLayout *>(rgbRow->layout());
    QLineEdit *channels[3];
    const char *names[3][2] = {{"rLabel", "rColorEdit"}, {"gLabel", "gColorEdit"}, {"bLabel", "bColorEdit"}};
    for (int i = 0; i < 3; ++i) {
        auto *letter = new QLabel(QString(QLatin1Char("RGB"[i])), rgbRow);
        letter->setObjectName(QString::fromLatin1(names[i][0]));
        channels[i] = new QLineEdit(rgbRow);
        channels[i]->setObjectName(QString::fromLatin1(names[i][1]));
        channels[i]->setAlignment(Qt::AlignCenter);
        channels[i]->setFixedSize(48, 30);
        rgbLayout->addWidget(letter);
        rgbLayout->addWidget(channels[i]);
    }
    rgbLayout->addStretch(1);
    mColorFields = new ColorTextFields(hex, channels[0], channels[1], channels[2], this);
}

void QColorChooser::retranslate()
{
    mDefaultColorLabel->setText(tr("默认颜色"));
    mCustomLabel->setText(tr("自定义颜色"));
}

void QColorChooser::setSliderColor(const QColor &color)
{
    mSlideColor->setColorRange(Qt::black, color);
}

void QColorChooser::showColor(const QColor &color)
{
    mColorFields->showColor(color);
    // The keyboard confirming the colour under the slider's handle leaves the slider as it is:
    // running from black to that colour instead would make the next step darken it once more,
    // so that where a drag ends would depend on how fast the keyboard answered.
    if (color.isValid() && color != mSlideColor->getCurrentColors(mSlideColor->value()))
        setSliderColor(color);
}
