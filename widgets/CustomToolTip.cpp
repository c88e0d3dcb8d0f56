#include "widgets/CustomToolTip.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>

QSharedPointer<CustomToolTip> gCustomToolTip;

namespace {
// The least font size a long prompt is made smaller to.
constexpr int kSmallestTextPixels = 8;
} // namespace

CustomToolTip::CustomToolTip(const QString &objectName)
    : QWidget(nullptr), mLabel(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mLabel);
    mLabel->setAlignment(Qt::AlignCenter);
    mLabel->setWordWrap(true);
    setObjectName(objectName);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
}

void CustomToolTip::showTip(const QString &text, QWidget *widget)
{
    if (!widget)
        return;
    mWidget = widget;
    if (widget->window() != mWidgetWindow) {
        if (mWidgetWindow)
            mWidgetWindow->removeEventFilter(this);
        mWidgetWindow = widget->window();
        mWidgetWindow->installEventFilter(this);
    }
    mActive = true;
    setText(text);
    mAnchor = widget->mapToGlobal(QPoint(0, 0));
    mHalfWidth = widget->width() / 2;
    placeAndShow();
}

void CustomToolTip::showTip(const QPoint &anchor, int halfWidth)
{
    mAnchor = anchor;
    mHalfWidth = halfWidth;
    placeAndShow();
}

void CustomToolTip::hideTip()
{
    mActive = false;
    mFollowNextResize = false;
    hide();
}

void CustomToolTip::windowsChange()
{
    if (!mActive)
        return;
    // The window may have moved or changed size. The state change can come before the window has
    // its new size: anchored now, then again once the resize and the layouts it posts are done.
    followWidget();
    mFollowNextResize = true;
    QMetaObject::invokeMethod(this, &CustomToolTip::followWidget, Qt::QueuedConnection);
}

void CustomToolTip::followWidget()
{
    if (!mActive)
        return;
    // A widget that is gone keeps its last place.
    if (mWidget) {
        mAnchor = mWidget->mapToGlobal(QPoint(0, 0));
        mHalfWidth = mWidget->width() / 2;
    }
    placeAndShowInFront();
}

void CustomToolTip::changeMinimized()
{
    hide();
}

void CustomToolTip::restoreMinimized()
{
    if (mActive)
        placeAndShowInFront();
}

int CustomToolTip::getRightOffset() const
{
    return mRightOffset;
}

void CustomToolTip::setRightOffset(int offset)
{
    if (offset != mRightOffset)
        mRightOffset = offset;
}

int CustomToolTip::getBottomOffset() const
{
    return mBottomOffset;
}

void CustomToolTip::setBottomOffset(int offset)
{
    if (offset != mBottomOffset)
        mBottomOffset = offset;
}

QString CustomToolTip::getText() const
{
    return mLabel->text();
}

void CustomToolTip::setText(const QString &text)
{
    mLabel->setText(text);
    fitText();
}

void CustomToolTip::fitText()
{
    ensurePolished();
    // Back to the style sheet's font, then one pixel smaller at a time.
    if (!mLabel->styleSheet().isEmpty())
        mLabel->setStyleSheet(QString());
    mLabel->ensurePolished();
    for (int pixels = QFontInfo(mLabel->font()).pixelSize() - 1;
         pixels >= kSmallestTextPixels && mLabel->heightForWidth(width()) > height(); --pixels)
        mLabel->setStyleSheet(QStringLiteral("font-size: %1px;").arg(pixels));
}

Qt::Alignment CustomToolTip::getAlignment() const
{
    return mLabel->alignment();
}

void CustomToolTip::setAlignment(Qt::Alignment alignment)
{
    mLabel->setAlignment(alignment);
}

QPoint CustomToolTip::tipPosition(const QPoint &anchor, int halfWidth, const QSize &tipSize,
                                  int bottomOffset, const QSize &screenSize)
{
    const int w = tipSize.width();
    const int h = tipSize.height();
    const int x = qMax(0, anchor.x() + halfWidth - w / 2);
    const int y = qMax(0, anchor.y() - h + bottomOffset);
    return QPoint(x + w > screenSize.width() ? screenSize.width() - w : x,
                  y + h > screenSize.height() ? screenSize.height() - h : y);
}

void CustomToolTip::place()
{
    QSize screenSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        screenSize = screen->geometry().size();
    move(tipPosition(mAnchor, mHalfWidth, size(), mBottomOffset, screenSize));
}

void CustomToolTip::placeAndShow()
{
    place();
    show();
}

void CustomToolTip::placeAndShowInFront()
{
    place();
    // A tip placed at a bare anchor belongs to no window.
    setVisible(!mWidgetWindow || mWidgetWindow->isActiveWindow());
}

bool CustomToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mWidgetWindow)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ActivationChange) {
        // Any other window in front, another program's or one of ours: hidden. The widget's
        // window in front again: shown.
        if (mActive)
            placeAndShowInFront();
        else
            hide();
    } else if (event->type() == QEvent::Resize && mFollowNextResize) {
        // After the window and the layouts it posts have taken the new size.
        mFollowNextResize = false;
        QMetaObject::invokeMethod(this, &CustomToolTip::followWidget, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void CustomToolTip::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void CustomToolTip::paintEvent(QPaintEvent *event)
{
    // Lets style-sheet backgrounds and borders apply to this plain widget.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}

void CustomToolTip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A tip whose size changed is placed anew.
    placeAndShow();
}
