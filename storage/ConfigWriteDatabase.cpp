#include "storage/ConfigWriteDatabase.h"

#include "model/KeyboardConfigUtil.h"
#include "storage/ConfigFileDatabase.h"

#include <QDebug>

ConfigWriteDatabase::ConfigWriteDatabase(QString fileName, QObject *parent)
    : QThread(parent)
    , mFileName(std::move(fileName))
{
    qDebug().noquote() << QStringLiteral("=== ConfigWriteDatabase 配置写入数据库开始 fileName:{ %1 }===").arg(mFileName);
    if (gKeyboardConfig)
        mContent = ConfigFileContent::fromModel(*gKeyboardConfig);
    connect(this, &QThread::finished, this, &ConfigWriteDatabase::onThreadFinished);
}

ConfigWriteDatabase::~ConfigWriteDatabase()
{
    wait();
    qDebug() << "=== ConfigWriteDatabase 配置写入数据库结束 ===";
}

void ConfigWriteDatabase::run()
{
    qDebug() << "=== ConfigWriteDatabase 线程启动 ===";
    mProgress = 0;
    mResult = ConfigFileDatabase::exportFile(mFileName, mContent, [this](int step) { refreshPorgress(step); });
    qDebug().noquote() << QStringLiteral("=== ConfigWriteDatabase 线程结束 result={%1} ===").arg(mResult);
}

void ConfigWriteDatabase::refreshPorgress(int step)
{
    mProgress = qBound(0, mProgress + step, 99);
    Q_EMIT config_write_result(true, mProgress);
}

void ConfigWriteDatabase::onThreadFinished()
{
    // finished() comes while the thread is winding down; the result must only go out after it.
    wait();
    if (mResult == ConfigFileDatabase::Ok)
        Q_EMIT config_write_result(true, 100);
    else
        Q_EMIT config_write_result(false, mResult);
}
