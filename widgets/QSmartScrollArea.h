#pragma once
#include <QScrollArea>

// A scroll area that stretches its content to the viewport when there is room for it and keeps
// the content at its preferred size, scrolling, when there is not.
class QSmartScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit QSmartScrollArea(QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
};
