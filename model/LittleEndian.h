#pragma once
// Little-endian numbers in byte buffers, as the keyboard's records carry them.

#include <QtEndian>
#include <QtGlobal>

namespace LittleEndian {

inline quint16 getU16(const uchar *p)
{
    return qFromLittleEndian<quint16>(p);
}

inline void putU16(uchar *p, quint16 value)
{
    qToLittleEndian<quint16>(value, p);
}

inline void putU32(uchar *p, quint32 value)
{
    qToLittleEndian<quint32>(value, p);
}

} // namespace LittleEndian
