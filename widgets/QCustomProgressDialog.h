#pragma once
#include <QProgressDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// The device page's progress box: label, optional progress bar and its own cancel button, laid out
// top to bottom. The button hides the dialog without emitting canceled(); it emits cancelClicked()
// so that the owner can stop what the dialog waits for.
class QCustomProgressDialog : public QProgressDialog
{
    Q_OBJECT
public:
    // An empty cancel text gives the button the text "取消".
    QCustomProgressDialog(const QString &labelText, const QString &cancelButtonText, int minimum,
                          int maximum, bool showProgressBar, QWidget *parent = nullptr);

    void setProgressBarVisible(bool visible);
    bool isProgressBarVisible() const;

Q_SIGNALS:
    void progressValueChanged(int value);
    // The dialog's own cancel button was clicked (after it hid the dialog).
    void cancelClicked();

private Q_SLOTS:
    void onValueChanged(int value);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildLayout(QLabel *label);
    void applyLayout();

    QPushButton *mCancelButton = nullptr;
    QProgressBar *mProgressBar = nullptr;
    bool mProgressBarVisible = false;
    QWidget *mContainer = nullptr;
};
