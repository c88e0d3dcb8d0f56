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
//   keyon <name> <Key_Name>
//                        a key pressed and released on the visible widget of that name itself,
//                        whether or not it has the focus
//   <verb> <arguments>   a command the program added (addCommand)
//
// The acknowledgement is "<number> ok" or "<number> failed" (commands count from 1).

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;
class QWidget;

class ScreenshotDriver : public QObject
{
    Q_OBJECT
public:
    // Reads commands from commandPipe and appends acknowledgements to ackFile.
    ScreenshotDriver(const QString &commandPipe, const QString &ackFile, QObject *parent = nullptr);
    ~ScreenshotDriver() override;

    // A command of the program's own: it gets the text after the verb and says whether it worked.
    using Command = std::function<bool(const QString &arguments)>;
    void addCommand(const QString &verb, Command command);

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
    QHash<QString, Command> mCommands;
    QString mAckFile;
    QByteArray mBuffer;
    QStringList mQueue;
    bool mBusy = false;
    int mDone = 0;
};
