#include "pages/common/KeyLegend.h"

#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "pages/common/TipText.h"

#include <QDebug>
#include <QHash>

namespace {
// Names that fit a key of one unit.
const QHash<QString, QString> &shortNames()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("Left Ctrl"), QStringLiteral("Ctrl")},   {QStringLiteral("Right Ctrl"), QStringLiteral("Ctrl")},
        {QStringLiteral("Left Shift"), QStringLiteral("Shift")}, {QStringLiteral("Right Shift"), QStringLiteral("Shift")},
        {QStringLiteral("Left Alt"), QStringLiteral("Alt")},     {QStringLiteral("Right Alt"), QStringLiteral("Alt")},
        {QStringLiteral("Left Win"), QStringLiteral("Win")},     {QStringLiteral("Right Win"), QStringLiteral("Win")},
        {QStringLiteral("Back Space"), QStringLiteral("Bksp")},  {QStringLiteral("CapsLock"), QStringLiteral("Caps")},
        {QStringLiteral("Num Lock"), QStringLiteral("Num")},     {QStringLiteral("NonUSPound"), QStringLiteral("#")},
        {QStringLiteral("Bright Off"), QStringLiteral("Off")},   {QStringLiteral("Insert"), QStringLiteral("Ins")},
        {QStringLiteral("PAUSE"), QStringLiteral("Pause")},      {QStringLiteral("LOCK"), QStringLiteral("ScrLk")},
        {QStringLiteral("Space"), QStringLiteral("Space")},      {QStringLiteral("./Del"), QStringLiteral(".")},
        {QStringLiteral("Right"), QStringLiteral("→")},          {QStringLiteral("Left"), QStringLiteral("←")},
        {QStringLiteral("Up"), QStringLiteral("↑")},             {QStringLiteral("Down"), QStringLiteral("↓")},
    };
    return names;
}
} // namespace

KeyLegend KeyLegend::fromEntry(const KEY_CODE_INFO *entry)
{
    KeyLegend legend;
    if (!entry)
        return legend;
    legend.mText = entry->label;
    legend.mIconFile = entry->iconFile;
    legend.mTipKey = entry->tipKey;
    switch (entry->isImage) {
    case 0:
        legend.mKind = Text;
        break;
    case 1:
    case 2:
        legend.mKind = Icon;
        break;
    default:
        qInfo().noquote() << QStringLiteral("=== KeyLegend 未知的显示方式 isImage={%1};label={%2} ===")
                                 .arg(entry->isImage)
                                 .arg(entry->label);
        legend.mKind = Text;
        break;
    }
    // An icon without a file, or a text without one, shows whatever the entry has.
    if (legend.mKind == Icon && legend.mIconFile.isEmpty())
        legend.mKind = Text;
    if (legend.mKind == Text && legend.mText.isEmpty())
        legend.mKind = legend.mIconFile.isEmpty() ? Blank : Icon;
    return legend;
}

KeyLegend KeyLegend::forFunction(uchar type, uchar hValue, uchar lValue)
{
    if (type == KeyTypeHighKey) {
        const uchar kind = gKeyboardConfig ? gKeyboardConfig->getKeyboardHighKeyIcon(lValue) : KeyboardConfigUtil::NoItem;
        return fromEntry(global_getKeyLabel(type, hValue, kind));
    }
    return fromEntry(global_getKeyLabel(type, hValue, lValue));
}

QString KeyLegend::shortText() const
{
    return shortNames().value(mText, mText);
}

QStringList KeyLegend::lines(bool narrow) const
{
    const QString text = narrow ? shortText() : mText;
    // "!1", "{[": the shifted symbol first; "-_" is listed the other way round.
    if (text.size() == 2 && !text.at(0).isLetterOrNumber() && text != QLatin1String(".."))
        return text == QLatin1String("-_") ? QStringList{QStringLiteral("_"), QStringLiteral("-")}
                                           : QStringList{text.left(1), text.right(1)};
    return {text};
}

QString KeyLegend::iconPath() const
{
    if (mIconFile.isEmpty())
        return QString();
    QString folder = gSystemConfig ? gSystemConfig->getImagePath() : QString();
    if (folder.isEmpty())
        folder = QStringLiteral(":/images/images/light/");
    return folder + mIconFile;
}

QString KeyLegend::toolTip() const
{
    if (mKind == Blank || mTipKey.isEmpty())
        return QString();
    return TipText::text(mTipKey);
}

bool KeyLegend::operator==(const KeyLegend &other) const
{
    return mKind == other.mKind && mText == other.mText && mIconFile == other.mIconFile && mTipKey == other.mTipKey;
}
