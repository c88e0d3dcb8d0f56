#pragma once
// Remote control of the emulated keyboard program for the screenshot script: commands come one
// per line through a named pipe, and each one is acknowledged by a line appended to a file once
// it is done, so the script knows when to take its picture.
//
//   await <name>         wait (up to 20 s) until a visible widget of that object name exists
//   click <name>         click it: a button is clicked, any other widget gets a left press
//   click <outer>/<name> the same for the child <name> of the visible widget <outer>
//   key <down|up> <Key_Name> [scan code]
//                        a key event (Qt::Key name, native scan code) handed to the window as
//                        the window system hands it: to the keyboard grabber or the focus widget
//   press <name> <Key_Name>
//                        a key pressed and released on the visible widget of that name itself,
//                        whether or not it has the focus
//
// The acknowledgement is "<number> ok" or "<number> failed" (commands count from 1).

#include <QObject>
#include <QString>

class QSocketNotifier;
class QWidget;

class ScreenshotDriver : public QObject
{
    Q_OBJECT
public:
    // Reads commands from commandPipe and appends acknowledgements to ackFile.
    ScreenshotDriver(const QString &commandPipe, const QString &ackFile, QObject *parent = nullptr);
    ~ScreenshotDriver() override;

    // The visible widget a name (or outer/name) stands for, or null.
    static QWidget *findVisible(const QString &name);

private:
    void readCommands();
    void run(const QString &line);
    void await(const QString &name, int triesLeft);
    static bool sendKey(const QString &arguments);
    static bool pressKey(const QString &arguments);
    void acknowledge(bool ok);

    int mPipe = -1;
    QSocketNotifier *mNotifier = nullptr;
    QString mAckFile;
    QByteArray mBuffer;
    QStringList mQueue;
    bool mBusy = false;
    int mDone = 0;
};
