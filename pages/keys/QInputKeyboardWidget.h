#pragma once
// The on-screen key picker: the keys of one picker list (type 0 keyboard keys, 1 media keys,
// 2 macros, 3 lighting functions, 4 further keyboard functions) drawn as keycaps. A click reports
// the key function of the clicked entry; the picker keeps no selection. The keyboard-keys picker
// also has three reset buttons, hidden until openResetAndNullButton.

#include "model/KeyCodeTables.h"
#include "pages/common/KeyboardPicture.h"

#include <QList>

class QCustomLabel;
class QPushButton;

class QInputKeyboardWidget : public KeyboardPicture
{
    Q_OBJECT
public:
    enum ResetButton : uchar { ResetKey = 0, DisableKey = 1, ResetLayer = 2 };

    explicit QInputKeyboardWidget(uchar type, QWidget *parent = nullptr);
    ~QInputKeyboardWidget() override;

    // The picker list of a picker type; null for a type above 4.
    static const QList<KEYBOARD_LIST_INFO> *pickerList(uchar type);

    void initializeKeyboard();
    void openResetAndNullButton();
    void refreshLanguageUi();

    uchar type() const { return mType; }
    const QList<QCustomLabel *> &tiles() const { return mLabelList; }

Q_SIGNALS:
    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);
    void input_keyboard_button(uchar type);

private Q_SLOTS:
    void custom_label_clicked(uchar item);
    void onResetButtonClicked();
    void onNullButtonClicked();
    void onResetLayerButtonClicked();

private:
    QPushButton *makeButton(const char *objectName, const QRect &geometry, const char *tipKey);

    uchar mType;
    QList<QCustomLabel *> mLabelList;
    QPushButton *mResetButton = nullptr;
    QPushButton *mNullButton = nullptr;
    QPushButton *mResetLayerButton = nullptr;
};
