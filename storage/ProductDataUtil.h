#pragma once
// The product database: a local SQLite file ("quillbase.db3" in the data folder) describing every
// supported keyboard model: identity, travel limits, key positions on the keyboard picture and the
// factory key assignment of both layers. The application only reads it (and creates the empty
// tables on a first start); a fresh copy is downloaded from the update server and swapped in.

#include "model/KeyboardRecords.h"
#include "model/ProductLookup.h"
#include "storage/DownloadLimits.h"
#include "storage/SqliteReadGuard.h"

#include <QObject>
#include <QSharedPointer>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class QSqlQuery;

class ProductDataUtil : public QObject, public ProductLookup
{
    Q_OBJECT
public:
    // The program's database in the data folder (created with its tables when missing); it is
    // the product look-up of the keyboard model while it lives.
    explicit ProductDataUtil(QObject *parent = nullptr);

    // What the program reads of a product database, far above any real catalogue (a few dozen
    // models of at most 256 keys each). A downloaded file beyond these bounds is refused; of a file
    // already in place no more is read than they allow.
    static constexpr int MaxProducts = 256;
    // Key positions, or default keys of one layer, of one model.
    static constexpr int MaxRowsPerProduct = 1024;
    static constexpr int MaxTableRows = MaxProducts * MaxRowsPerProduct;
    static constexpr qint64 MaxFileBytes = DownloadLimits::ProductDatabase;
    // What one look-up, or the check of a downloaded file, may cost SQLite.
    static constexpr SqliteReadGuard::Limits ReadLimits{50'000'000, 3000, 64LL * 1024 * 1024, 64 * 1024};
    // Another database file, opened read only, for reading alone (nothing is created).
    explicit ProductDataUtil(const QString &databaseFile, QObject *parent = nullptr);
    ~ProductDataUtil() override;

    bool isOpen() const;
    // The data folder, created when missing.
    QString getDbPath();

    bool createProductTable();
    bool createDeviceTable();
    bool createKeyPositionTable();
    bool createProductDefaultKeyPositionTable();

    // Puts a downloaded database file in place of the current one, in two steps. First the check,
    // which may run on any thread and side by side with others (it reads the file through a
    // read-only connection of its own) and tells why the file is refused, empty when it is not: the
    // download must pass SQLite's integrity check, hold plain tables only (no view, no trigger),
    // product_table among them, and stay within the bounds above. Then, on the thread of this
    // object, the swap with the check's result: a refused file is logged and left, and the result
    // is false. The current file is replaced only by a complete copy, and the connection is open
    // again afterwards whatever happened. True when the new file is in place.
    static QString checkDownloadedFile(const QString &downloadPath);
    bool refreshDatabaseFile(const QString &downloadPath, const QString &refusal);
    // The same in one step, the check and then the swap, both on the caller's thread.
    bool refreshDatabaseFile(const QString &downloadPath);

    // Appends every product to the list (which is not cleared first).
    void getProductList(QList<QSharedPointer<PRODUCT_INFO>> &list);
    QSharedPointer<PRODUCT_INFO> getProductInfoById(ushort serialNumber) override;
    // Inserts the key positions of the model into the map (not cleared first); a later row with
    // the same key number replaces the earlier one.
    void getKeyPosition(ushort serialNumber, QMap<uchar, QSharedPointer<KEY_POSITION>> &map) override;
    // Append the factory assignment of the normal layer / the Fn1 layer, in row order.
    void getDefaultProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list) override;
    void getDefaultFn1ProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list) override;

    // Serial numbers are stored as signed 16-bit values: 0x8000..0xFFFF as -32768..-1.
    static QVariant serialNumberValue(ushort serialNumber);

private:
    void openConnection(const QString &path);
    void closeConnection();
    bool createTable(const QString &name, const QString &columns);
    // Appends the factory keys of the model from keyboard_default_table or keyboard_default_fn1_table.
    void appendDefaultKeys(const QString &table, ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list);
    // Prepares the statement, binds the one named value and runs it.
    bool execute(QSqlQuery &query, const QString &statement, const QString &placeholder,
                 const QVariant &value);

    QSqlDatabase mDatabase;
};

extern QSharedPointer<ProductDataUtil> gProductDataUtil;
