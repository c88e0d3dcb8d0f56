#pragma once
// Shared set-up of the configuration file tests: the real protocol, HID access and reader thread
// over the HID stand-in, a keyboard model filled by a real configuration read, and helpers to run
// the export and import workers and to look inside configuration files.
//
// The emulated keyboard's headers are included here only.

#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "emulator/EmulatedKeyboard.h"
#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class ImportConfigUtil;

using Results = QList<QPair<bool, int>>;

class ConfigFileRig
{
public:
    static constexpr quint16 Serial = 0x9A01;
    // Reply timer: room for a loaded machine; a test that waits for a time-out sets the short one.
    static constexpr int Interval = UsbCommunicateUtil::DefaultReplyInterval; // ms
    static constexpr int ShortInterval = 60;                                  // ms

    ConfigFileRig();
    ~ConfigFileRig();

    // A keyboard whose every block differs from the factory one (active profile 2, "MOBA").
    static std::shared_ptr<EmulatedKeyboard> distinctiveKeyboard();
    // A factory keyboard of the same product, its active profile 1.
    static std::shared_ptr<EmulatedKeyboard> plainKeyboard();

    // Plugs the keyboard in (in place of any other), opens the link and reads its whole
    // configuration into the model; false when the read fails.
    bool connectAndRead(const std::shared_ptr<EmulatedKeyboard> &keyboard);

    // Runs a worker to its final result; every result in order. beforeStart runs between the
    // worker's construction and its start.
    Results runExport(const QString &target, const std::function<void()> &beforeStart = {});
    // elapsedMs: the time from the start to the final result.
    Results runImport(const QString &file, bool *keyboardWritten = nullptr, qint64 *elapsedMs = nullptr);

    // A path in the test's own folder.
    QString path(const QString &name) const;

    // The tables of a configuration file: per table, its column names joined by "|", then each row
    // (values joined by "|", blobs in hexadecimal). Empty when the file does not decrypt to a database.
    static QMap<QString, QStringList> dump(const QString &file);
    // Runs statements on the inner database of `from` and writes the result, encrypted, to `to`.
    static bool rewrite(const QString &from, const QString &to, const QStringList &statements);

private:
    TestDataDir mDataDir;
    QTemporaryDir mDir;
    UsbCommunicateUtil *mProtocol = nullptr; // the shared protocol this rig set up
};
