#include "app/AppLog.h"
#include "app/SingleInstance.h"
#include "model/AppPaths.h"
#include "model/KeyboardConfigUtil.h"
#include "storage/ProductDataUtil.h"

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

    // Shared services, in start-up order; released in reverse order.
    gProductDataUtil.reset(new ProductDataUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);

    gKeyboardConfig.reset();
    gProductDataUtil.reset();

    AppLog::close();
    SingleInstance::releaseSegments();
    return 0;
}
