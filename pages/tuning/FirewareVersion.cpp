#include "pages/tuning/FirewareVersion.h"

#include <QStringList>

std::optional<QList<quint32>> FirewareVersion::parse(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('V'), Qt::CaseInsensitive))
        trimmed.remove(0, 1);
    if (trimmed.isEmpty())
        return std::nullopt;
    QList<quint32> parts;
    for (const QString &part : trimmed.split(QLatin1Char('.'))) {
        if (part.isEmpty() || part.size() > 8)
            return std::nullopt;
        quint32 value = 0;
        for (const QChar c : part) {
            const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                            : (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')) ? c.toLower().unicode() - 'a' + 10
                                                                                                     : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + quint32(digit);
        }
        parts.append(value);
    }
    return parts;
}

std::optional<int> FirewareVersion::compare(const QString &a, const QString &b)
{
    const auto left = parse(a);
    const auto right = parse(b);
    if (!left || !right)
        return std::nullopt;
    const qsizetype count = qMax(left->size(), right->size());
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 x = left->value(i, 0);
        const quint32 y = right->value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}
