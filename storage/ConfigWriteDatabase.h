#pragma once
// Export worker: writes the connected keyboard's configuration, as the keyboard model holds it,
// to an encrypted configuration file (ConfigFileDatabase) on a thread of its own.
//
// Use, on the main thread: construct (this takes a copy of the keyboard model, so the thread never
// reads the model), connect config_write_result, then start(). Reports (true, 5..95) progress,
// then exactly one final result: (true, 100) when the file is written, or (false, code) with a
// code of the error table (-21 temporary database, -33..-52 a table, -55 the target file). The
// final result comes on the object's own thread after the worker thread has ended, so the
// receiver may dispose of the worker (deleteLater) as soon as it has it. A failed export leaves
// the target file as it was.

#include "storage/ConfigFileContent.h"

#include <QString>
#include <QThread>

class ConfigWriteDatabase : public QThread
{
    Q_OBJECT
public:
    explicit ConfigWriteDatabase(QString fileName, QObject *parent = nullptr);
    ~ConfigWriteDatabase() override;

Q_SIGNALS:
    void config_write_result(bool status, int value);

protected:
    void run() override;

private Q_SLOTS:
    void onThreadFinished();

private:
    void refreshPorgress(int step);

    QString mFileName;
    ConfigFileContent mContent;
    int mProgress = 0;
    int mResult = 0;
};
