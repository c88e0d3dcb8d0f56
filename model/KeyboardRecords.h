#pragma once
// Plain records that carry the keyboard's configuration between the link, the protocol,
// the keyboard model, the storage workers and the pages. Every record is zero-filled on
// construction and owned through QSharedPointer; maps are keyed by the record's one-byte key.

#include <QList>
#include <QMap>
#include <QSharedPointer>
#include <QString>
#include <QtGlobal>

#include <array>

// Function of one key on one layer.
struct KEYBOARD_KEY_INFO {
    uchar keyItem = 0;
    uchar type = 0;
    uchar hValue = 0;
    uchar lValue = 0;
};

// Board-wide parameters, in the order the board-parameter reply carries them.
struct KEYBOARD_PARAMS {
    uchar reserve = 0;
    bool touchOptimize = false;
    quint16 deadDown = 0;  // 0.01 mm
    quint16 deadUp = 0;    // 0.01 mm
    uchar pollingRate = 0; // 0 8K, 1 4K, 2 2K, 3 1K
    uchar shakeLevel = 0;  // 0 low, 1 middle, 2 high
    bool calibration = false;
    bool sportsMode = false;
    uchar currentLayer = 0;
};

// Static colour of one key in per-key lighting.
struct KEYBOARD_CUSTOM_LIGHT {
    uchar keyItem = 0;
    uchar light = 0;
    uchar colorR = 0;
    uchar colorG = 0;
    uchar colorB = 0;
};

// One preset lighting effect; item 255 is the per-key mode and is never sent.
struct KEYBOARD_EFFECT_LIGHT {
    uchar item = 0;
    uchar functionFlag = 0; // bit 0 colour, bit 1 speed, bit 2 brightness, bit 3 full colour
    uchar light = 0;
    uchar speed = 0;
    uchar fullColor = 0;
    uchar colorR = 0;
    uchar colorG = 0;
    uchar colorB = 0;
};

struct KEYBOARD_EFFECT_LIGHT_NAME {
    uchar index = 0;
    QString name;
};

// One slot of the advanced-key table. item 255 marks a free slot or a record not yet placed.
struct HIGH_KEY_INFO {
    static constexpr int DataSize = 17;
    uchar item = 0;
    uchar attribute = 0; // 0 TGL, 1 MT, 2 DKS, 3 RS, 4 OKS, 5 SOCD
    uchar keyItem = 0;
    std::array<uchar, DataSize> data{};
};

// One action of a macro.
struct KEYBOARD_MACRO_INFO {
    uchar type = 0;
    uchar state = 0; // 1 pressed, 0 released
    uchar lValue = 0;
    uchar hValue = 0;
    quint16 time = 0; // ms until the next action
};

// Actuation and rapid-trigger settings of one key, all travels in 0.01 mm.
struct KEYBOARD_TRIGGER_INFO {
    uchar keyItem = 0;
    quint16 trigger = 0;
    bool model = false;
    bool quick = false;
    quint16 quickTrigger = 0;
    quint16 resetTrigger = 0;
};

// One profile of the keyboard.
struct KEYBOARD_CONFIG_INFO {
    uchar index = 0;
    QString configName;
};

// Identity the keyboard reports of itself.
struct KEYBOARD_PRODUCT_INFO {
    quint16 serialNumber = 0;
    quint16 version = 0;
    QString customerName;
    QString productName;
    QString logoName;
    bool flagBit0 = false;
    bool flagBit1 = false;
    bool flagBit7 = false;
};

// Live depth of one key while calibration reporting is on.
struct KEYBOARD_ALIGN_INFO {
    uchar keyItem = 0;
    quint16 value = 0;
};

// One row of the product database's product_table.
struct PRODUCT_INFO {
    quint16 serialNumber = 0;
    quint16 vendorId = 0;
    quint16 productId = 0;
    qint32 interface = 0;
    QString productName;
    QString productData;
    quint16 triggerMin = 0;
    quint16 triggerMax = 0;
    quint16 qttMin = 0;
    quint16 qttMax = 0;
    quint16 qrtMin = 0;
    quint16 qrtMax = 0;
    qint32 width = 0;
    qint32 height = 0;
    QList<int> strCol;
};

// One enumerated HID interface, or one row of device_table.
struct DEVICE_INFO {
    quint16 serialNumber = 0;
    quint16 vendorId = 0;
    quint16 productId = 0;
    qint32 interface = 0;
    qint32 version = 0;
    QString manufacturer;
    QString productStr;
    QString path;
};

// A key's place on the keyboard picture; keys sharing posItem take their functions together.
struct KEY_POSITION {
    uchar keyItem = 0;
    uchar posItem = 0;
    bool flag = false;
    uchar row = 0;
    uchar col = 0;
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
};

// A key's factory function and its label.
struct PRODUCT_DEFAULT_KEY {
    uchar keyItem = 0;
    uchar type = 0;
    uchar hValue = 0;
    uchar lValue = 0;
    QString label;
};

using KeyInfoMap = QMap<uchar, QSharedPointer<KEYBOARD_KEY_INFO>>;
using CustomLightMap = QMap<uchar, QSharedPointer<KEYBOARD_CUSTOM_LIGHT>>;
using EffectLightMap = QMap<uchar, QSharedPointer<KEYBOARD_EFFECT_LIGHT>>;
using EffectLightNameMap = QMap<uchar, QSharedPointer<KEYBOARD_EFFECT_LIGHT_NAME>>;
using TriggerMap = QMap<uchar, QSharedPointer<KEYBOARD_TRIGGER_INFO>>;
using KeyPositionMap = QMap<uchar, QSharedPointer<KEY_POSITION>>;
using HighKeyList = QList<QSharedPointer<HIGH_KEY_INFO>>;
using MacroList = QList<QSharedPointer<KEYBOARD_MACRO_INFO>>;
using ConfigList = QList<QSharedPointer<KEYBOARD_CONFIG_INFO>>;
using DefaultKeyList = QList<QSharedPointer<PRODUCT_DEFAULT_KEY>>;
