#include "storage/ConfigFileDatabase.h"

#include "storage/QAESEncryption.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QThread>
#include <QVariant>

#include <array>
#include <limits>

namespace {
const char PassPhrase[] = "OrchidLanterns582#";

QString temporaryTemplate()
{
    return QDir::tempPath() + QStringLiteral("/data_XXXXXX.db3");
}

// The ten tables in file order.
enum TableId { Product, Config, Params, CustomLight, EffectLight, NormalKeys, FnKeys, HighKeys, Macros, Triggers, TableCount };

// What a column may hold: an integer from min to max, a text of at most max characters, or a
// blob of at most max bytes. The ranges are the widths of the keyboard model's fields and of the
// commands that carry them, so that whatever a keyboard reported, and the export wrote, is taken
// back; numbers that the file stores signed may come in either form. Narrower ranges hold only
// where no keyboard can hold anything else: the structure of the tables.
struct Column {
    enum Kind { Int, Text, Blob };
    const char *name;
    Kind kind;
    qint64 min;
    qint64 max;
};

constexpr qint64 AnyMin = std::numeric_limits<qint64>::min();
constexpr qint64 AnyMax = std::numeric_limits<qint64>::max();
constexpr Column rowId(const char *name) { return {name, Column::Int, AnyMin, AnyMax}; }
constexpr Column u8(const char *name) { return {name, Column::Int, 0, 0xFF}; }
constexpr Column u16(const char *name) { return {name, Column::Int, 0, 0xFFFF}; }
constexpr Column signedU8(const char *name) { return {name, Column::Int, -0x80, 0xFF}; }
constexpr Column signedU16(const char *name) { return {name, Column::Int, -0x8000, 0xFFFF}; }
constexpr Column flag(const char *name) { return {name, Column::Int, 0, 1}; }
constexpr Column range(const char *name, qint64 min, qint64 max) { return {name, Column::Int, min, max}; }
constexpr Column text(const char *name, qint64 max) { return {name, Column::Text, 0, max}; }

const Column ProductColumns[] = {signedU16("serialNumber"), signedU16("version"), text("customerName", 40),
                                 text("productName", 30), text("logoName", 10)};
const Column ConfigColumns[] = {rowId("id"), text("configName", 40)};
// A keyboard may report a polling rate or debounce level that no button of the performance page
// names; the page sends it back unchanged, so the export writes it and the import takes it back.
const Column ParamsColumns[] = {rowId("id"),           signedU8("reserve"),    flag("touchOptimize"),
                                signedU16("deadDown"), signedU16("deadUp"),    signedU8("pollingRate"),
                                signedU8("shakeLevel"), flag("calibration"),   flag("sportsMode"),
                                signedU8("currentLayer")};
const Column CustomLightColumns[] = {u8("keyItem"), u8("light"), u8("colorR"), u8("colorG"), u8("colorB")};
const Column EffectLightColumns[] = {u8("item"),      u8("functionFlag"), u8("light"),  u8("speed"),
                                     u8("fullColor"), u8("colorR"),       u8("colorG"), u8("colorB")};
const Column KeyColumns[] = {u8("keyItem"), u8("type"), u8("hValue"), u8("lValue")};
const Column HighKeyColumns[] = {rowId("id"), u8("item"), u8("attribute"),
                                 {"data", Column::Blob, 0, ConfigFileContent::HighKeyDataSize}};
const Column MacroColumns[] = {rowId("id"),
                               range("macroIndex", 0, ConfigFileContent::MacroCount - 1),
                               range("item", 0, ConfigFileContent::MaxMacroActions - 1),
                               u8("type"),
                               u8("state"),
                               u8("lValue"),
                               u8("hValue"),
                               u16("time")};
const Column TriggerColumns[] = {u8("keyItem"), u16("trigger"), flag("model"), flag("quick"), u16("quickTrigger"),
                                 u16("resetTrigger")};

struct Table {
    const char *name;
    const char *columns;
    const char *insert;
    const Column *columnSpecs;
    int columnCount;
    int createError; // the row-writing error is one below
    int readError;
    int writeStep;   // progress after its rows are written
    int maxRows;     // rows a keyboard can take (per macro for the macro table)
};

const Table Tables[TableCount] = {
    {"product_table",
     "serialNumber INT PRIMARY KEY NOT NULL UNIQUE, version INT NOT NULL, customerName VARCHAR(40) NOT NULL, "
     "productName VARCHAR(30) NOT NULL, logoName VARCHAR(10) NOT NULL",
     "INSERT INTO product_table (serialNumber,version,customerName,productName,logoName) VALUES "
     "(:serialNumber, :version,:customerName,:productName,:logoName)",
     ProductColumns, 5, -33, -22, 5, 1},
    {"config_table", "id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE, configName VARCHAR(40) NOT NULL",
     "INSERT INTO config_table (configName) VALUES (:configName)", ConfigColumns, 2, -35, -24, 5, 1},
    {"params_table",
     "id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE, reserve INT NOT NULL, touchOptimize BOOL NOT NULL, "
     "deadDown INT NOT NULL, deadUp INT NOT NULL, pollingRate INT NOT NULL, shakeLevel INT NOT NULL, "
     "calibration BOOL NOT NULL, sportsMode BOOL NOT NULL, currentLayer INT NOT NULL",
     "INSERT INTO params_table (reserve,touchOptimize,deadDown,deadUp,pollingRate,shakeLevel,calibration,sportsMode,"
     "currentLayer) VALUES (:reserve,:touchOptimize,:deadDown,:deadUp,:pollingRate,:shakeLevel,:calibration,"
     ":sportsMode,:currentLayer)",
     ParamsColumns, 10, -37, -25, 10, 1},
    {"custom_light_table",
     "keyItem INT PRIMARY KEY NOT NULL UNIQUE, light INT NOT NULL, colorR INT NOT NULL, colorG INT NOT NULL, "
     "colorB INT NOT NULL",
     "INSERT INTO custom_light_table (keyItem,light,colorR,colorG,colorB) VALUES (:keyItem,:light,:colorR,:colorG,"
     ":colorB)",
     CustomLightColumns, 5, -39, -26, 10, ConfigFileContent::MaxEntries},
    {"effect_light_table",
     "item INT PRIMARY KEY NOT NULL UNIQUE, functionFlag INT NOT NULL, light INT NOT NULL, speed INT NOT NULL, "
     "fullColor INT NOT NULL, colorR INT NOT NULL, colorG INT NOT NULL, colorB INT NOT NULL",
     "INSERT INTO effect_light_table (item,functionFlag,light,speed,fullColor,colorR,colorG,colorB) VALUES "
     "(:item,:functionFlag,:light,:speed,:fullColor,:colorR,:colorG,:colorB)",
     EffectLightColumns, 8, -41, -27, 10, ConfigFileContent::MaxEntries},
    {"keyboard_fn_table",
     "keyItem INT PRIMARY KEY NOT NULL UNIQUE, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL",
     "INSERT INTO keyboard_fn_table (keyItem,type,hValue,lValue) VALUES (:keyItem,:type,:hValue,:lValue)", KeyColumns, 4, -43,
     -28, 10, ConfigFileContent::MaxEntries},
    {"keyboard_fn1_table",
     "keyItem INT PRIMARY KEY NOT NULL UNIQUE, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL",
     "INSERT INTO keyboard_fn1_table (keyItem,type,hValue,lValue) VALUES (:keyItem,:type,:hValue,:lValue)", KeyColumns, 4, -45,
     -29, 10, ConfigFileContent::MaxEntries},
    {"high_key_table",
     "id INTEGER PRIMARY KEY NOT NULL UNIQUE, item INT NOT NULL, attribute INT NOT NULL, data BLOB(40) NOT NULL",
     "INSERT INTO high_key_table (item,attribute,data) VALUES (:item,:attribute,:data)", HighKeyColumns, 4, -47, -30, 10,
     ConfigFileContent::MaxHighKeys},
    {"key_macro_table",
     "id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE, macroIndex INT NOT NULL, item INT NOT NULL, "
     "type INT NOT NULL, state INT NOT NULL, lValue INT NOT NULL, hValue INT NOT NULL, time INT NOT NULL",
     "INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) VALUES (:macroIndex,:item,:type,"
     ":state,:lValue,:hValue,:time)",
     MacroColumns, 8, -49, -31, 10, ConfigFileContent::MaxMacroActions},
    {"key_trigger_table",
     "keyItem INT PRIMARY KEY NOT NULL UNIQUE, trigger INT NOT NULL, model BOOL NOT NULL, quick BOOL NOT NULL, "
     "quickTrigger INT NOT NULL, resetTrigger INT NOT NULL",
     "INSERT INTO key_trigger_table (keyItem,trigger,model,quick,quickTrigger,resetTrigger) VALUES (:keyItem,"
     ":trigger,:model,:quick,:quickTrigger,:resetTrigger)",
     TriggerColumns, 6, -51, -32, 10, ConfigFileContent::MaxEntries},
};

using Row = QVariantList;

// A database connection of its own on one file, removed again when the object goes.
class Connection
{
public:
    Connection(const QString &file, bool readOnly)
    {
        static QAtomicInt serial;
        mName = QStringLiteral("connect_config_%1").arg(serial.fetchAndAddRelaxed(1));
        mDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mName);
        mDb.setDatabaseName(file);
        if (readOnly)
            mDb.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!mDb.open())
            qWarning().noquote() << QStringLiteral("=== ConfigFileDatabase 打开数据库失败 %1 ===").arg(mDb.lastError().text());
    }
    ~Connection()
    {
        mDb.close();
        mDb = QSqlDatabase();
        QSqlDatabase::removeDatabase(mName);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return mDb.isOpen(); }
    QSqlDatabase &db() { return mDb; }

private:
    QString mName;
    QSqlDatabase mDb;
};

// A read or write stopped on request fails on purpose: that is no fault worth a warning.
QDebug failureLog()
{
    return QThread::currentThread()->isInterruptionRequested() ? qInfo().noquote() : qWarning().noquote();
}

void logFailure(const char *what, const Table &table, const QSqlQuery &query)
{
    failureLog() << QStringLiteral("=== ConfigFileDatabase %1 %2 失败: %3 ===")
                                .arg(QLatin1String(what), QLatin1String(table.name), query.lastError().text());
}

// --- writing ---

int asInt(bool flag)
{
    return flag ? 1 : 0;
}

QList<Row> rowsOf(const ConfigFileContent &c, TableId id)
{
    QList<Row> rows;
    switch (id) {
    case Product:
        // Numbers are kept as signed 16-bit values, as every copy of the program stores them.
        rows.append({int(qint16(c.product.serialNumber)), int(qint16(c.product.version)), c.product.customerName,
                     c.product.productName, c.product.logoName});
        break;
    case Config:
        rows.append({c.configName});
        break;
    case Params: {
        const KEYBOARD_PARAMS &p = c.params;
        rows.append({int(qint8(p.reserve)), asInt(p.touchOptimize), int(qint16(p.deadDown)), int(qint16(p.deadUp)),
                     int(qint8(p.pollingRate)), int(qint8(p.shakeLevel)), asInt(p.calibration), asInt(p.sportsMode),
                     int(qint8(p.currentLayer))});
        break;
    }
    case CustomLight:
        for (const KEYBOARD_CUSTOM_LIGHT &l : c.customLights)
            rows.append({l.keyItem, l.light, l.colorR, l.colorG, l.colorB});
        break;
    case EffectLight:
        for (const KEYBOARD_EFFECT_LIGHT &e : c.effectLights)
            rows.append({e.item, e.functionFlag, e.light, e.speed, e.fullColor, e.colorR, e.colorG, e.colorB});
        break;
    case NormalKeys:
    case FnKeys:
        for (const KEYBOARD_KEY_INFO &k : id == NormalKeys ? c.normalKeys : c.fnKeys)
            rows.append({k.keyItem, k.type, k.hValue, k.lValue});
        break;
    case HighKeys:
        for (const HIGH_KEY_INFO &h : c.highKeys)
            rows.append({h.item, h.attribute, ConfigFileContent::packHighKey(h)});
        break;
    case Macros:
        for (int index = 0; index < ConfigFileContent::MacroCount; ++index) {
            const QList<KEYBOARD_MACRO_INFO> &actions = c.macros[size_t(index)];
            for (int item = 0; item < actions.size(); ++item) {
                const KEYBOARD_MACRO_INFO &a = actions[item];
                rows.append({index, item, a.type, a.state, a.lValue, a.hValue, a.time});
            }
        }
        break;
    case Triggers:
        for (const KEYBOARD_TRIGGER_INFO &t : c.triggers)
            rows.append({t.keyItem, t.trigger, asInt(t.model), asInt(t.quick), t.quickTrigger, t.resetTrigger});
        break;
    case TableCount:
        break;
    }
    return rows;
}

// Numbers go to the driver as int: it would bind other integer types as text. A null text would
// go as NULL, which no column takes: it goes as an empty text.
QVariant bindable(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull() ? QVariant(QStringLiteral("")) : value;
    case QMetaType::QByteArray:
        return value;
    default:
        return value.toInt();
    }
}

int writeTable(QSqlDatabase &db, const ConfigFileContent &content, TableId id)
{
    const Table &table = Tables[id];
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                        .arg(QLatin1String(table.name), QLatin1String(table.columns)))) {
        logFailure("创建", table, query);
        return table.createError;
    }
    const int writeError = table.createError - 1;
    if ((id == Product && !content.hasProduct) || (id == Config && !content.hasConfigName)) {
        qWarning().noquote() << QStringLiteral("=== ConfigFileDatabase %1 键盘模型没有数据 ===").arg(QLatin1String(table.name));
        return writeError;
    }
    if (!query.prepare(QLatin1String(table.insert))) {
        logFailure("写入", table, query);
        return writeError;
    }
    for (const Row &row : rowsOf(content, id)) {
        for (int i = 0; i < row.size(); ++i)
            query.bindValue(i, bindable(row[i]));
        if (!query.exec()) {
            logFailure("写入", table, query);
            return writeError;
        }
    }
    return ConfigFileDatabase::Ok;
}

int writeDatabase(const QString &file, const ConfigFileContent &content, const ConfigFileDatabase::Progress &progress)
{
    Connection connection(file, false);
    if (!connection.isOpen() || !connection.db().transaction())
        return ConfigFileDatabase::ErrorOpenDatabase;
    progress(5);
    for (int id = 0; id < TableCount; ++id) {
        const int result = writeTable(connection.db(), content, TableId(id));
        if (result != ConfigFileDatabase::Ok) {
            connection.db().rollback();
            return result;
        }
        progress(Tables[id].writeStep);
    }
    if (!connection.db().commit())
        return ConfigFileDatabase::ErrorOpenDatabase;
    return ConfigFileDatabase::Ok;
}

// --- reading ---

uchar toU8(const QVariant &v)
{
    return uchar(v.toLongLong());
}

quint16 toU16(const QVariant &v)
{
    return quint16(v.toLongLong());
}

bool toFlag(const QVariant &v)
{
    return v.toLongLong() != 0;
}

// True when the value is of the column's kind and within its range.
bool fits(const Column &column, const QVariant &value)
{
    if (value.isNull())
        return false;
    switch (column.kind) {
    case Column::Int:
        if (value.typeId() != QMetaType::LongLong && value.typeId() != QMetaType::Int)
            return false;
        return value.toLongLong() >= column.min && value.toLongLong() <= column.max;
    case Column::Text:
        return value.typeId() == QMetaType::QString && value.toString().size() <= column.max;
    case Column::Blob:
        return value.typeId() == QMetaType::QByteArray && value.toByteArray().size() <= column.max;
    }
    return false;
}

// The rows of a statement, whole; false when it fails, a value does not fit its column or there
// are more rows than maxRows.
bool selectRows(QSqlQuery &query, const Table &table, int maxRows, QList<Row> *rows)
{
    if (!query.exec()) {
        logFailure("读取", table, query);
        return false;
    }
    if (query.record().count() < table.columnCount) {
        failureLog() << QStringLiteral("=== ConfigFileDatabase %1 列数不对 ===").arg(QLatin1String(table.name));
        return false;
    }
    while (query.next()) {
        if (rows->size() == maxRows) {
            // The first row of a one-row table is all that is read.
            if (maxRows == 1)
                return true;
            failureLog() << QStringLiteral("=== ConfigFileDatabase %1 行数超过键盘容量 ===").arg(QLatin1String(table.name));
            return false;
        }
        Row row;
        for (int i = 0; i < table.columnCount; ++i) {
            const QVariant value = query.value(i);
            if (!fits(table.columnSpecs[i], value)) {
                failureLog() << QStringLiteral("=== ConfigFileDatabase %1.%2 的值不合法: %3 ===")
                                            .arg(QLatin1String(table.name), QLatin1String(table.columnSpecs[i].name),
                                                 value.toString().left(20));
                return false;
            }
            row.append(value);
        }
        rows->append(row);
    }
    if (query.lastError().isValid()) {
        logFailure("读取", table, query);
        return false;
    }
    return true;
}

bool readAll(QSqlDatabase &db, TableId id, const QString &order, int maxRows, QList<Row> *rows)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("SELECT * FROM %1%2").arg(QLatin1String(Tables[id].name), order)))
        return false;
    return selectRows(query, Tables[id], maxRows, rows);
}

// An advanced key has a place in the keyboard's table: a slot below 32 or none (255). Its kind
// is taken as the keyboard reported it: a free slot keeps whatever kind it was left with, and a
// kind this program does not know goes back with its slot and kind only (unpackHighKey leaves its
// body zero). The bytes of a body are what the keyboard reported: the editing dialogs' ranges are
// not the keyboard's.
bool fitsSlotTable(const HIGH_KEY_INFO &key)
{
    constexpr uchar FreeSlot = 0xFF;
    return key.item < ConfigFileContent::MaxHighKeys || key.item == FreeSlot;
}

// The ten macros from one read of the whole table, action by action in item order.
bool readMacros(QSqlDatabase &db, ConfigFileContent *c)
{
    QList<Row> rows;
    if (!readAll(db, Macros, QStringLiteral(" ORDER BY macroIndex ASC, item ASC"),
                 ConfigFileContent::MacroCount * ConfigFileContent::MaxMacroActions, &rows))
        return false;
    for (const Row &r : rows) {
        QList<KEYBOARD_MACRO_INFO> &macro = c->macros[size_t(r[1].toLongLong())];
        if (macro.size() == ConfigFileContent::MaxMacroActions) {
            failureLog() << "=== ConfigFileDatabase key_macro_table 宏动作超过键盘容量 ===";
            return false;
        }
        macro.append(KEYBOARD_MACRO_INFO{toU8(r[3]), toU8(r[4]), toU8(r[5]), toU8(r[6]), toU16(r[7])});
    }
    return true;
}

// Fills the part of content that table id holds; false when the table cannot give it.
bool readTable(QSqlDatabase &db, TableId id, ConfigFileContent *c)
{
    if (id == Macros)
        return readMacros(db, c);
    QList<Row> rows;
    if (!readAll(db, id, QString(), Tables[id].maxRows, &rows))
        return false;
    const bool oneRow = Tables[id].maxRows == 1;
    if (oneRow && rows.isEmpty())
        return false;
    for (const Row &r : rows) {
        switch (id) {
        case Product:
            c->product.serialNumber = toU16(r[0]);
            c->product.version = toU16(r[1]);
            c->product.customerName = r[2].toString();
            c->product.productName = r[3].toString();
            c->product.logoName = r[4].toString();
            c->hasProduct = true;
            break;
        case Config:
            c->configName = r[1].toString();
            c->hasConfigName = true;
            break;
        case Params:
            c->params = KEYBOARD_PARAMS{toU8(r[1]), toFlag(r[2]), toU16(r[3]), toU16(r[4]), toU8(r[5]),
                                        toU8(r[6]), toFlag(r[7]), toFlag(r[8]), toU8(r[9])};
            break;
        case CustomLight:
            c->customLights.append(KEYBOARD_CUSTOM_LIGHT{toU8(r[0]), toU8(r[1]), toU8(r[2]), toU8(r[3]), toU8(r[4])});
            break;
        case EffectLight:
            c->effectLights.append(KEYBOARD_EFFECT_LIGHT{toU8(r[0]), toU8(r[1]), toU8(r[2]), toU8(r[3]), toU8(r[4]),
                                                         toU8(r[5]), toU8(r[6]), toU8(r[7])});
            break;
        case NormalKeys:
        case FnKeys:
            (id == NormalKeys ? c->normalKeys : c->fnKeys)
                .append(KEYBOARD_KEY_INFO{toU8(r[0]), toU8(r[1]), toU8(r[2]), toU8(r[3])});
            break;
        case HighKeys: {
            HIGH_KEY_INFO key;
            if (!ConfigFileContent::unpackHighKey(toU8(r[1]), toU8(r[2]), r[3].toByteArray(), &key)
                || !fitsSlotTable(key)) {
                failureLog() << "=== ConfigFileDatabase high_key_table 高级键不合法 ===";
                return false;
            }
            c->highKeys.append(key);
            break;
        }
        case Triggers:
            c->triggers.append(
                KEYBOARD_TRIGGER_INFO{toU8(r[0]), toU16(r[1]), toFlag(r[2]), toFlag(r[3]), toU16(r[4]), toU16(r[5])});
            break;
        case Macros:
        case TableCount:
            break;
        }
    }
    return true;
}

bool passesQuickCheck(QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("PRAGMA quick_check")) && query.next()
           && query.value(0).toString() == QLatin1String("ok");
}

int tableNamed(const QString &name)
{
    for (int id = 0; id < TableCount; ++id) {
        if (name.compare(QLatin1String(Tables[id].name), Qt::CaseInsensitive) == 0)
            return id;
    }
    return TableCount;
}

// What the file declares: for each of the ten tables whether it is a plain table with the
// file's columns in order. A view or a trigger spoils the table it names or sits on; one of
// another name spoils the file. Reading must run nothing that the file brings along.
struct Schema {
    bool usable = false;
    std::array<bool, TableCount> plain{};
};

bool hasColumnsOf(QSqlDatabase &db, const Table &table)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_xinfo(%1)").arg(QLatin1String(table.name))))
        return false;
    int n = 0;
    while (query.next()) {
        // Column 1 the name, column 6 the hidden flag (generated or virtual-table columns).
        if (n == table.columnCount || query.value(6).toInt() != 0
            || query.value(1).toString().compare(QLatin1String(table.columnSpecs[n].name), Qt::CaseInsensitive) != 0)
            return false;
        ++n;
    }
    return n == table.columnCount && !query.lastError().isValid();
}

Schema readSchema(QSqlDatabase &db)
{
    Schema schema;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master")))
        return schema;
    std::array<bool, TableCount> spoilt{};
    std::array<bool, TableCount> declared{};
    while (query.next()) {
        const QString type = query.value(0).toString();
        if (type == QLatin1String("view") || type == QLatin1String("trigger")) {
            const int id = tableNamed(query.value(type == QLatin1String("view") ? 1 : 2).toString());
            failureLog() << QStringLiteral("=== ConfigFileDatabase 文件带有 %1 %2 ===").arg(type, query.value(1).toString());
            if (id == TableCount)
                return schema;
            spoilt[size_t(id)] = true;
        } else if (type == QLatin1String("table")) {
            const int id = tableNamed(query.value(1).toString());
            if (id != TableCount)
                declared[size_t(id)] = query.value(3).toString().trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive);
        }
    }
    if (query.lastError().isValid())
        return schema;
    for (int id = 0; id < TableCount; ++id)
        schema.plain[size_t(id)] = declared[size_t(id)] && !spoilt[size_t(id)] && hasColumnsOf(db, Tables[id]);
    schema.usable = true;
    return schema;
}

int readDatabase(QSqlDatabase &db, int serialNumber, ConfigFileContent *content,
                 const ConfigFileDatabase::Progress &progress)
{
    const Schema schema = passesQuickCheck(db) ? readSchema(db) : Schema();
    if (!schema.usable) {
        failureLog() << "=== ConfigFileDatabase 不是配置数据库 ===";
        return ConfigFileDatabase::ErrorProduct;
    }
    for (int id = 0; id < TableCount; ++id) {
        if (!schema.plain[size_t(id)]) {
            failureLog() << QStringLiteral("=== ConfigFileDatabase %1 不是文件格式的表 ===").arg(QLatin1String(Tables[id].name));
            return Tables[id].readError;
        }
        if (!readTable(db, TableId(id), content))
            return Tables[id].readError;
        if (id == Product && int(content->product.serialNumber) != serialNumber) {
            failureLog() << QStringLiteral("=== ConfigFileDatabase 产品型号不匹配 file={%1};keyboard={%2} ===")
                                        .arg(content->product.serialNumber)
                                        .arg(serialNumber);
            return ConfigFileDatabase::ErrorProductModel;
        }
        if (id >= Params)
            progress(3);
    }
    return ConfigFileDatabase::Ok;
}

// Reads the database file at path through a read-only connection that is closed again on return.
int readDatabaseFile(const QString &path, int serialNumber, ConfigFileContent *content,
                     const ConfigFileDatabase::Progress &progress)
{
    Connection connection(path, true);
    if (!connection.isOpen())
        return ConfigFileDatabase::ErrorOpenDatabase;
    // Whatever the file holds, reading it ends soon and stops when the thread is asked to.
    const SqliteReadGuard guard(connection.db(), ConfigFileDatabase::ReadLimits);
    if (!guard.isActive())
        return ConfigFileDatabase::ErrorOpenDatabase;
    progress(3);
    ConfigFileContent read;
    const int result = readDatabase(connection.db(), serialNumber, &read, progress);
    if (result == ConfigFileDatabase::Ok)
        *content = read;
    return result;
}
} // namespace

QByteArray ConfigFileDatabase::cipherKey()
{
    return QCryptographicHash::hash(QByteArray(PassPhrase), QCryptographicHash::Sha256);
}

QByteArray ConfigFileDatabase::encrypt(const QByteArray &database)
{
    return QAESEncryption::Crypt(QAESEncryption::AES_256, QAESEncryption::CBC, database, cipherKey(),
                                 QByteArray(QAESEncryption::BlockLength, '\0'), QAESEncryption::ISO);
}

QByteArray ConfigFileDatabase::decrypt(const QByteArray &file)
{
    return QAESEncryption::Decrypt(QAESEncryption::AES_256, QAESEncryption::CBC, file, cipherKey(),
                                   QByteArray(QAESEncryption::BlockLength, '\0'), QAESEncryption::ISO);
}

int ConfigFileDatabase::exportFile(const QString &target, const ConfigFileContent &content, const Progress &progress)
{
    QTemporaryFile temporary(temporaryTemplate());
    if (!temporary.open())
        return ErrorOpenDatabase;
    temporary.close();
    const int result = writeDatabase(temporary.fileName(), content, progress);
    if (result != Ok)
        return result;

    QFile database(temporary.fileName());
    if (!database.open(QIODevice::ReadOnly))
        return ErrorOpenDatabase;
    const QByteArray cipher = encrypt(database.readAll());
    if (cipher.isEmpty())
        return ErrorOpenDatabase;

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(cipher) != cipher.size() || !file.commit()) {
        qWarning().noquote() << QStringLiteral("=== ConfigFileDatabase 写入文件失败 %1: %2 ===").arg(target, file.errorString());
        return ErrorTargetFile;
    }
    return Ok;
}

int ConfigFileDatabase::importFile(const QString &path, int serialNumber, ConfigFileContent *content,
                                   const Progress &progress)
{
    // What cannot be read, or is far too large to be a configuration, is read as nothing: it then
    // fails as a file without a product record.
    QByteArray bytes;
    QFile file(path);
    if (QFileInfo(path).isFile() && file.size() <= MaxFileSize && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    else
        qWarning().noquote() << QStringLiteral("=== ConfigFileDatabase 无法读取文件 %1 ===").arg(path);
    return importBytes(bytes, serialNumber, content, progress);
}

int ConfigFileDatabase::importBytes(const QByteArray &file, int serialNumber, ConfigFileContent *content,
                                    const Progress &progress)
{
    // The plain text keeps whatever padding it has: an aligned database has none.
    return importDatabase(decrypt(file), serialNumber, content, progress);
}

int ConfigFileDatabase::importDatabase(const QByteArray &plain, int serialNumber, ConfigFileContent *content,
                                       const Progress &progress)
{
    QTemporaryFile temporary(temporaryTemplate());
    if (!temporary.open() || temporary.write(plain) != plain.size() || !temporary.flush())
        return ErrorOpenDatabase;
    temporary.close();
    const int result = readDatabaseFile(temporary.fileName(), serialNumber, content, progress);
    // A read-only connection leaves the files SQLite made beside the database (the write-ahead log
    // and its index of a file in WAL mode): they go with the copy, whatever the outcome.
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(temporary.fileName() + QLatin1String(suffix));
    return result;
}
