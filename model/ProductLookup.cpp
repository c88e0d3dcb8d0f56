#include "model/ProductLookup.h"

namespace {
ProductLookup *gCurrentLookup = nullptr;
}

ProductLookup *ProductLookup::current()
{
    return gCurrentLookup;
}

void ProductLookup::setCurrent(ProductLookup *lookup)
{
    gCurrentLookup = lookup;
}

void ProductLookup::clearCurrent(ProductLookup *lookup)
{
    if (gCurrentLookup == lookup)
        gCurrentLookup = nullptr;
}
