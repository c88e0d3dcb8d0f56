#pragma once
// One row of the macro page's step list: the step's number, whether its key goes down or up, the
// key's name and the time until the next step, and a button asking the page to delete the row.
// The row holds its own copy of the step; the page reads it back when saving. It never talks to
// the keyboard and never removes itself.

#include "model/KeyboardRecords.h"

#include <QPixmap>
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class QMacroItemWidget : public QWidget
{
    Q_OBJECT
public:
    // The longest time between two steps the keyboard holds (16 bits).
    static constexpr int MaxTime = 65535;

    // The row of item in list (both may be null for a row outside a list).
    QMacroItemWidget(QListWidgetItem *item, QListWidget *list, QWidget *parent = nullptr);

    // Takes a copy of the step and shows all of it.
    void setItemInfo(const KEYBOARD_MACRO_INFO &info);
    // Time until the next step, clamped to 0..MaxTime; the row shows what it keeps.
    void setTime(const int &ms);
    // A key of the full keyboard picker; any other key leaves the row as it is.
    void setKey(const uchar &type, const uchar &lValue, const uchar &hValue);
    // 1 pressed, 0 released.
    void setKeyState(const uchar &state);
    KEYBOARD_MACRO_INFO getMacroInfo() const { return macroInfo; }
    // The key's name as the row shows it.
    QString keyText() const;
    // Numbers the row after its place in the list (from 1).
    void refreshUi();

    QListWidgetItem *listItem() const { return mListItem; }

Q_SIGNALS:
    void macroItemDelete(QListWidgetItem *item);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showKeyState();

    KEYBOARD_MACRO_INFO macroInfo;
    QListWidget *mListWidget;
    QListWidgetItem *mListItem;
    QPixmap downPixmap;
    QPixmap upPixmap;
    QLabel *mIndexLabel = nullptr;
    QLabel *mTypeLabel = nullptr;
    QLabel *mKeyLabel = nullptr;
    QLabel *mTimeLabel = nullptr;
    QPushButton *mDelButton = nullptr;
};
