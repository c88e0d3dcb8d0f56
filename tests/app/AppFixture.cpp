#include "tests/app/AppFixture.h"

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/EmulatedProgram.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTest>

AppFixture::AppFixture()
{
    TestFiles::redirectTempFolder(tempDir());
    EmulatedProgram::prepareDataFolder();
    AppServices::create();
    gSystemConfig->loadLanguage(qApp);
}

AppFixture::~AppFixture()
{
    reset();
    if (mStack)
        gStackedWidget = nullptr;
    mStack.reset();
    AppServices::release();
}

QStringList AppFixture::downloadFolders() const
{
    return QDir(tempDir()).entryList({QStringLiteral("Quillomatrix-*")}, QDir::AllEntries | QDir::Hidden);
}

QStackedWidget &AppFixture::pageStack()
{
    if (!mStack) {
        mStack = std::make_unique<QStackedWidget>();
        for (int i = 0; i < MainWindow::PageCount; ++i)
            mStack->addWidget(new QWidget);
        gStackedWidget = mStack.get();
    }
    return *mStack;
}

void AppFixture::plugIn(const EmulatedHidFaults &faults, const QList<int> &frameSizes)
{
    mKeyboard = EmulatedKeyboard::createSample();
    mFrameSizes = frameSizes;
    mPaths = EmulatedHidBus::instance().attachKeyboard(mKeyboard, frameSizes);
    for (const QByteArray &path : std::as_const(mPaths))
        EmulatedHidBus::instance().setFaults(path, faults);
}

void AppFixture::plugInAgain()
{
    mPaths = EmulatedHidBus::instance().attachKeyboard(mKeyboard, mFrameSizes);
}

void AppFixture::unplug()
{
    for (const QByteArray &path : std::as_const(mPaths))
        EmulatedHidBus::instance().detach(path);
}

void AppFixture::reset()
{
    gUsbCommunicateUtil->closeCommunicate();
    EmulatedHidBus::instance().reset();
    gKeyboardConfig->resetKeyboardConfig();
}

void AppFixture::failOnWarnings()
{
    QTest::failOnWarning(QRegularExpression(
        QStringLiteral("^(?!This plugin does not support (propagateSizeHints\\(\\)|raise\\(\\)|grabbing the keyboard)$)"
                       "(?!QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged)")));
}

void AppFixture::expectWarning(const QString &text)
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(text)));
}

void AppFixture::type(QWidget *widget, const QString &text)
{
    for (const char32_t code : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&code, 1));
        QApplication::sendEvent(widget, &press);
    }
}
