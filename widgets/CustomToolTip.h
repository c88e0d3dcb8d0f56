#pragma once
#include <QPoint>
#include <QPointer>
#include <QSharedPointer>
#include <QSize>
#include <QWidget>

class QLabel;

// The frameless prompt shown centred above a widget. While active it follows the main window:
// hidden when the window is minimised, shown again when it is restored. It follows the window of
// its widget (the main window, or a dialog showing a prompt): hidden when another program comes in
// front, shown again when that window is active; one of the program's own windows in front keeps it. The style
// sheet gives it a fixed size and its "bottomOffset"; a text too long for that size is wrapped
// and, where it still does not fit, shown in a smaller font.
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

    // The main window was maximized or restored: anchor anew on the widget and show.
    void windowsChange();
    // The main window was minimised: hide, staying active.
    void changeMinimized();
    // The main window was restored: show again where the tip was, when active.
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
    void placeAndShow();
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
};

// The one prompt window, created at start-up with the object name "CustomToolTip".
extern QSharedPointer<CustomToolTip> gCustomToolTip;
