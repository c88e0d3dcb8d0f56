#include "emulator/EmulatedProgram.h"

#include "model/AppPaths.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyPresser.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/EmulatedLightingCommands.h"
#include "emulator/EmulatedTriggerCommands.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "emulator/SampleUpdateServer.h"
#include "emulator/ScreenshotDriver.h"
#include "link/UsbHidUtil.h"
#include "storage/UpdateServer.h"

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

// Payload bytes of the sample firmware images.
constexpr int kSampleFirmwareBytes = 4096;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// A firmware data file: the 40-byte header (payload length at 16, byte sum at 24), then the payload.
QByteArray sampleFirmwareData()
{
    QByteArray data(40 + 1000, '\0');
    quint32 sum = 0;
    for (int i = 40; i < data.size(); ++i) {
        data[i] = char(i * 7);
        sum += uchar(data[i]);
    }
    qToLittleEndian<quint32>(quint32(data.size() - 40), data.data() + 16);
    qToLittleEndian<quint32>(sum, data.data() + 24);
    return data;
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
    // A firmware image for the sample keyboard, so that its tile on the firmware page can be tried.
    const QString firmware = package + QStringLiteral("/firmware.bin");
    if (!QFileInfo::exists(firmware))
        writeFile(firmware, SampleUpdateServer::sampleImage(SampleProductDatabase::He104Serial, 0, kSampleFirmwareBytes));
    const QString dataFile = data.filePath(QStringLiteral("firmware_data_sample.bin"));
    if (!QFileInfo::exists(dataFile))
        writeFile(dataFile, sampleFirmwareData());
    // The tooltip texts of every language, as the build puts them beside the program.
    const QDir tips(QStringLiteral(":/sample/tips"));
    for (const QString &name : tips.entryList(QDir::Files)) {
        const QString target = data.filePath(name);
        if (!QFileInfo::exists(target) && QFile::copy(tips.filePath(name), target))
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
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
    if (!driver.isEmpty()) {
        mDriver = new ScreenshotDriver(driver + QStringLiteral("/commands"), driver + QStringLiteral("/acks"), this);
        mDriver->addCommand(QStringLiteral("press"), [this](const QString &arguments) {
            const QStringList parts = arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            bool keyOk = false;
            bool depthOk = false;
            const int key = parts.value(0).toInt(&keyOk);
            const int depth = parts.value(1).toInt(&depthOk);
            if (!mPresser || parts.size() != 2 || !keyOk || !depthOk || key < 0 || key > 255)
                return false;
            mPresser->press(uchar(key), depth);
            return true;
        });
    }
    startUpdateServer();
    plugIn();
}

void EmulatedProgram::startUpdateServer()
{
    // A server the user named (settings or environment) is left in charge.
    if (UpdateServer::baseAddress() != QLatin1String(UpdateServer::DefaultBaseAddress))
        return;
    mUpdateServer = new SampleUpdateServer(this);
    if (!mUpdateServer->listen())
        return;
    const EmulatedKeyboardState sample = EmulatedKeyboardState::sample();
    const quint16 newer = quint16(sample.identity.version + 1);
    mUpdateServer->offerFirmware(QString::fromLatin1(SampleResourcePackage::FolderName), newer,
                                 SampleUpdateServer::sampleImage(sample.identity.serialNumber, newer, kSampleFirmwareBytes));
    qputenv(UpdateServer::EnvironmentVariable, mUpdateServer->baseAddress().toUtf8());
    qInfo() << "=== 模拟更新服务器:" << mUpdateServer->baseAddress() << "===";
}

void EmulatedProgram::sendReports(const QList<QByteArray> &frames)
{
    // The interfaces were plugged in as 128-byte, then 64-byte: the program talks through the one
    // of its frame size.
    const QByteArray path = mPaths.value(gUsbFrameMaxsize == 64 ? 1 : 0);
    for (const QByteArray &frame : frames)
        EmulatedHidBus::instance().pushInputReport(path, frame);
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
    mKeyboard = std::make_shared<EmulatedKeyboard>(std::move(state));
    mPaths = EmulatedHidBus::instance().attachKeyboard(mKeyboard);
    delete mPresser;
    mPresser = new EmulatedKeyPresser(mKeyboard, [this](const QList<QByteArray> &frames) { sendReports(frames); }, this);
    mPresser->setAutomatic(!mDriver);
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
    delete mPresser;
    mPresser = nullptr;
    mKeyboard.reset();
    qInfo() << "=== 模拟键盘已拔出 ===";
    QMetaObject::invokeMethod(mWindow, "deviceDisconnected", Qt::QueuedConnection, Q_ARG(QString, QString()));
}
