#include "pages/tuning/QNatureLabel.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/tuning/QNatureKeyboardWidget.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

namespace {
constexpr qreal kMinValuePixels = 7;
// The least size the pair at the bottom steps down to on the narrowest keys.
constexpr qreal kSmallestPairPixels = 4;
// The widest value a tile has to show, twice side by side at the bottom.
const QString &sampleValue()
{
    static const QString sample = QNatureLabel::valueText(888);
    return sample;
}
} // namespace

QNatureLabel::QNatureLabel(QWidget *parent) : KeyTile(parent)
{
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
}

QString QNatureLabel::valueText(int value)
{
    return QLocale().toString(value / 100.0, 'f', 2);
}

void QNatureLabel::setItemIndex(const uchar &item)
{
    mItemIndex = item;
    const auto travel = gKeyboardConfig ? gKeyboardConfig->getKeyboardTriggerInfo(item) : nullptr;
    mHasTravel = !travel.isNull();
    mTravel = mHasTravel ? *travel : KEYBOARD_TRIGGER_INFO();
    QString tip = legend().toolTip();
    if (mHasTravel) {
        if (!tip.isEmpty())
            tip += QLatin1Char('\n');
        tip += mTravel.model ? tr("快速触发模式:已开启") : tr("快速触发模式:已关闭");
        tip += QLatin1Char('\n');
        tip += mTravel.quick ? tr("连续快速触发:已开启") : tr("连续快速触发:已关闭");
    }
    setToolTip(tip);
    refreshLegend();
}

void QNatureLabel::setTopDisplayStatus(bool shown)
{
    if (shown == mTopShown)
        return;
    mTopShown = shown;
    refreshLegend();
}

void QNatureLabel::setBottomDisplayStatus(bool shown)
{
    if (shown == mBottomShown)
        return;
    mBottomShown = shown;
    refreshLegend();
}

QString QNatureLabel::topText() const
{
    return mTopShown && mHasTravel ? valueText(mTravel.trigger) : QString();
}

QString QNatureLabel::bottomLeftText() const
{
    return showsBottom() ? valueText(mTravel.quickTrigger) : QString();
}

QString QNatureLabel::bottomRightText() const
{
    return showsBottom() ? valueText(mTravel.resetTrigger) : QString();
}

const QNatureLabel::ValueLayout &QNatureLabel::valueLayout() const
{
    if (mValues.size == size() && qFuzzyCompare(mValues.unit + 1, unit() + 1))
        return mValues;
    mValues.size = size();
    mValues.unit = unit();
    const qreal u = unit() > 0 ? unit() : height();
    const QRectF face = KeycapPainter::faceRect(QRectF(rect()), u);
    const qreal pad = qMax<qreal>(1, 0.05 * u);
    const QRectF row = face.adjusted(pad, 0, -pad, 0);
    const qreal gap = qMax<qreal>(2, 0.08 * u);

    // Condensed figures of about a quarter unit. The pair at the bottom steps down to the smallest
    // readable size on the face; where two values do not fit side by side even so (keys about one
    // unit wide), the pair spreads over the keycap's sides too and steps down further.
    QFont font = this->font();
    font.setStretch(QFont::SemiCondensed);
    font.setWeight(QFont::DemiBold);
    qreal pixels = qMax(kMinValuePixels, std::floor(0.24 * u));
    font.setPixelSize(qRound(pixels));
    mValues.topFont = font;
    QRectF pairRow = row;
    const auto pairFits = [&pairRow, gap](const QFont &f) {
        return 2 * QFontMetricsF(f).horizontalAdvance(sampleValue()) + gap <= pairRow.width();
    };
    const auto stepDown = [&](qreal floor) {
        while (!pairFits(font) && pixels > floor) {
            pixels -= 0.5;
            font.setPixelSize(qRound(pixels));
        }
    };
    stepDown(kMinValuePixels);
    if (!pairFits(font)) {
        pairRow = QRectF(rect()).adjusted(1, 0, -1, 0);
        stepDown(kSmallestPairPixels);
    }
    mValues.bottomFont = font;
    const qreal topHeight = std::ceil(QFontMetricsF(mValues.topFont).ascent()) + 1;
    const qreal bottomHeight = std::ceil(QFontMetricsF(mValues.bottomFont).ascent()) + 1;
    mValues.top = QRectF(row.left(), face.top() + 0.03 * u, row.width(), topHeight);
    mValues.bottom = QRectF(pairRow.left(), face.bottom() - bottomHeight - 0.02 * u, pairRow.width(), bottomHeight);
    return mValues;
}

QRectF QNatureLabel::legendBox() const
{
    const bool top = !topText().isEmpty();
    const bool bottom = showsBottom();
    if (!top && !bottom)
        return QRectF();
    const qreal u = unit() > 0 ? unit() : height();
    const QRectF face = KeycapPainter::faceRect(QRectF(rect()), u);
    const ValueLayout &values = valueLayout();
    return QRectF(QPointF(face.left(), top ? values.top.bottom() : face.top()),
                  QPointF(face.right(), bottom ? values.bottom.top() : face.bottom()));
}

void QNatureLabel::paintEvent(QPaintEvent *event)
{
    KeyTile::paintEvent(event);
    const QString top = topText();
    const bool bottom = showsBottom();
    if (top.isEmpty() && !bottom)
        return;
    const auto *picture = qobject_cast<const QNatureKeyboardWidget *>(parentWidget());
    const ValueLayout &values = valueLayout();
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const auto colour = [picture](int which) {
        return picture ? picture->valueColor(which) : QNatureKeyboardWidget::defaultValueColor(which);
    };
    if (!top.isEmpty()) {
        painter.setFont(values.topFont);
        painter.setPen(colour(QNatureKeyboardWidget::TriggerValue));
        painter.drawText(values.top, Qt::AlignLeft | Qt::AlignBottom, top);
    }
    if (bottom) {
        painter.setFont(values.bottomFont);
        painter.setPen(colour(QNatureKeyboardWidget::QuickValue));
        painter.drawText(values.bottom, Qt::AlignLeft | Qt::AlignBottom, bottomLeftText());
        painter.setPen(colour(QNatureKeyboardWidget::ResetValue));
        painter.drawText(values.bottom, Qt::AlignRight | Qt::AlignBottom, bottomRightText());
    }
}

void QNatureLabel::changeEvent(QEvent *event)
{
    // Another font from the style sheet: the values are laid out again.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        mValues.size = QSize();
    KeyTile::changeEvent(event);
}
