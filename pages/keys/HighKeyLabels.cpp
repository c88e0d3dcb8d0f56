#include "pages/keys/HighKeyLabels.h"

#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"

QString HighKeyLabels::factoryLabel(uchar keyItem)
{
    if (!gKeyboardConfig)
        return QString();
    const auto factory = gKeyboardConfig->getKeyboardDefaultKeyInfo(keyItem, 0);
    if (!factory)
        return QString();
    if (!factory->label.isEmpty())
        return factory->label;
    const KEY_CODE_INFO *entry = global_getKeyLabel(factory->type, factory->hValue, factory->lValue);
    return entry ? entry->label : QString();
}

QString HighKeyLabels::pickerLabel(uchar type, uchar hValue, uchar lValue)
{
    const KEYBOARD_LIST_INFO *entry = global_getNormalKeyboard(type, hValue, lValue);
    return entry ? entry->label : QString();
}

QString HighKeyLabels::kindIconPath(int kind)
{
    static const char *const files[KindCount] = {"high_key_tgl.png", "high_key_mt.png",  "high_key_dks.png",
                                                 "high_key_rs.png",  "high_key_oks.png", "high_key_socd.png"};
    if (!isKind(kind))
        return QString();
    QString folder = gSystemConfig ? gSystemConfig->getImagePath() : QString();
    if (folder.isEmpty())
        folder = QStringLiteral(":/images/images/light/");
    return folder + QLatin1String(files[kind]);
}
