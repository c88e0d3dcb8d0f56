#include "model/AppPaths.h"
#include "model/KeyboardConfigUtil.h"
#include "storage/ProductDataUtil.h"

#include <QApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qInfo() << "Quillomatrix data folder:" << AppPaths::dataDir();

    // Shared services, in start-up order; released in reverse order.
    gProductDataUtil.reset(new ProductDataUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);

    gKeyboardConfig.reset();
    gProductDataUtil.reset();
    return 0;
}
