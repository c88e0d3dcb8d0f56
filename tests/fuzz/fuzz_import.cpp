// Feeds arbitrary configuration files to the import's decrypt-and-parse path (what the import
// worker runs on its thread), then builds every block the import would send to the keyboard.
//
// Input: byte 0 bit 0 picks the form of the rest: set, the decrypted file, a plain database (so
// that mutations reach the tables); clear, the file as it would lie on disk. At start seeds are
// put into the corpus folder: a configuration of a made-up keyboard, exported by the real writer,
// as a plain database with small pages, and variants of it made to hang the reader or to carry
// values no keyboard holds, and one holding an advanced key of a kind the program does not know.

#include "storage/ConfigFileDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr quint16 Serial = 0x9A01;

// Seed name, and the statements that turn the exported configuration into it.
struct Seed {
    const char *name;
    QStringList statements;
};

QList<Seed> seeds()
{
    return {
        {"seed-exported-config", {}},
        {"seed-recursive-view",
         {"DROP TABLE key_macro_table",
          "CREATE VIEW key_macro_table AS WITH RECURSIVE r(id,macroIndex,item,type,state,lValue,hValue,time) AS "
          "(SELECT 1,0,0,1,1,4,0,0 UNION ALL SELECT id + 1,0,0,1,1,4,0,0 FROM r) SELECT * FROM r ORDER BY id DESC"}},
        {"seed-trigger", {"CREATE TRIGGER wipe AFTER INSERT ON key_trigger_table BEGIN DELETE FROM key_trigger_table; END"}},
        {"seed-wrong-types",
         {"UPDATE params_table SET touchOptimize = 'maybe'", "UPDATE custom_light_table SET colorR = x'0102'",
          "UPDATE key_trigger_table SET quickTrigger = 1e300"}},
        {"seed-out-of-range",
         {"UPDATE params_table SET pollingRate = 255", "UPDATE effect_light_table SET colorB = -7",
          "UPDATE keyboard_fn_table SET type = 99999999999"}},
        {"seed-oversized-blob", {"UPDATE high_key_table SET data = zeroblob(4096) WHERE id = 1"}},
        {"seed-unknown-kind", {"UPDATE high_key_table SET attribute = 9 WHERE id = 2"}},
        {"seed-macro-index-50",
         {"INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) VALUES (50,0,1,1,4,0,0)"}},
    };
}

ConfigFileContent sampleContent()
{
    ConfigFileContent c;
    c.hasProduct = c.hasConfigName = true;
    c.product.serialNumber = Serial;
    c.product.productName = QStringLiteral("Quill HE104");
    c.configName = QStringLiteral("配置1");
    c.params = KEYBOARD_PARAMS{0xFF, true, 40, 34, 3, 2, false, true, 1};
    for (int key = 0; key < 8; ++key) {
        c.customLights.append(KEYBOARD_CUSTOM_LIGHT{uchar(key), 4, uchar(key * 30), 0x10, 0xFF});
        c.normalKeys.append(KEYBOARD_KEY_INFO{uchar(key), 1, 0, uchar(0x04 + key)});
        c.fnKeys.append(KEYBOARD_KEY_INFO{uchar(key), 5, 0, uchar(key)});
        c.triggers.append(KEYBOARD_TRIGGER_INFO{uchar(key), quint16(100 + key), true, key % 2 == 0, 30, 40});
    }
    c.effectLights.append(KEYBOARD_EFFECT_LIGHT{3, 0x0B, 1, 3, 1, 0x20, 0x40, 0x60});
    // One key of each kind (MT hold time 0x0302 ms, SOCD mode 1), then a free slot.
    for (int kind = 0; kind < 7; ++kind) {
        HIGH_KEY_INFO key;
        key.item = kind == 6 ? 0xFF : uchar(kind);
        key.attribute = kind == 6 ? 0xFF : uchar(kind);
        key.keyItem = uchar(kind + 1);
        for (size_t i = 0; i < key.data.size(); ++i)
            key.data[i] = kind == 6 ? 0 : uchar(i + kind);
        if (kind == 5)
            key.data[1] = 1;
        c.highKeys.append(key);
    }
    c.macros[0] = {KEYBOARD_MACRO_INFO{1, 1, 0x04, 0, 20}, KEYBOARD_MACRO_INFO{1, 0, 0x04, 0, 300}};
    c.macros[9] = {KEYBOARD_MACRO_INFO{2, 1, 0xE9, 0, 5}};
    return c;
}

// The sample exported by the real writer, decrypted, changed by the statements and rewritten with
// 512-byte pages.
QByteArray seedDatabase(const QStringList &statements)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seed.aaa"));
    if (ConfigFileDatabase::exportFile(file, sampleContent(), [](int) {}) != ConfigFileDatabase::Ok)
        return {};
    QFile encrypted(file);
    if (!encrypted.open(QIODevice::ReadOnly))
        return {};
    const QString plain = dir.filePath(QStringLiteral("seed.db3"));
    QFile out(plain);
    if (!out.open(QIODevice::WriteOnly) || out.write(ConfigFileDatabase::decrypt(encrypted.readAll())) < 0)
        return {};
    out.close();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz_seed"));
        db.setDatabaseName(plain);
        if (db.open()) {
            for (const QString &statement : statements)
                QSqlQuery(db).exec(statement);
            QSqlQuery(db).exec(QStringLiteral("PRAGMA page_size = 512"));
            QSqlQuery(db).exec(QStringLiteral("VACUUM"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz_seed"));
    QFile shrunk(plain);
    return shrunk.open(QIODevice::ReadOnly) ? shrunk.readAll() : QByteArray();
}

// Limits the keyboard sets, which the import must never exceed.
void checkLimits(const ConfigFileContent &c)
{
    bool fits = c.highKeys.size() <= ConfigFileContent::MaxHighKeys && c.customLights.size() <= ConfigFileContent::MaxEntries
                && c.effectLights.size() <= ConfigFileContent::MaxEntries && c.normalKeys.size() <= ConfigFileContent::MaxEntries
                && c.fnKeys.size() <= ConfigFileContent::MaxEntries && c.triggers.size() <= ConfigFileContent::MaxEntries;
    for (const auto &macro : c.macros)
        fits = fits && macro.size() <= ConfigFileContent::MaxMacroActions;
    // Any kind is taken; one this program does not know goes to the keyboard with a zero body.
    for (const HIGH_KEY_INFO &key : c.highKeys)
        fits = fits && (key.item < ConfigFileContent::MaxHighKeys || key.item == 0xFF)
               && (key.attribute <= 5
                   || (key.keyItem == 0 && std::all_of(key.data.begin(), key.data.end(), [](uchar b) { return b == 0; })));
    if (!fits)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
    static int appArgc = 1;
    static char name[] = "fuzz_import";
    static char *appArgv[] = {name, nullptr};
    static QCoreApplication app(appArgc, appArgv);
    // The corpus folder is the first argument that is not an option.
    for (int i = 1; i < *argc; ++i) {
        const QString arg = QString::fromLocal8Bit((*argv)[i]);
        if (arg.startsWith(QLatin1Char('-')) || !QFileInfo(arg).isDir())
            continue;
        for (const Seed &s : seeds()) {
            QFile seed(QDir(arg).filePath(QLatin1String(s.name)));
            if (seed.exists())
                continue;
            const QByteArray database = seedDatabase(s.statements);
            if (!database.isEmpty() && seed.open(QIODevice::WriteOnly))
                seed.write(QByteArray(1, '\x01') + database);
        }
        break;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray body(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    ConfigFileContent content;
    const auto none = [](int) {};
    const int result = (data[0] & 1) ? ConfigFileDatabase::importDatabase(body, Serial, &content, none)
                                     : ConfigFileDatabase::importBytes(body, Serial, &content, none);
    if (result != ConfigFileDatabase::Ok)
        return 0;
    checkLimits(content);
    // What the import hands to the protocol.
    (void)content.customLightMap();
    (void)content.effectLightMap();
    (void)content.keyMap(0);
    (void)content.keyMap(1);
    (void)content.highKeyList();
    for (int index = 0; index < ConfigFileContent::MacroCount; ++index)
        (void)content.macroList(index);
    (void)content.triggerMap();
    return 0;
}
