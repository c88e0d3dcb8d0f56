#include "model/AppPaths.h"

#include <QApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qInfo() << "Quillomatrix data folder:" << AppPaths::dataDir();
    return 0;
}
