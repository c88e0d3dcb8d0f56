#include "model/KeyboardConfigUtil.h"
#include "storage/ProductDataUtil.h"
#include "emulator/SampleProductDatabase.h"
#include "tests/support/SqlFile.h"
#include "tests/support/TestDataDir.h"

#include <QtTest>

namespace {

QSharedPointer<HIGH_KEY_INFO> slot(uchar item, uchar attribute, uchar keyItem = 0, uchar second = 0)
{
    QSharedPointer<HIGH_KEY_INFO> record(new HIGH_KEY_INFO);
    record->item = item;
    record->attribute = attribute;
    record->keyItem = keyItem;
    record->data[0] = second;
    return record;
}

QSharedPointer<KEYBOARD_KEY_INFO> keyInfo(uchar keyItem, uchar type, uchar hValue, uchar lValue)
{
    return QSharedPointer<KEYBOARD_KEY_INFO>(new KEYBOARD_KEY_INFO{keyItem, type, hValue, lValue});
}

QSharedPointer<KEY_POSITION> position(uchar keyItem, uchar posItem)
{
    QSharedPointer<KEY_POSITION> record(new KEY_POSITION);
    record->keyItem = keyItem;
    record->posItem = posItem;
    record->flag = keyItem == posItem;
    return record;
}

QSharedPointer<PRODUCT_DEFAULT_KEY> factoryKey(uchar keyItem, uchar type, uchar hValue, uchar lValue)
{
    return QSharedPointer<PRODUCT_DEFAULT_KEY>(new PRODUCT_DEFAULT_KEY{keyItem, type, hValue, lValue, QString()});
}

using Triple = std::array<uchar, 3>;
Triple tripleOf(const QSharedPointer<KEYBOARD_KEY_INFO> &key)
{
    return {key->type, key->hValue, key->lValue};
}

// Keys 10 and 11 share a position (one keycap, two sensors); 12 stands alone; 13 has a function
// on neither layer. Both layers hold (1, 0, 0x04) for every key but 13.
void fillSharedLayout(KeyboardConfigUtil &config)
{
    for (uchar key : {10, 11, 12, 13})
        config.keyPositionMap.insert(key, position(key, key == 11 ? 10 : key));
    for (uchar key : {10, 11, 12}) {
        config.keyboardKeyMap.insert(key, keyInfo(key, 1, 0, 0x04));
        config.keyboardFn1KeyMap.insert(key, keyInfo(key, 1, 0, 0x04));
    }
}

} // namespace

class TestKeyboardConfigUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A failed check must not leave the database to the next test.
    void cleanup() { gProductDataUtil.reset(); }

    void freshModelIsEmpty()
    {
        KeyboardConfigUtil config;
        QCOMPARE(config.getHighKeyTotal(), 0);
        QCOMPARE(config.getFreeHighKey(0), uchar(255));
        QCOMPARE(config.getKeyboardHighKeyIcon(0), uchar(255));
        QCOMPARE(config.getKeyboardHighKeyIcon(255), uchar(255));
        QCOMPARE(config.getHighKeyItem(3, 0, 0), uchar(255));
        QVERIFY(!config.getKeyboardKeyInfo(0, 0));
        QVERIFY(!config.getKeyboardKeyInfo(1, 0));
        QVERIFY(!config.getKeyboardDefaultKeyInfo(0, 0));
        QVERIFY(!config.getKeyboardCustomLight(0));
        QVERIFY(!config.getKeyboardEffectLight(0));
        QVERIFY(!config.getKeyboardTriggerInfo(0));
        QVERIFY(!config.productInfo);
        QVERIFY(config.keyboardProductInfo);
        QCOMPARE(config.keyboardProductInfo->serialNumber, quint16(0));
        QCOMPARE(config.keyboardProductInfo->version, quint16(0));
        QVERIFY(config.keyboardParams);
        QCOMPARE(config.keyboardParams->deadDown, quint16(0));
        QCOMPARE(config.keyboardParams->pollingRate, uchar(0));
        QCOMPARE(config.currentConfigIndex, uchar(0));
        QCOMPARE(int(config.keyboardMacroList.size()), 10);
        for (const auto &macro : config.keyboardMacroList)
            QVERIFY(macro.isEmpty());
        // Deleting a slot that does not exist changes nothing.
        config.delHighKey(0);
        QVERIFY(config.keyboardHighKeyList.isEmpty());
    }

    void slotHelpers()
    {
        KeyboardConfigUtil config;
        // Slots 0, 1 and 3 in use, 2 and 4 free. The keyboard may leave stale bytes in a free slot.
        config.keyboardHighKeyList = {slot(0, 0, 5), slot(1, 1, 6), slot(255, 2, 7), slot(3, 3, 8, 9), slot(255, 0)};
        QCOMPARE(config.getHighKeyTotal(), 3);
        QCOMPARE(config.getFreeHighKey(0), uchar(2));
        QCOMPARE(config.getFreeHighKey(2), uchar(2));
        QCOMPARE(config.getFreeHighKey(3), uchar(4));
        QCOMPARE(config.getFreeHighKey(5), uchar(255)); // at the end of the list
        QCOMPARE(config.getFreeHighKey(200), uchar(255));
        QCOMPARE(config.getKeyboardHighKeyIcon(0), uchar(0));
        QCOMPARE(config.getKeyboardHighKeyIcon(1), uchar(1));
        QCOMPARE(config.getKeyboardHighKeyIcon(3), uchar(3));
        QCOMPARE(config.getKeyboardHighKeyIcon(2), uchar(255)); // free: no slot carries item 2
        // 255 is "no advanced key", though the free slots carry it.
        QCOMPARE(config.getKeyboardHighKeyIcon(255), uchar(255));

        QCOMPARE(config.getHighKeyItem(3, 8, 9), uchar(3));
        QCOMPARE(config.getHighKeyItem(5, 8, 9), uchar(3)); // the record's own kind is not compared
        QCOMPARE(config.getHighKeyItem(1, 8, 9), uchar(255));
        QCOMPARE(config.getHighKeyItem(4, 8, 1), uchar(255));

        const auto held = config.keyboardHighKeyList.at(1);
        held->data.fill(0x5A);
        config.delHighKey(1);
        QCOMPARE(config.keyboardHighKeyList.at(1), held); // emptied in place
        QCOMPARE(held->item, uchar(255));
        QCOMPARE(held->attribute, uchar(0));
        QCOMPARE(held->keyItem, uchar(0));
        for (uchar byte : held->data)
            QCOMPARE(byte, uchar(0));
        QCOMPARE(config.getFreeHighKey(0), uchar(1));
        QCOMPARE(config.getHighKeyTotal(), 2);
        QCOMPARE(config.getKeyboardHighKeyIcon(1), uchar(255));

        config.delHighKey(5); // beyond the table
        QCOMPARE(config.keyboardHighKeyList.size(), 5);
        QCOMPARE(config.getHighKeyTotal(), 2);
    }

    void sharedPositionSetsTogetherOnOneLayer()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.setKeyboardKeyInfo(0, 11, 4, 0, 2);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 10)), Triple({4, 0, 2}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 11)), Triple({4, 0, 2}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 12)), Triple({1, 0, 0x04}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 10)), Triple({1, 0, 0x04}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 11)), Triple({1, 0, 0x04}));

        config.setKeyboardKeyInfo(1, 10, 2, 0x01, 0x83);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 10)), Triple({2, 0x01, 0x83}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 11)), Triple({2, 0x01, 0x83}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 10)), Triple({4, 0, 2}));

        config.setKeyboardKeyInfo(0, 12, 0, 0, 0x02);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 12)), Triple({0, 0, 0x02}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 10)), Triple({4, 0, 2}));
    }

    void setKeyChangesNothingItCannotFind()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.keyboardFn1KeyMap.remove(11);

        config.setKeyboardKeyInfo(2, 10, 3, 0, 1); // no such layer
        QVERIFY(!config.getKeyboardKeyInfo(2, 10));
        config.setKeyboardKeyInfo(0, 99, 3, 0, 1); // no position
        config.setKeyboardKeyInfo(0, 13, 3, 0, 1); // position but no function
        config.setKeyboardKeyInfo(1, 10, 3, 0, 1); // 11 has no record on layer 1: skipped, not created
        QCOMPARE(config.keyboardKeyMap.size(), 3);
        QCOMPARE(config.keyboardFn1KeyMap.size(), 2);
        QVERIFY(!config.keyboardFn1KeyMap.contains(11));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 10)), Triple({3, 0, 1}));
        for (uchar key : {10, 11, 12})
            QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, key)), Triple({1, 0, 0x04}));
    }

    void factoryFunctions()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.defaultKeyList = {factoryKey(10, 1, 0, 0x2C), factoryKey(12, 1, 0, 0x29), factoryKey(10, 1, 0, 0x05)};
        config.defaultFn1KeyList = {factoryKey(10, 5, 0, 0xF8)};

        QCOMPARE(config.getKeyboardDefaultKeyInfo(10, 0)->lValue, uchar(0x2C)); // the first match
        QCOMPARE(config.getKeyboardDefaultKeyInfo(10, 1)->lValue, uchar(0xF8));
        QVERIFY(!config.getKeyboardDefaultKeyInfo(12, 1));
        QVERIFY(!config.getKeyboardDefaultKeyInfo(10, 2));

        config.setKeyboardDefaultKeyInfo(11, 0); // 11 has no factory record of its own
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 10)), Triple({1, 0, 0x04}));

        config.setKeyboardDefaultKeyInfo(10, 0);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 10)), Triple({1, 0, 0x2C}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 11)), Triple({1, 0, 0x2C}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 12)), Triple({1, 0, 0x04}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 10)), Triple({1, 0, 0x04}));

        config.setKeyboardDefaultKeyInfo(10, 1);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, 11)), Triple({5, 0, 0xF8}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 11)), Triple({1, 0, 0x2C}));

        config.keyPositionMap.remove(12);
        config.setKeyboardDefaultKeyInfo(12, 0); // factory record but no position
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, 12)), Triple({1, 0, 0x04}));
    }

    void resetKeepsIdentityProfileParamsAndEffectNames()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        const auto identity = config.keyboardProductInfo;
        const auto params = config.keyboardParams;
        identity->serialNumber = 0x3001;
        params->deadDown = 12;
        config.currentConfigIndex = 2;
        config.productInfo.reset(new PRODUCT_INFO);
        config.defaultKeyList = {factoryKey(10, 1, 0, 4)};
        config.defaultFn1KeyList = {factoryKey(10, 1, 0, 4)};
        config.keyboardConfigList = {QSharedPointer<KEYBOARD_CONFIG_INFO>(new KEYBOARD_CONFIG_INFO{0, "Game"})};
        config.keyboardCustomLightMap.insert(1, QSharedPointer<KEYBOARD_CUSTOM_LIGHT>(new KEYBOARD_CUSTOM_LIGHT));
        config.keyboardEffectLightNameMap.insert(3, QSharedPointer<KEYBOARD_EFFECT_LIGHT_NAME>(
                                                        new KEYBOARD_EFFECT_LIGHT_NAME{3, "Wave"}));
        config.keyboardEffectLightMap.insert(3, QSharedPointer<KEYBOARD_EFFECT_LIGHT>(new KEYBOARD_EFFECT_LIGHT));
        config.keyboardHighKeyList = {slot(0, 1)};
        for (auto &macro : config.keyboardMacroList)
            macro.append(QSharedPointer<KEYBOARD_MACRO_INFO>(new KEYBOARD_MACRO_INFO));
        config.keyboardTriggerMap.insert(1, QSharedPointer<KEYBOARD_TRIGGER_INFO>(new KEYBOARD_TRIGGER_INFO));

        config.resetKeyboardConfig();

        QVERIFY(!config.productInfo);
        QVERIFY(config.keyPositionMap.isEmpty());
        QVERIFY(config.defaultKeyList.isEmpty());
        QVERIFY(config.defaultFn1KeyList.isEmpty());
        QVERIFY(config.keyboardConfigList.isEmpty());
        QVERIFY(config.keyboardCustomLightMap.isEmpty());
        QVERIFY(config.keyboardEffectLightMap.isEmpty());
        QVERIFY(config.keyboardKeyMap.isEmpty());
        QVERIFY(config.keyboardFn1KeyMap.isEmpty());
        QVERIFY(config.keyboardHighKeyList.isEmpty());
        for (const auto &macro : config.keyboardMacroList)
            QVERIFY(macro.isEmpty());
        QVERIFY(config.keyboardTriggerMap.isEmpty());

        QCOMPARE(config.keyboardProductInfo, identity);
        QCOMPARE(identity->serialNumber, quint16(0x3001));
        QCOMPARE(config.keyboardParams, params);
        QCOMPARE(params->deadDown, quint16(12));
        QCOMPARE(config.currentConfigIndex, uchar(2));
        QCOMPARE(config.keyboardEffectLightNameMap.size(), 1);
        QCOMPARE(config.keyboardEffectLightNameMap.value(3)->name, QString("Wave"));
    }

    void newAdvancedKeys()
    {
        const auto tgl = KeyboardConfigUtil::createHighKey(0);
        QCOMPARE(tgl->item, uchar(255));
        QCOMPARE(tgl->attribute, uchar(0));
        QCOMPARE(tgl->keyItem, uchar(255));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(tgl->data.data()), 17),
                 QByteArray::fromHex("ffffff0000000000000000000000000000"));

        const auto mt = KeyboardConfigUtil::createHighKey(1);
        QCOMPARE(mt->attribute, uchar(1));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(mt->data.data()), 17),
                 QByteArray::fromHex("ff5000ffffffffffff0000000000000000"));

        const auto dks = KeyboardConfigUtil::createHighKey(2);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(dks->data.data()), 17),
                 QByteArray::fromHex("00ffffff00ffffff00ffffff00ffffff00"));

        for (uchar kind : {3, 4}) {
            const auto record = KeyboardConfigUtil::createHighKey(kind, 17);
            QCOMPARE(record->item, uchar(255));
            QCOMPARE(record->attribute, kind);
            QCOMPARE(record->keyItem, uchar(17));
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(record->data.data()), 17),
                     QByteArray::fromHex("ff000000000000000000000000000000" "00"));
        }
        const auto socd = KeyboardConfigUtil::createHighKey(5, 30);
        QCOMPARE(socd->keyItem, uchar(30));
        QCOMPARE(socd->data[0], uchar(255));
        QCOMPARE(socd->data[1], uchar(0)); // last input wins

        QVERIFY(!KeyboardConfigUtil::createHighKey(6));
        // Each call builds a record of its own.
        QVERIFY(KeyboardConfigUtil::createHighKey(0) != tgl);
    }

    void initializeFromSampleDatabase()
    {
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        gProductDataUtil.reset(new ProductDataUtil);
        KeyboardConfigUtil config;

        QVERIFY(config.initializeKeyboardConfig(SampleProductDatabase::He104Serial));
        QCOMPARE(config.productInfo->productName, QString("Quill HE104"));
        QCOMPARE(config.keyPositionMap.size(), SampleProductDatabase::He104Keys);
        QCOMPARE(config.defaultKeyList.size(), SampleProductDatabase::He104Keys);
        QCOMPARE(config.defaultFn1KeyList.size(), SampleProductDatabase::He104Keys);

        // The Space bar's two sensors take their functions together.
        for (const auto &key : config.defaultKeyList)
            config.keyboardKeyMap.insert(key->keyItem, keyInfo(key->keyItem, key->type, key->hValue, key->lValue));
        for (const auto &key : config.defaultFn1KeyList)
            config.keyboardFn1KeyMap.insert(key->keyItem, keyInfo(key->keyItem, key->type, key->hValue, key->lValue));
        config.setKeyboardKeyInfo(0, SampleProductDatabase::He104SpaceSecond, 4, 0, 0);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, SampleProductDatabase::He104Space)), Triple({4, 0, 0}));
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(1, SampleProductDatabase::He104Space)), Triple({1, 0, 0x2C}));
        config.setKeyboardDefaultKeyInfo(SampleProductDatabase::He104Space, 0);
        QCOMPARE(tripleOf(config.getKeyboardKeyInfo(0, SampleProductDatabase::He104SpaceSecond)),
                 Triple({1, 0, 0x2C}));

        // Loading another model replaces the description.
        QVERIFY(config.initializeKeyboardConfig(SampleProductDatabase::He68Serial));
        QCOMPARE(config.productInfo->serialNumber, quint16(0x8A01));
        QCOMPARE(config.keyPositionMap.size(), SampleProductDatabase::He68Keys);
        QCOMPARE(config.defaultKeyList.size(), SampleProductDatabase::He68Keys);
        QCOMPARE(config.defaultFn1KeyList.size(), SampleProductDatabase::He68Keys);

        QVERIFY(!config.initializeKeyboardConfig(0x1234));
        QVERIFY(!config.productInfo);
        QVERIFY(config.keyPositionMap.isEmpty());
        QVERIFY(config.defaultKeyList.isEmpty());
        QVERIFY(config.defaultFn1KeyList.isEmpty());
    }

    void initializeFailsWithoutFn1Layer()
    {
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        QVERIFY(SqlFile::exec(dir.path() + "/quillbase.db3",
                              {QStringLiteral("DELETE FROM keyboard_default_fn1_table WHERE serialNumber = %1")
                                   .arg(SampleProductDatabase::He104Serial)}));
        gProductDataUtil.reset(new ProductDataUtil);
        KeyboardConfigUtil config;
        QVERIFY(!config.initializeKeyboardConfig(SampleProductDatabase::He104Serial));
        QVERIFY(config.productInfo);
        QCOMPARE(config.keyPositionMap.size(), SampleProductDatabase::He104Keys);
        QCOMPARE(config.defaultKeyList.size(), SampleProductDatabase::He104Keys);
        QVERIFY(config.defaultFn1KeyList.isEmpty());
        // The other model is untouched.
        QVERIFY(config.initializeKeyboardConfig(SampleProductDatabase::He68Serial));
    }

    void initializeWithoutDatabase()
    {
        QVERIFY(!gProductDataUtil);
        KeyboardConfigUtil config;
        QVERIFY(!config.initializeKeyboardConfig(SampleProductDatabase::He104Serial));
        QVERIFY(!config.productInfo);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardConfigUtil)
#include "tst_keyboardconfigutil.moc"
