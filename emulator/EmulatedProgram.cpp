#include "emulator/EmulatedProgram.h"

#include "model/AppPaths.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/EmulatedLightingCommands.h"
#include "emulator/EmulatedTriggerCommands.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "emulator/ScreenshotDriver.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QtEndian>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int gSignalPipe[2] = {-1, -1};

// A firmware image for the sample keyboard, so that its tile on the firmware page can be tried:
// the 40-byte header names the sample model; 4 KiB of payload follow.
void writeSampleFirmware(const QString &path)
{
    QByteArray image(40 + 4096, '\0');
    qToLittleEndian<quint16>(SampleProductDatabase::He104Serial, image.data());
    qToLittleEndian<quint32>(quint32(image.size() - 40), image.data() + 4);
    for (int i = 40; i < image.size(); ++i)
        image[i] = char(i * 31);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(image);
}

void onUnixSignal(int signal)
{
    const char code = signal == SIGUSR1 ? 'u' : 'p';
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[0], &code, 1);
}
} // namespace

void EmulatedProgram::prepareDataFolder()
{
    const QDir data(AppPaths::dataDir());
    data.mkpath(QStringLiteral("."));
    if (!QFileInfo::exists(data.filePath(QStringLiteral("quillbase.db3"))))
        SampleProductDatabase::installInto(data.path());
    const QString package = data.filePath(QString::fromLatin1(SampleResourcePackage::FolderName));
    if (!QFileInfo(package).isDir())
        SampleResourcePackage::writeFolder(package);
    const QString firmware = package + QStringLiteral("/firmware.bin");
    if (!QFileInfo::exists(firmware))
        writeSampleFirmware(firmware);
}

EmulatedProgram::EmulatedProgram(QObject *window, QObject *parent) : QObject(parent), mWindow(window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) == 0) {
        mNotifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, this);
        connect(mNotifier, &QSocketNotifier::activated, this, &EmulatedProgram::readSignal);
        std::signal(SIGUSR1, onUnixSignal);
        std::signal(SIGUSR2, onUnixSignal);
    }
    qInfo() << "=== 模拟键盘程序: kill -USR1" << ::getpid() << "拔出键盘, kill -USR2 插入键盘 ===";
    // The screenshot script drives the program through a pipe in this folder.
    const QString driver = qEnvironmentVariable("QUILLOMATRIX_DRIVER");
    if (!driver.isEmpty())
        new ScreenshotDriver(driver + QStringLiteral("/commands"), driver + QStringLiteral("/acks"), this);
    plugIn();
}

EmulatedProgram::~EmulatedProgram()
{
    std::signal(SIGUSR1, SIG_DFL);
    std::signal(SIGUSR2, SIG_DFL);
    delete mNotifier;
    for (int &fd : gSignalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void EmulatedProgram::readSignal()
{
    char code = 0;
    if (::read(gSignalPipe[1], &code, 1) != 1)
        return;
    if (code == 'u')
        unplug();
    else
        plugIn();
}

void EmulatedProgram::plugIn()
{
    if (!mPaths.isEmpty())
        return;
    // A program that runs for hours keeps no log of the reports it wrote.
    EmulatedHidBus::instance().setRecordWrites(false);
    EmulatedKeyboardState state = EmulatedKeyboardState::sample();
    // Effects of every kind, and some keys tuned, so that the lighting and performance pages
    // have something to show.
    EmulatedLightingCommands::fillShowcase(state);
    EmulatedTriggerCommands::tuneForPlay(state.profile());
    mPaths = EmulatedHidBus::instance().attachKeyboard(std::make_shared<EmulatedKeyboard>(std::move(state)));
    qInfo() << "=== 模拟键盘已插入 ===";
    QMetaObject::invokeMethod(mWindow, "deviceConnected", Qt::QueuedConnection, Q_ARG(QString, QString()));
}

void EmulatedProgram::unplug()
{
    if (mPaths.isEmpty())
        return;
    for (const QByteArray &path : std::as_const(mPaths))
        EmulatedHidBus::instance().detach(path);
    mPaths.clear();
    qInfo() << "=== 模拟键盘已拔出 ===";
    QMetaObject::invokeMethod(mWindow, "deviceDisconnected", Qt::QueuedConnection, Q_ARG(QString, QString()));
}
