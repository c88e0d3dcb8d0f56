#pragma once
// The lighting page (stack index 3): the keyboard's lighting mode (one of the effects the
// keyboard names, in the user's language, or per-key lighting), the chosen effect's brightness,
// speed, full-colour option and colour, and in per-key mode one colour and brightness for the
// keys selected on the keyboard picture.
//
// Every user action is one request to the keyboard. The page changes the keyboard model only when
// the keyboard confirms (the protocol's copy) and then shows the model again; a refused or failed
// change puts the controls back to what the keyboard holds. Showing a state sends nothing: the
// controls report only what the user does.

#include <QColor>
#include <QMap>
#include <QPointer>
#include <QWidget>

struct KEYBOARD_EFFECT_LIGHT;
class PageTitleBar;
class QCheckBox;
class QColorChooser;
class QCustomSlider;
class QGridLayout;
class QLabel;
class QLightKeyboardWidget;
class QScrollArea;
class QToolButton;

class LightSetForm : public QWidget
{
    Q_OBJECT
public:
    // mEffectMode when no mode is shown, and the mode of per-key lighting.
    static constexpr uchar NoMode = 254;
    static constexpr uchar CustomMode = 255;

    explicit LightSetForm(QWidget *parent = nullptr);
    ~LightSetForm() override;

    // The page becomes the current page, or the profile was read again while it is: a new
    // picture from the keyboard model and the mode buttons from its effect names; no mode is
    // shown until the user picks one (the keyboard may have changed its mode by itself).
    void repaintInterface();
    // The page stops being the current page.
    void exitInterface();
    // Forgets the mode shown, so that the next press on any mode button is sent. Called after
    // every profile re-read.
    void resetLightSelect();

    uchar effectMode() const { return mEffectMode; }
    QLightKeyboardWidget *keyboard() const;
    // The page takes the height the window gives it: its wrapped prompt does not ask the window
    // for the height of its longest wording (which would make the window scroll).
    bool hasHeightForWidth() const override { return false; }

public Q_SLOTS:
    // The language changed: the page's texts, and the effect names asked for again.
    void refreshLanguageUi();

private Q_SLOTS:
    void on_selectAllBtn_clicked();
    void on_invertBtn_clicked();
    void on_deselectAllBtn_clicked();
    void on_colorCheckBox_clicked(bool checked);
    void lightSliderClicked(int type, int value);
    void speedSliderClicked(int type, int value);
    // A colour the user chose: taken and sent.
    void colorChanged(QColor color);

    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_custom_light(uchar source, int current, int total);
    void usb_receive_set_effect_light(uchar source, int current, int total);
    void usb_receive_set_effect_light_language(uchar source, int current, int total);
    void usb_receive_select_effect_light(uchar source, int current, int total, int index);

private:
    // The values the controls were last shown with from the keyboard, or last confirmed with.
    struct Values {
        int light = 50;
        int speed = 50;
        bool fullColor = false;
        QColor color;
    };
    enum class Pending { None, Select, Effect, Custom };
    enum class EffectField { Light, Speed, FullColor, Color };

    void buildForm();
    QWidget *buildModePanel();
    QWidget *buildSettingsPanel();
    void retranslate();
    void repaintKeyKeyboard();
    void initializeLightEffectMode();
    void displayEffectLight(const uchar &mode);
    void refreshEffectModeButton(const uchar &mode);
    void handleEffectModeButtonClick(const uchar &mode);
    void showRows(bool light, bool speed, bool fullColor, bool color);
    void showLight();
    void showSpeed();
    // The page's values become the confirmed ones, or go back to them and are shown again.
    void confirmValues();
    void revert();

    void send_light_type_select(uchar mode);
    // False (and nothing sent) when no key is selected or no colour is known for them.
    bool send_custom_light_data();
    // The selected keys and every key sharing a place with one of them, ascending.
    QList<uchar> get_select_custom_light();
    // The shown effect with one field changed; false (nothing sent) when there is no such effect
    // or it has no such setting.
    bool sendEffectChange(EffectField field);
    bool effectInRange(uchar mode) const;
    void showToast(const QString &text);
    bool fromOtherSource(uchar source, const char *slot) const;

    PageTitleBar *mTitleBar = nullptr;
    QWidget *mKeyboardWidget = nullptr;
    QToolButton *mSelectAllBtn = nullptr;
    QToolButton *mInvertBtn = nullptr;
    QToolButton *mDeselectAllBtn = nullptr;
    QLabel *mModeLabel = nullptr;
    QScrollArea *mModeScrollArea = nullptr;
    QGridLayout *mModeGrid = nullptr;
    QLabel *mPromptLabel = nullptr;
    QWidget *mLightWidget = nullptr;
    QLabel *mLightPromptLabel = nullptr;
    QCustomSlider *mLightSlider = nullptr;
    QLabel *mLightLabel = nullptr;
    QWidget *mSpeedWidget = nullptr;
    QLabel *mSpeedPromptLabel = nullptr;
    QCustomSlider *mSpeedSlider = nullptr;
    QLabel *mSpeedLabel = nullptr;
    QWidget *mFullColorWidget = nullptr;
    QLabel *mFullColorLabel = nullptr;
    QCheckBox *mColorCheckBox = nullptr;
    QColorChooser *mColorChooser = nullptr;

    QPointer<QLightKeyboardWidget> mLightKeyboard;
    QMap<uchar, QToolButton *> mModeButtons;
    uchar mEffectMode = NoMode;
    int mLight = 50;
    int mSpeed = 50;
    bool mFullColor = false;
    QColor mColor; // invalid until the user chose a colour
    Values mConfirmed;
    Pending mPending = Pending::None;
};
