#pragma once
// What the keyboard model needs of the product database: a model's product record, key positions
// and factory layers. The product database registers itself here while it is open, so that the
// model knows the look-ups without depending on the storage layer.

#include "model/KeyboardRecords.h"

#include <QList>
#include <QMap>
#include <QSharedPointer>

class ProductLookup
{
public:
    virtual ~ProductLookup() = default;

    virtual QSharedPointer<PRODUCT_INFO> getProductInfoById(ushort serialNumber) = 0;
    virtual void getKeyPosition(ushort serialNumber, QMap<uchar, QSharedPointer<KEY_POSITION>> &map) = 0;
    virtual void getDefaultProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list) = 0;
    virtual void getDefaultFn1ProductKey(ushort serialNumber, QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list) = 0;

    // The product database in use, or null while none is open.
    static ProductLookup *current();

protected:
    // The program's product database calls these from its constructor and destructor.
    static void setCurrent(ProductLookup *lookup);
    static void clearCurrent(ProductLookup *lookup);
};
