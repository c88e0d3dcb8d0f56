#include "app/AppLog.h"
#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "app/ResourcePackage.h"
#include "app/SingleInstance.h"
#include "model/AppPaths.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"

#include <QApplication>
#include <QDebug>
#include <QFile>

#include <memory>

#ifdef QUILL_EMULATED_KEYBOARD
// The emulated keyboard program: the same program with the sample keyboard plugged in.
#include "emulator/EmulatedProgram.h"
#endif

namespace {
void onAboutToQuit()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->closeCommunicate();
    qDebug("应用程序即将关闭，这里可以执行清理工作");
}

void applyStyleSheet(QApplication &app)
{
    const bool dark = gSystemConfig->getTheme() == 1;
    QFile file(dark ? QStringLiteral(":/styles/styles/dark.qss") : QStringLiteral(":/styles/styles/light.qss"));
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    app.setStyleSheet(QString::fromLatin1(file.readAll()));
    file.close();
}
} // namespace

int main(int argc, char *argv[])
{
    int result = 0;
    {
        QApplication app(argc, argv);

        // A second start brings the running instance to the front and ends, also when the running
        // instance does not answer. What a crashed instance left behind does not count as running.
        if (SingleInstance::handOverToRunningInstance()) {
            app.quit();
            return 0;
        }

        AppLog::open();
        qInfo() << "Quillomatrix data folder:" << AppPaths::dataDir();
        // What an install cut short by the last run's end left (an install that another instance on
        // the same data folder is running keeps its own).
        ResourcePackage::clearStaging(AppPaths::dataDir());

#ifdef QUILL_EMULATED_KEYBOARD
        EmulatedProgram::prepareDataFolder();
#endif
        AppServices::create();
        gSystemConfig->loadLanguage(&app);
        applyStyleSheet(app);

        auto window = std::make_unique<MainWindow>();
        window->setWindowState(Qt::WindowMaximized);
        window->show();

        QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, onAboutToQuit, Qt::DirectConnection);
#ifdef QUILL_EMULATED_KEYBOARD
        EmulatedProgram emulated(window.get());
#endif

        result = app.exec();

        AppLog::close();
        window.reset();
        // Before the application object goes: the prompt window must not outlive it.
        AppServices::release();
        SingleInstance::releaseSegments();
    }
    return result;
}
