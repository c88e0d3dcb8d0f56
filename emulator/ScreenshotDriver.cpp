#include "emulator/ScreenshotDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QWindow>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int kAwaitStepMs = 100;
constexpr int kAwaitTries = 200;

QWidget *visibleNamed(const QString &name, const QWidget *inside)
{
    const QList<QWidget *> candidates = inside ? inside->findChildren<QWidget *>(name) : QApplication::allWidgets();
    for (QWidget *widget : candidates) {
        if (widget->objectName() == name && widget->isVisible())
            return widget;
    }
    return nullptr;
}
} // namespace

ScreenshotDriver::ScreenshotDriver(const QString &commandPipe, const QString &ackFile, QObject *parent)
    : QObject(parent), mAckFile(ackFile)
{
    // Read and write, so that the pipe never reports an end while the script reopens it.
    mPipe = ::open(QFile::encodeName(commandPipe).constData(), O_RDWR | O_NONBLOCK);
    if (mPipe < 0)
        return;
    mNotifier = new QSocketNotifier(mPipe, QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &ScreenshotDriver::readCommands);
}

ScreenshotDriver::~ScreenshotDriver()
{
    delete mNotifier;
    if (mPipe >= 0)
        ::close(mPipe);
}

QWidget *ScreenshotDriver::findVisible(const QString &name)
{
    const int slash = name.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return visibleNamed(name, nullptr);
    QWidget *outer = visibleNamed(name.left(slash), nullptr);
    return outer ? visibleNamed(name.mid(slash + 1), outer) : nullptr;
}

void ScreenshotDriver::addCommand(const QString &verb, Command command)
{
    mCommands.insert(verb, std::move(command));
}

void ScreenshotDriver::readCommands()
{
    char chunk[512];
    ssize_t n;
    while ((n = ::read(mPipe, chunk, sizeof chunk)) > 0)
        mBuffer.append(chunk, int(n));
    int end;
    while ((end = mBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(mBuffer.left(end)).trimmed();
        mBuffer.remove(0, end + 1);
        if (!line.isEmpty())
            mQueue.append(line);
    }
    if (!mBusy && !mQueue.isEmpty())
        run(mQueue.takeFirst());
}

void ScreenshotDriver::run(const QString &line)
{
    mBusy = true;
    const QString verb = line.section(QLatin1Char(' '), 0, 0);
    const QString name = line.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("await")) {
        await(name, kAwaitTries);
        return;
    }
    if (verb == QLatin1String("key") || verb == QLatin1String("keyon")) {
        const bool sent = verb == QLatin1String("key") ? sendKey(name) : pressKey(name);
        QTimer::singleShot(kAwaitStepMs, this, [this, sent] { acknowledge(sent); });
        return;
    }
    if (const auto command = mCommands.constFind(verb); command != mCommands.cend()) {
        const bool ok = command.value()(name);
        QTimer::singleShot(kAwaitStepMs, this, [this, ok] { acknowledge(ok); });
        return;
    }
    QWidget *widget = verb == QLatin1String("click") ? findVisible(name) : nullptr;
    // The click comes from the event loop, not from here: a button that opens a modal prompt
    // keeps the driver reading its commands while the prompt waits for an answer.
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        QTimer::singleShot(0, button, &QAbstractButton::click);
    } else if (widget) {
        QTimer::singleShot(0, widget, [widget] {
            const QPointF centre = QRectF(widget->rect()).center();
            QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &release);
        });
    }
    // Let the click's consequences (new pictures, deferred deletions) settle before the picture.
    QTimer::singleShot(kAwaitStepMs, this, [this, widget] { acknowledge(widget != nullptr); });
}

void ScreenshotDriver::await(const QString &name, int triesLeft)
{
    if (findVisible(name)) {
        QTimer::singleShot(kAwaitStepMs, this, [this] { acknowledge(true); });
        return;
    }
    if (triesLeft <= 0) {
        acknowledge(false);
        return;
    }
    QTimer::singleShot(kAwaitStepMs, this, [this, name, triesLeft] { await(name, triesLeft - 1); });
}

bool ScreenshotDriver::sendKey(const QString &arguments)
{
    const QStringList parts = arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const bool down = parts.value(0) == QLatin1String("down");
    if (parts.size() < 2 || (!down && parts[0] != QLatin1String("up")))
        return false;
    bool known = false;
    const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(parts[1].toLatin1().constData(), &known);
    QWidget *target = QWidget::keyboardGrabber();
    if (!target)
        target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QWindow *window = target ? target->window()->windowHandle() : nullptr;
    if (!known || !window)
        return false;
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, parts.value(2).toUInt(), 0, 0);
    QCoreApplication::sendEvent(window, &event);
    return true;
}

bool ScreenshotDriver::pressKey(const QString &arguments)
{
    QWidget *target = findVisible(arguments.section(QLatin1Char(' '), 0, 0));
    bool known = false;
    const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(arguments.section(QLatin1Char(' '), 1, 1).toLatin1().constData(),
                                                              &known);
    if (!target || !known)
        return false;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    return true;
}

void ScreenshotDriver::acknowledge(bool ok)
{
    QFile file(mAckFile);
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(QByteArray::number(++mDone) + (ok ? " ok\n" : " failed\n"));
    mBusy = false;
    if (!mQueue.isEmpty())
        run(mQueue.takeFirst());
}
