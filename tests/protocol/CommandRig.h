#pragma once
// The real command protocol talking to the emulated keyboard over the HID stand-in: a sample
// keyboard plugged in with one interface of the chosen frame size, the link opened and the
// reader running, and a fresh keyboard model in gKeyboardConfig.

#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/EmulatedKeyboard.h"

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <memory>

class CommandRig
{
public:
    explicit CommandRig(int frameSize);
    ~CommandRig();
    CommandRig(const CommandRig &) = delete;
    CommandRig &operator=(const CommandRig &) = delete;

    UsbCommunicateUtil &protocol() { return *mProtocol; }
    EmulatedKeyboard &keyboard() { return *mKeyboard; }
    int frameSize() const { return mFrameSize; }

    // Output reports written with this order code (report id included), oldest first.
    QList<QByteArray> written(uchar order) const;
    // A whole output report as it must go out: report id 0, the head (frame of total, payload
    // length), the payload and zeros to the frame size.
    QByteArray report(uchar order, const QByteArray &payload, uchar frame = 1, uchar total = 1) const;
    // Hands the host a frame as if the keyboard had sent it of its own accord.
    void push(uchar code, const QByteArray &payload, uchar frame = 1, uchar total = 1);
    void pushFrame(const QByteArray &frame);

    // Bytes from a list of values (each cut to 8 bits).
    static QByteArray bytes(std::initializer_list<int> values);
    // Test data: the columns "frameSize" and `column`, and one row per frame size with the
    // value `column` takes at it.
    static void frameSizeRows(const char *column, int at128, int at64);

private:
    int mFrameSize;
    QByteArray mPath;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    std::unique_ptr<UsbCommunicateUtil> mProtocol;
};
