#pragma once
// The start-up of the emulated keyboard program (Quillomatrix-emulated): the program itself, built
// from the same sources, with the HID library replaced by the emulated bus. Before the services
// start, the data folder gets the sample product database, the sample keyboard's resource
// package with a firmware image and the tooltip texts when they are missing; once the window is
// up, the sample keyboard is plugged in. The signals SIGUSR1 and SIGUSR2 unplug it and plug it in
// again. With QUILLOMATRIX_DRIVER set to a folder, the program takes commands from the pipe
// "commands" in it (see ScreenshotDriver), one of which, "press <key> <depth>", presses a key of
// the keyboard.
//
// While the keyboard calibrates, a simulated user presses its keys one after another (not when
// driven: then only "press" moves keys). Unless an update server is set, the program serves the
// sample keyboard a newer firmware itself (SampleUpdateServer), and the data folder holds a
// firmware data file, "firmware_data_sample.bin", to try the maintenance page with.

#include <QObject>

#include <memory>

class EmulatedKeyboard;
class EmulatedKeyPresser;
class QSocketNotifier;
class SampleUpdateServer;
class ScreenshotDriver;

class EmulatedProgram : public QObject
{
    Q_OBJECT
public:
    // Fills the data folder; call it before the services are created.
    static void prepareDataFolder();

    // Plugs the keyboard in and tells window (the main window) of it, as a hot-plug notice would.
    explicit EmulatedProgram(QObject *window, QObject *parent = nullptr);
    ~EmulatedProgram() override;

    void plugIn();
    void unplug();

private:
    void readSignal();
    void startUpdateServer();
    // Puts frames on the interface the program talks through, as the keyboard's input reports.
    void sendReports(const QList<QByteArray> &frames);

    QObject *mWindow = nullptr;
    QSocketNotifier *mNotifier = nullptr;
    QList<QByteArray> mPaths;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    EmulatedKeyPresser *mPresser = nullptr;
    ScreenshotDriver *mDriver = nullptr;
    SampleUpdateServer *mUpdateServer = nullptr;
};
