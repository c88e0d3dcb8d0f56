#pragma once
// The advanced-key page (stack index 4): binds, edits and deletes the DKS, MT, TGL, RS, OKS and
// SOCD keys of the current profile, at most 32. The picture shows every key with its function and
// the kind of the advanced key it is bound to; below, six kind buttons and a grid of cards, one
// per binding of the chosen kind, led by an add card while a slot is free.
//
// Editing happens in the kind's modal dialog; the page sends what the dialog hands back and
// changes the keyboard model only on the keyboard's confirmation: an add reply binds the record's
// keys, a delete reply frees the slot and asks the keyboard to restore the keys' factory
// functions, whose reply the page copies before it redraws.

#include "model/KeyboardRecords.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class PageTitleBar;
class QGridLayout;
class QHighKeyDialog;
class QHighKeyboardWidget;
class QLabel;
class QScrollArea;
class QToolButton;

class HighKeyForm : public QWidget
{
    Q_OBJECT
public:
    explicit HighKeyForm(QWidget *parent = nullptr);
    ~HighKeyForm() override;

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model.
    void repaintInterface();
    // The page stops being the current page.
    void exitInterface();

    QHighKeyboardWidget *keyboard() const;
    // The kind shown (0 TGL .. 5 SOCD).
    int highKeyType() const { return mHighKeyType; }

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private Q_SLOTS:
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_add_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_del_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer, bool flag);

    void keyboard_select(const uchar &mItem);
    void grid_Layout_Clicked(int type, uchar item);

    void on_tglBtn_clicked();
    void on_mtBtn_clicked();
    void on_dksBtn_clicked();
    void on_rsBtn_clicked();
    void on_oksBtn_clicked();
    void on_socdBtn_clicked();

private:
    void buildForm();
    // The count of bound slots out of 32.
    void updatePrompt();
    // The four redraw steps.
    void redraw();
    void repaintKeyKeyboard();
    void displayHighSelect();
    void removeGridLayout();
    void initGridLayout();

    // A kind button: shows its kind unless it is shown already.
    void selectKind(int kind);
    // Shows a kind: its button, its enabling rule on the picture (which lets the pick go), its cards.
    void showKind(int kind);
    // Opens the current kind's dialog for a slot (255: a new binding) once the press that asked
    // for it is over: replies handled while the dialog runs rebuild the picture and the cards, and
    // the widget pressed must not go while its press is being handled. What the dialog needs
    // (kind, the key picked on the picture) is taken at the press.
    void openBinding(uchar slot);
    // Runs the dialog of kind for a slot and sends what it hands back.
    void entryHighKeyDataForm(int kind, uchar slot, uchar selected);
    QHighKeyDialog *createDialog(int kind, uchar slot, uchar firstKey);
    // The bound record in a slot, or null.
    static QSharedPointer<HIGH_KEY_INFO> boundRecord(uchar slot);
    void sendAdd(const HIGH_KEY_INFO &record, bool newBinding);
    void sendDelete(const HIGH_KEY_INFO &record);
    void showToast(const QString &text);

    PageTitleBar *mTitleBar = nullptr;
    QLabel *mPromptLabel = nullptr;
    QWidget *mKeyboardWidget = nullptr;
    QList<QToolButton *> mKindButtons; // by kind
    QScrollArea *mScrollArea = nullptr;
    QWidget *mScrollContents = nullptr;
    QGridLayout *mGridLayout = nullptr;

    QPointer<QHighKeyboardWidget> mKeyboard;
    int mHighKeyType = 2;
    bool mDialogPending = false;
    // Keys whose factory functions the last delete asked the keyboard to restore.
    QList<uchar> mRestoreKeys;
};
