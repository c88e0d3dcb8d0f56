#include "app/AppLog.h"
#include "app/SingleInstance.h"
#include "model/AppPaths.h"

#include <QApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    // A second start brings the running instance to the front and ends. When the running instance
    // does not answer (it crashed or hangs), this start goes on and takes over.
    if (SingleInstance::handOverToRunningInstance()) {
        app.quit();
        return 0;
    }

    AppLog::open();
    qInfo() << "Quillomatrix data folder:" << AppPaths::dataDir();

    AppLog::close();
    SingleInstance::releaseSegments();
    return 0;
}
