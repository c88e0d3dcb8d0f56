#pragma once
// The frame every advanced-key dialog shares: a frameless tool window that stays on top, with the
// title and the "删除", "取消" and "保存" buttons on top, a description, the kind's own controls in
// the middle and a keyboard area at the bottom. A dialog edits one HIGH_KEY_INFO in memory and
// never talks to the keyboard: the page runs it modally and, when it was accepted, reads back the
// record and the status (new binding saved, existing binding saved, delete asked for).
//
// Saving first lets the kind complete the record from its controls. A record is saved as the user
// left it, even one without any key function; only the pair kinds check theirs (two different
// keys), with a short notice over the dialog, which stays open. A new binding takes the first
// free slot at that moment; when every slot is taken the dialog refuses to save and says so.

#include "model/KeyboardRecords.h"

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;

class QHighKeyDialog : public QDialog
{
    Q_OBJECT
public:
    enum Status { NewBinding = 0, EditedBinding = 1, DeleteBinding = 2 };

    ~QHighKeyDialog() override;

    HIGH_KEY_INFO getHighKeyInfo() const { return mHighKeyInfo; }
    int getStatusFlag() const { return mStatusFlag; }
    // Whether the label shows the look of a label waiting for a key.
    static bool isWaiting(const QLabel *label);
    // The slot the dialog was opened for; 255 for a new binding.
    uchar index() const { return mIndex; }

public Q_SLOTS:
    // Shows the shared prompt (the tip text of the dialog's prompt key) above target, or hides it.
    void displaySelectPrompt(bool show, const QWidget *target);

protected:
    // index: the slot to edit, 255 for a new binding of kind; firstKey: the key a new binding is
    // made for (255 when the page fills it in).
    QHighKeyDialog(uchar index, uchar kind, uchar firstKey, const QString &objectName, const QSize &size,
                   QWidget *parent);

    // Completes the record from the kind's controls; false, after a notice, when it cannot be
    // saved as it stands. A kind with nothing to complete saves the record as it is.
    virtual bool completeRecord() { return true; }
    // A centred label of the kind's controls.
    static QLabel *caption(const char *objectName, const QString &text, QWidget *parent);
    // Puts one of the kind's controls into the middle row, after those already there, top-aligned.
    void addToMiddle(QWidget *widget);
    // A notice over the dialog for 2000 ms.
    void refuse(const QString &text);
    // Gives a label the look of a label waiting for a key (from the style sheet), or takes it away.
    static void setWaiting(QLabel *label, bool waiting);

    void paintEvent(QPaintEvent *event) override;

    QLabel *mTitleLabel;
    QLabel *mPromptLabel;
    QWidget *mPromptWidget;
    QWidget *mMiddleWidget;
    QHBoxLayout *mMiddleLayout;   // the kind's controls, centred
    QWidget *mKeyboardWidget;     // the keyboard area
    QPushButton *mDelBtn;
    QPushButton *mCancelBtn;
    QPushButton *mSaveBtn;

    QString mPromptKey;           // tip-file key of the prompt
    HIGH_KEY_INFO mHighKeyInfo;
    int mStatusFlag;
    uchar mIndex;

private Q_SLOTS:
    void on_saveBtn_clicked();
    void on_delBtn_clicked();
    void on_cancelBtn_clicked();
};
