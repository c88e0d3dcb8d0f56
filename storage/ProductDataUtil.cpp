#include "storage/ProductDataUtil.h"

#include "model/AppPaths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

QSharedPointer<ProductDataUtil> gProductDataUtil;

namespace {

const QString kConnectionName = QStringLiteral("connect_product");
// Connections of databases opened from a file of the caller's choice (read only).
std::atomic<int> gFileConnections{0};
// Connections of downloaded files being checked.
std::atomic<int> gCheckConnections{0};
const QString kDatabaseFileName = QStringLiteral("/quillbase.db3");

// Reads the current row of a query by column position. A column that is missing, NULL, or not a
// number where a number is expected marks the row as malformed; the caller then drops the record.
class RowReader
{
public:
    explicit RowReader(const QSqlQuery &query) : mRecord(query.record()) {}

    qlonglong integer(int column)
    {
        const QVariant value = field(column);
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            mValid = false;
        return number;
    }

    bool truth(int column)
    {
        const QVariant value = field(column);
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (ok)
            return number != 0;
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true"))
            return true;
        if (text != QLatin1String("false"))
            mValid = false;
        return false;
    }

    QString text(int column) { return field(column).toString(); }

    // A list of integers only when the stored value itself is one; SQLite values never are.
    QList<int> integerList(int column)
    {
        const QVariant value = field(column);
        if (value.metaType() == QMetaType::fromType<QList<int>>())
            return value.value<QList<int>>();
        return {};
    }

    bool isValid() const { return mValid; }

private:
    QVariant field(int column)
    {
        if (column >= mRecord.count() || mRecord.isNull(column)) {
            mValid = false;
            return {};
        }
        return mRecord.value(column);
    }

    QSqlRecord mRecord;
    bool mValid = true;
};

template <typename Record>
QSharedPointer<Record> validOrNull(const QSharedPointer<Record> &record, const RowReader &row,
                                   const char *table)
{
    if (row.isValid())
        return record;
    qWarning().noquote() << table << "中的一行数据格式错误, 已忽略";
    return {};
}

QSharedPointer<PRODUCT_INFO> readProduct(const QSqlQuery &query)
{
    RowReader row(query);
    QSharedPointer<PRODUCT_INFO> info(new PRODUCT_INFO);
    info->serialNumber = quint16(row.integer(0));
    info->vendorId = quint16(row.integer(1));
    info->productId = quint16(row.integer(2));
    info->interface = qint32(row.integer(3));
    info->productName = row.text(4);
    info->productData = row.text(5);
    info->triggerMin = quint16(row.integer(6));
    info->triggerMax = quint16(row.integer(7));
    info->qttMin = quint16(row.integer(8));
    info->qttMax = quint16(row.integer(9));
    info->qrtMin = quint16(row.integer(10));
    info->qrtMax = quint16(row.integer(11));
    info->width = qint32(row.integer(12));
    info->height = qint32(row.integer(13));
    info->strCol = row.integerList(14);
    return validOrNull(info, row, "product_table");
}

QSharedPointer<KEY_POSITION> readKeyPosition(const QSqlQuery &query)
{
    RowReader row(query);
    QSharedPointer<KEY_POSITION> position(new KEY_POSITION);
    position->keyItem = uchar(row.integer(2));
    position->posItem = uchar(row.integer(3));
    position->flag = row.truth(4);
    position->row = uchar(row.integer(5));
    position->col = uchar(row.integer(6));
    position->left = qint32(row.integer(7));
    position->top = qint32(row.integer(8));
    position->width = qint32(row.integer(9));
    position->height = qint32(row.integer(10));
    return validOrNull(position, row, "key_position_table");
}

QSharedPointer<PRODUCT_DEFAULT_KEY> readDefaultKey(const QSqlQuery &query)
{
    RowReader row(query);
    QSharedPointer<PRODUCT_DEFAULT_KEY> key(new PRODUCT_DEFAULT_KEY);
    key->keyItem = uchar(row.integer(2));
    key->type = uchar(row.integer(3));
    key->hValue = uchar(row.integer(4));
    key->lValue = uchar(row.integer(5));
    key->label = row.text(6);
    return validOrNull(key, row, "keyboard_default_table/keyboard_default_fn1_table");
}

// The record of the first row, or null when there is no row or it is malformed.
template <typename Record>
QSharedPointer<Record> firstRecord(QSqlQuery &query, QSharedPointer<Record> (*read)(const QSqlQuery &))
{
    if (!query.next())
        return {};
    return read(query);
}

// Appends the record of every well-formed row, of at most maxRows rows.
template <typename Record>
void appendRecords(QSqlQuery &query, QSharedPointer<Record> (*read)(const QSqlQuery &),
                   QList<QSharedPointer<Record>> &list, int maxRows)
{
    for (int rows = 0; query.next(); ++rows) {
        if (rows == maxRows) {
            qWarning().noquote() << "产品数据库的查询结果超过" << maxRows << "行, 其余已忽略";
            return;
        }
        if (auto record = read(query))
            list.append(record);
    }
}

// The first value of the statement's first row as text; empty when the statement fails.
QString firstValue(QSqlDatabase &database, const QString &statement)
{
    QSqlQuery query(database);
    if (!query.exec(statement) || !query.next())
        return {};
    return query.value(0).toString();
}

// Why a downloaded file may not become the product database; empty when it may.
QString refusalOf(QSqlDatabase &database)
{
    if (firstValue(database, QStringLiteral("PRAGMA integrity_check")) != QLatin1String("ok"))
        return QStringLiteral("integrity check failed");
    // Plain tables only: a view or a trigger would run whatever the file brings along.
    QSqlQuery schema(database);
    if (!schema.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master")))
        return QStringLiteral("unreadable schema");
    QStringList tables;
    while (schema.next()) {
        const QString type = schema.value(0).toString();
        const bool plainTable = type == QLatin1String("table") &&
                                schema.value(2).toString().trimmed().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive);
        if (!plainTable && type != QLatin1String("index"))
            return QStringLiteral("%1 %2 is no plain table").arg(type, schema.value(1).toString());
        if (plainTable)
            tables.append(schema.value(1).toString().toLower());
    }
    if (schema.lastError().isValid())
        return QStringLiteral("unreadable schema");
    if (!tables.contains(QStringLiteral("product_table")))
        return QStringLiteral("no product_table");
    // Every table the program reads is read whole once, within its bound.
    const QList<QPair<QString, int>> bounds = {{QStringLiteral("product_table"), ProductDataUtil::MaxProducts},
                                               {QStringLiteral("key_position_table"), ProductDataUtil::MaxTableRows},
                                               {QStringLiteral("keyboard_default_table"), ProductDataUtil::MaxTableRows},
                                               {QStringLiteral("keyboard_default_fn1_table"), ProductDataUtil::MaxTableRows}};
    for (const auto &[table, bound] : bounds) {
        if (!tables.contains(table))
            continue;
        bool ok = false;
        const int rows = firstValue(database, QStringLiteral("SELECT count(*) FROM (SELECT * FROM %1 LIMIT %2)")
                                                  .arg(table).arg(bound + 1)).toInt(&ok);
        if (!ok)
            return QStringLiteral("%1 unreadable").arg(table);
        if (rows > bound)
            return QStringLiteral("%1 holds more than %2 rows").arg(table).arg(bound);
    }
    return {};
}


// Copies the file into a temporary file beside the target and renames it over the target, so the
// target is either the old file or a complete copy of the new one.
bool copyIntoPlace(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 16);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            break;
        }
    }
    return target.commit();
}

} // namespace

ProductDataUtil::ProductDataUtil(QObject *parent) : QObject(parent)
{
    qInfo().noquote() << "=== ProductDataUtil 打开数据库 ===";
    openConnection(getDbPath() + kDatabaseFileName);
    createProductTable();
    createDeviceTable();
    createKeyPositionTable();
    createProductDefaultKeyPositionTable();
    setCurrent(this);
}

ProductDataUtil::ProductDataUtil(const QString &databaseFile, QObject *parent) : QObject(parent)
{
    mDatabase = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                          QStringLiteral("connect_product_file_%1").arg(gFileConnections++));
    mDatabase.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    mDatabase.setDatabaseName(databaseFile);
    if (!QFileInfo(databaseFile).isFile() || !mDatabase.open())
        qWarning().noquote() << "无法打开数据库:" << databaseFile << mDatabase.lastError().text();
}

bool ProductDataUtil::isOpen() const
{
    return mDatabase.isOpen();
}

ProductDataUtil::~ProductDataUtil()
{
    clearCurrent(this);
    closeConnection();
    qInfo().noquote() << "=== ProductDataUtil 关闭数据库 ===";
}

QString ProductDataUtil::getDbPath()
{
    const QString path = AppPaths::dataDir();
    if (!QDir(path).exists())
        QDir().mkpath(path);
    return path;
}

void ProductDataUtil::openConnection(const QString &path)
{
    mDatabase = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
    mDatabase.setDatabaseName(path);
    if (!mDatabase.open())
        qWarning().noquote() << "无法打开数据库:" << path << mDatabase.lastError().text();
}

void ProductDataUtil::closeConnection()
{
    if (!mDatabase.isValid())
        return;
    const QString name = mDatabase.connectionName();
    mDatabase.close();
    mDatabase = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

bool ProductDataUtil::createTable(const QString &name, const QString &columns)
{
    QSqlQuery query(mDatabase);
    const bool ok = query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(name, columns));
    qDebug().noquote() << QStringLiteral("=== 初始化 %1 %2 ===").arg(name, ok ? QStringLiteral("成功")
                                                                           : QStringLiteral("失败"));
    return ok;
}

bool ProductDataUtil::createProductTable()
{
    return createTable(QStringLiteral("product_table"),
                       QStringLiteral("serialNumber INT PRIMARY KEY NOT NULL UNIQUE, vendorId INT NOT NULL, "
                                      "productId INT NOT NULL, interface INT NOT NULL, "
                                      "productName VARCHAR(60) NOT NULL, productData VARCHAR(60) NOT NULL, "
                                      "triggerMin INT NOT NULL, triggerMax INT NOT NULL, qttMin INT NOT NULL, "
                                      "qttMax INT NOT NULL, qrtMin INT NOT NULL, qrtMax INT NOT NULL, "
                                      "width INT NOT NULL, height INT NOT NULL, strCol VARCHAR(60) NOT NULL"));
}

bool ProductDataUtil::createDeviceTable()
{
    return createTable(QStringLiteral("device_table"),
                       QStringLiteral("serialNumber INT PRIMARY KEY NOT NULL UNIQUE, vendorId INT NOT NULL, "
                                      "productId INT NOT NULL, interface INT NOT NULL, version INT NOT NULL, "
                                      "manufacturer VARCHAR(60) NOT NULL, productStr TEXT(60) NOT NULL, "
                                      "path VARCHAR(100) NOT NULL"));
}

bool ProductDataUtil::createKeyPositionTable()
{
    return createTable(QStringLiteral("key_position_table"),
                       QStringLiteral("id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, keyItem INT NOT NULL, "
                                      "posItem INT NOT NULL, flag BOOL NOT NULL, row INT NOT NULL, "
                                      "col INT NOT NULL, left INT NOT NULL, top INT NOT NULL, "
                                      "width INT NOT NULL, height INT NOT NULL"));
}

bool ProductDataUtil::createProductDefaultKeyPositionTable()
{
    return createTable(QStringLiteral("keyboard_default_table"),
                       QStringLiteral("id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, keyItem INT NOT NULL, "
                                      "type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, "
                                      "label VARCHAR(20) NOT NULL"));
}

QString ProductDataUtil::checkDownloadedFile(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > MaxFileBytes)
        return QStringLiteral("missing or larger than %1 bytes").arg(MaxFileBytes);
    QFile header(path);
    if (!header.open(QIODevice::ReadOnly) || header.read(16) != QByteArray("SQLite format 3", 16))
        return QStringLiteral("no SQLite database");
    header.close();
    const QString connection = QStringLiteral("connect_product_check_%1").arg(gCheckConnections++);
    QString refusal;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        database.setDatabaseName(path);
        if (database.open()) {
            const SqliteReadGuard guard(database, ReadLimits);
            refusal = guard.isActive() ? refusalOf(database) : QStringLiteral("not an SQLite connection");
            database.close();
        } else {
            refusal = database.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return refusal;
}

bool ProductDataUtil::refreshDatabaseFile(const QString &downloadPath, const QString &refusal)
{
    if (!refusal.isEmpty()) {
        qWarning().noquote() << "下载的数据库文件无效:" << downloadPath << refusal;
        return false;
    }
    const QString target = getDbPath() + kDatabaseFileName;
    const bool sameFile = QFileInfo(downloadPath).canonicalFilePath() == QFileInfo(target).canonicalFilePath();

    closeConnection();
    const bool replaced = sameFile || copyIntoPlace(downloadPath, target);
    // Whatever happened, the program goes on with the file now at the target.
    openConnection(target);
    if (!replaced) {
        qWarning().noquote() << "文件拷贝失败:" << downloadPath << "->" << target;
        return false;
    }
    if (!sameFile && !QFile::remove(downloadPath))
        qWarning().noquote() << "警告: 文件拷贝成功但无法删除原始文件:" << downloadPath;
    return true;
}

bool ProductDataUtil::refreshDatabaseFile(const QString &downloadPath)
{
    return refreshDatabaseFile(downloadPath, checkDownloadedFile(downloadPath));
}

QVariant ProductDataUtil::serialNumberValue(ushort serialNumber)
{
    return int(qint16(serialNumber));
}

bool ProductDataUtil::execute(QSqlQuery &query, const QString &statement, const QString &placeholder,
                              const QVariant &value)
{
    if (!query.prepare(statement)) {
        qDebug().noquote() << "查询准备失败:" << statement << query.lastError().text();
        return false;
    }
    query.bindValue(placeholder, value);
    if (!query.exec()) {
        qDebug().noquote() << "查询失败:" << statement << query.lastError().text();
        return false;
    }
    return true;
}

void ProductDataUtil::getProductList(QList<QSharedPointer<PRODUCT_INFO>> &list)
{
    const SqliteReadGuard guard(mDatabase, ReadLimits);
    QSqlQuery query(mDatabase);
    if (!query.exec(QStringLiteral("SELECT * FROM product_table"))) {
        qDebug().noquote() << "查询失败: product_table" << query.lastError().text();
        return;
    }
    appendRecords(query, &readProduct, list, MaxProducts);
}

QSharedPointer<PRODUCT_INFO> ProductDataUtil::getProductInfoById(ushort serialNumber)
{
    const SqliteReadGuard guard(mDatabase, ReadLimits);
    QSqlQuery query(mDatabase);
    if (!execute(query, QStringLiteral("SELECT * FROM product_table WHERE serialNumber = :serialNumber"),
                 QStringLiteral(":serialNumber"), serialNumberValue(serialNumber)))
        return {};
    return firstRecord(query, &readProduct);
}

void ProductDataUtil::getKeyPosition(ushort serialNumber, QMap<uchar, QSharedPointer<KEY_POSITION>> &map)
{
    const SqliteReadGuard guard(mDatabase, ReadLimits);
    QSqlQuery query(mDatabase);
    if (!execute(query, QStringLiteral("SELECT * FROM key_position_table WHERE serialNumber = :serialNumber"),
                 QStringLiteral(":serialNumber"), serialNumberValue(serialNumber)))
        return;
    QList<QSharedPointer<KEY_POSITION>> positions;
    appendRecords(query, &readKeyPosition, positions, MaxRowsPerProduct);
    for (const auto &position : std::as_const(positions))
        map.insert(position->keyItem, position);
}

void ProductDataUtil::getDefaultProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list)
{
    appendDefaultKeys(QStringLiteral("keyboard_default_table"), serialNumber, list);
}

void ProductDataUtil::getDefaultFn1ProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list)
{
    appendDefaultKeys(QStringLiteral("keyboard_default_fn1_table"), serialNumber, list);
}

void ProductDataUtil::appendDefaultKeys(const QString &table, ushort serialNumber,
                                        QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list)
{
    const SqliteReadGuard guard(mDatabase, ReadLimits);
    QSqlQuery query(mDatabase);
    if (!execute(query, QStringLiteral("SELECT * FROM %1 WHERE serialNumber = :serialNumber").arg(table),
                 QStringLiteral(":serialNumber"), serialNumberValue(serialNumber)))
        return;
    appendRecords(query, &readDefaultKey, list, MaxRowsPerProduct);
}
