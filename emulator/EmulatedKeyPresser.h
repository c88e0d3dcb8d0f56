#pragma once
// A user calibrating the emulated keyboard: while the keyboard's live depth report is on, the
// presser pushes its keys one after another down to full travel, holds them a moment and lets
// them go, and hands the keyboard's depth reports to a sender (the program puts them on the bus
// as the keyboard's input reports). press() sets one key's depth at once, for a driven program.

#include <QByteArray>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class EmulatedKeyboard;
class QTimer;

class EmulatedKeyPresser : public QObject
{
    Q_OBJECT
public:
    // Depth a key is pushed to (0.01 mm): past the full travel of the sample products.
    static constexpr int FullDepth = 420;
    static constexpr int StepMs = 60;

    using Sender = std::function<void(const QList<QByteArray> &frames)>;

    EmulatedKeyPresser(std::shared_ptr<EmulatedKeyboard> keyboard, Sender sender, QObject *parent = nullptr);

    // Presses the keys by itself while the report is on (on by default).
    void setAutomatic(bool automatic);
    // Sets one key's depth and sends a report when the report is on.
    void press(uchar key, int depth);

private:
    void step();
    void sendReports();

    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    Sender mSender;
    QTimer *mTimer = nullptr;
    int mKeyIndex = 0; // position in the keyboard's key list of the key being pressed
    int mPhase = 0;    // steps into that key's press
};
