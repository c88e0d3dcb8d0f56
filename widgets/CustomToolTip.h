#pragma once
#include <QPoint>
#include <QPointer>
#include <QSharedPointer>
#include <QSize>
#include <QWidget>

class QLabel;

// The frameless prompt shown centred above a widget. While active it follows the main window:
// hidden when the window is minimised, shown again when it is restored, placed anew on its widget
// once the window is laid out at a new size. It is shown only while the window of its widget (the
// main window, or a dialog showing a prompt) is the active window: any other window in front, the
// program's own dialogs included, hides it until that window is active again. The style sheet
// gives it a fixed size and its "bottomOffset"; a text too long for that size is wrapped and,
// where it still does not fit, shown in a smaller font.
class CustomToolTip : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int rightOffset READ getRightOffset WRITE setRightOffset)
    Q_PROPERTY(int bottomOffset READ getBottomOffset WRITE setBottomOffset)
    Q_PROPERTY(QString text READ getText WRITE setText)
    Q_PROPERTY(Qt::Alignment alignment READ getAlignment WRITE setAlignment)
public:
    explicit CustomToolTip(const QString &objectName);

    // Shows the text centred above the widget; no widget, nothing happens.
    void showTip(const QString &text, QWidget *widget);
    // Shows the tip at an anchor (global top-left of a widget) with the widget's half width.
    void showTip(const QPoint &anchor, int halfWidth);
    void hideTip();

    // The main window was maximized or restored: anchor anew on the widget and show, again once the
    // window has been laid out at its new size.
    void windowsChange();
    // The main window was minimised: hide, staying active.
    void changeMinimized();
    // The main window was restored: show again where the tip was, when active and its widget's
    // window is in front.
    void restoreMinimized();

    int getRightOffset() const;
    void setRightOffset(int offset);
    int getBottomOffset() const;
    void setBottomOffset(int offset);
    QString getText() const;
    void setText(const QString &text);
    Qt::Alignment getAlignment() const;
    void setAlignment(Qt::Alignment alignment);

    // Top-left corner of a tip of tipSize centred over a widget at anchor, on its top edge moved
    // down by bottomOffset, kept inside a screen of screenSize starting at the origin.
    static QPoint tipPosition(const QPoint &anchor, int halfWidth, const QSize &tipSize,
                              int bottomOffset, const QSize &screenSize);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();
    void placeAndShow();
    // Places the tip; shows it only while its widget's window is the active window.
    void placeAndShowInFront();
    // Takes the anchor again from the widget's place, when active.
    void followWidget();
    // Fits the label's text into the tip's size: the style sheet's font, made smaller as needed.
    void fitText();

    QLabel *mLabel = nullptr;
    int mRightOffset = 0;
    int mBottomOffset = 0;
    QPoint mAnchor;
    QPointer<QWidget> mWidget;
    QPointer<QWidget> mWidgetWindow; // the window of mWidget, whose activation the tip follows
    int mHalfWidth = 0;
    bool mActive = false;
    // Set by windowsChange: the next resize of the widget's window anchors the tip anew.
    bool mFollowNextResize = false;
};

// The one prompt window, created at start-up with the object name "CustomToolTip".
extern QSharedPointer<CustomToolTip> gCustomToolTip;
