#pragma once
#include <QDialog>

class QLabel;

// A short message that disappears by itself: a frameless, non-modal box over its parent that
// closes and deletes itself after the given duration. The caller shows it right away.
class QToastBox : public QDialog
{
    Q_OBJECT
public:
    QToastBox(QWidget *parent, const QString &text, int ms);

private:
    QLabel *mLabel = nullptr;
};
