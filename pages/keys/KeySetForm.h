#pragma once
// The key assignment page (stack index 2): the bindings of one key layer (normal or Fn) on a
// picture of the keyboard, and five key pickers to give the selected key a new function, to
// disable it or to restore its factory binding, or to restore the whole layer.
//
// Every action is one request to the keyboard; the page changes the keyboard model only when the
// keyboard confirms (the protocol's copy), then draws a new picture from the model.

#include <QList>
#include <QPointer>
#include <QWidget>

class PageTitleBar;
class QInputKeyboardWidget;
class QKeyKeyboardWidget;
class QStackedWidget;
class QToolButton;

class KeySetForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CategoryCount = 5;

    explicit KeySetForm(QWidget *parent = nullptr);
    ~KeySetForm() override;

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model, normal-layer or Fn picture as last shown, keyboard-keys picker.
    void repaintInterface();
    // The page stops being the current page: the shared prompt window goes away with it.
    void exitInterface();

    QKeyKeyboardWidget *keyboard() const;
    // The picker of a category 0 to 4 (null until the category was first shown).
    QInputKeyboardWidget *picker(int category) const;
    uchar layer() const { return mLayer; }
    int keyType() const { return mKeyType; }

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private Q_SLOTS:
    void on_normalLayerButton_clicked();
    void on_fn1LayerButton_clicked();
    void on_keyboardBtn_clicked();
    void on_systemBtn_clicked();
    void on_macroBtn_clicked();
    void on_lightBtn_clicked();
    void on_extendBtn_clicked();

    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);
    void input_keyboard_button(uchar type);
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer, bool flag);

private:
    void buildForm();
    void displayKeyboardSelect();
    void repaintKeyKeyboard();
    void repaintInputKeyboard();
    void selectCategory(int category);
    // The selected key and every key sharing its place; empty without a selection.
    QList<uchar> selectedKeys();
    void sendFunction(const QList<uchar> &keys, uchar type, uchar hValue, uchar lValue);
    void sendDefault(const QList<uchar> &keys);
    // The keyboard confirmed the last request on layer: free the advanced keys it replaced, copy
    // the confirmed bindings into the model and draw the picture anew.
    void applyConfirmed(uchar layer);
    void showToast(const QString &text);

    PageTitleBar *mTitleBar = nullptr;
    QWidget *mKeyboardWidget = nullptr;
    QToolButton *mNormalLayerButton = nullptr;
    QToolButton *mFn1LayerButton = nullptr;
    QList<QToolButton *> mCategoryButtons;
    QStackedWidget *mKeyStackedWidget = nullptr;
    QList<QWidget *> mCategoryPages;

    QPointer<QKeyKeyboardWidget> mKeyKeyboard;
    QPointer<QInputKeyboardWidget> mInputs[CategoryCount];
    uchar mLayer = 0;
    int mKeyType = 0;
    uchar mSelectItem = 255;
    // The request waiting for the keyboard's answer: its layer and keys (empty for a whole layer).
    bool mPending = false;
    uchar mRequestLayer = 0;
    QList<uchar> mRequestKeys;
};
