#pragma once
// The configuration file ("*.aaa"): an SQLite database of ten tables, encrypted whole with
// AES-256 in CBC mode (zero vector, ISO padding, key = SHA-256 of the program's pass phrase),
// without header. This class writes a ConfigFileContent to such a file and reads one back; the
// export and import workers call it on their threads. Each call uses a database connection and a
// temporary database file of its own, so calls may run side by side.
//
// Results are 0 or a negative code of the error table (ErrorMessageTable): -21 to -32 reading,
// -33 to -52 writing (odd: creating a table, even: writing its rows), -55 the target file.

#include "storage/ConfigFileContent.h"
#include "storage/SqliteReadGuard.h"

#include <QByteArray>
#include <QString>

#include <functional>

class ConfigFileDatabase
{
public:
    enum Code {
        Ok = 0,
        ErrorOpenDatabase = -21,
        ErrorProduct = -22,
        ErrorProductModel = -23,
        ErrorConfig = -24,
        ErrorParams = -25,
        ErrorCustomLight = -26,
        ErrorEffectLight = -27,
        ErrorNormalKeys = -28,
        ErrorFnKeys = -29,
        ErrorHighKeys = -30,
        ErrorMacros = -31,
        ErrorTriggers = -32,
        // Writing: the create code of a table; its row-writing code is one below.
        ErrorCreateProduct = -33,
        ErrorWriteProduct = -34,
        ErrorWriteConfig = -36,
        ErrorTargetFile = -55,
    };

    // Called with the progress step each finished part of the work adds.
    using Progress = std::function<void(int step)>;

    // Files larger than this are not configuration files and are not read.
    // (A complete configuration is some tens of KiB; this bound also keeps the decryption short.)
    static constexpr qint64 MaxFileSize = 1024 * 1024;
    // What reading one file may cost SQLite: far more than a configuration of this size needs.
    static constexpr SqliteReadGuard::Limits ReadLimits{50'000'000, 5000, 64LL * 1024 * 1024, 1024 * 1024};

    static QByteArray cipherKey();
    static QByteArray encrypt(const QByteArray &database);
    static QByteArray decrypt(const QByteArray &file);

    // Writes content to target. The file is built beside the target and replaces it only when it
    // is complete: after a failure the target is as it was. Progress: 5 when the temporary database
    // is open, then per table 5, 5, 10, 10, 10, 10, 10, 10, 10, 10 (95 in all).
    static int exportFile(const QString &target, const ConfigFileContent &content, const Progress &progress);

    // Reads the file at path. serialNumber is the connected keyboard's product (NoProduct when
    // there is none); a file of another product fails with -23. Progress: 3 when the database is open, then 3 per table from the
    // board parameters on (27 in all). content is filled only on success.
    // A file is taken only when each of its ten tables is a plain table with the format's columns
    // (no view, no trigger, no computed column) and every value has its column's type and fits the
    // width of its field in the keyboard model and on the wire, and the structure of the keyboard's
    // tables (slots, macro numbers, action counts, capacities). Otherwise it fails with
    // that table's code (-31 for the macros). Whatever the export wrote from a keyboard's report
    // is taken. The reading is bounded (ReadLimits) and stops when its thread is asked to;
    // nothing of its temporary copy is left behind.
    static constexpr int NoProduct = -1;
    static int importFile(const QString &path, int serialNumber, ConfigFileContent *content,
                          const Progress &progress);
    // The same for the file's bytes.
    static int importBytes(const QByteArray &file, int serialNumber, ConfigFileContent *content,
                           const Progress &progress);
    // The same for the decrypted bytes (the inner database).
    static int importDatabase(const QByteArray &plain, int serialNumber, ConfigFileContent *content,
                              const Progress &progress);
};
