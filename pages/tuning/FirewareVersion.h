#pragma once
// Keyboard firmware versions as texts: dot-separated hexadecimal digits, one per nibble of the
// keyboard's 16-bit version ("0.1.0.A"). They are compared part by part as hexadecimal numbers,
// so "0.1.0.A" follows "0.1.0.9" and "1.0.0.0" follows "0.F.F.F"; case does not matter and a
// missing part counts as 0.

#include <QList>
#include <QString>

#include <optional>

class FirewareVersion
{
public:
    // The parts of a version text (a leading "V" is allowed); nothing when a part is not a
    // hexadecimal number.
    static std::optional<QList<quint32>> parse(const QString &text);
    // Negative, 0 or positive as a is below, equal to or above b; nothing when either does not
    // parse.
    static std::optional<int> compare(const QString &a, const QString &b);
};
