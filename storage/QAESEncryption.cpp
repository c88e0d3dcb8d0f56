#include "storage/QAESEncryption.h"

#include <algorithm>
#include <array>

namespace {
// Multiplication by x in GF(2^8) with the AES polynomial.
uchar xtime(uchar x)
{
    return uchar((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00));
}

uchar multiply(uchar a, uchar b)
{
    uchar product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

uchar rotateLeft(uchar x, int n)
{
    return uchar((x << n) | (x >> (8 - n)));
}

// The substitution box and its inverse, built once from the field inverse and the affine map.
struct SubstitutionBoxes {
    std::array<uchar, 256> forward{};
    std::array<uchar, 256> inverse{};
    // Products with the inverse mix-columns factors 9, 11, 13 and 14.
    std::array<std::array<uchar, 256>, 4> inverseMix{};

    SubstitutionBoxes()
    {
        for (int x = 0; x < 256; ++x) {
            const uchar factors[4] = {9, 11, 13, 14};
            for (size_t f = 0; f < 4; ++f)
                inverseMix[f][size_t(x)] = multiply(uchar(x), factors[f]);
            uchar inv = 0;
            for (int y = 1; y < 256 && x != 0; ++y) {
                if (multiply(uchar(x), uchar(y)) == 1) {
                    inv = uchar(y);
                    break;
                }
            }
            const uchar s = uchar(inv ^ rotateLeft(inv, 1) ^ rotateLeft(inv, 2) ^ rotateLeft(inv, 3)
                                  ^ rotateLeft(inv, 4) ^ 0x63);
            forward[size_t(x)] = s;
            inverse[s] = uchar(x);
        }
    }
};

const SubstitutionBoxes &boxes()
{
    static const SubstitutionBoxes instance;
    return instance;
}

// Round constants; word i of the schedule, i a multiple of Nk, uses entry i / Nk.
constexpr std::array<uchar, 14> RoundConstants = {0x8D, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20,
                                                  0x40, 0x80, 0x1B, 0x36, 0x6C, 0xD8, 0xAB};
} // namespace

QAESEncryption::QAESEncryption(Aes level, Mode mode, Padding padding)
    : mLevel(level)
    , mMode(mode)
    , mPadding(padding)
{
    switch (level) {
    case AES_192:
        mNk = 6;
        mKeyLen = 24;
        mNr = 12;
        break;
    case AES_256:
        mNk = 8;
        mKeyLen = 32;
        mNr = 14;
        break;
    default:
        mNk = 4;
        mKeyLen = 16;
        mNr = 10;
        break;
    }
}

QByteArray QAESEncryption::Crypt(Aes level, Mode mode, const QByteArray &rawText, const QByteArray &key,
                                 const QByteArray &iv, Padding padding)
{
    return QAESEncryption(level, mode, padding).encode(rawText, key, iv);
}

QByteArray QAESEncryption::Decrypt(Aes level, Mode mode, const QByteArray &rawText, const QByteArray &key,
                                   const QByteArray &iv, Padding padding)
{
    return QAESEncryption(level, mode, padding).decode(rawText, key, iv);
}

QByteArray QAESEncryption::ExpandKey(Aes level, Mode mode, const QByteArray &key, bool isEncryptionKey)
{
    return QAESEncryption(level, mode).expandKey(key, isEncryptionKey);
}

QByteArray QAESEncryption::RemovePadding(const QByteArray &rawText, Padding padding)
{
    if (rawText.isEmpty())
        return rawText;
    switch (padding) {
    case ZERO: {
        qsizetype end = rawText.size();
        while (end > 0 && rawText.at(end - 1) == '\0')
            --end;
        return rawText.left(end);
    }
    case PKCS7: {
        const qsizetype count = qMin<qsizetype>(uchar(rawText.back()), rawText.size());
        return rawText.left(rawText.size() - count);
    }
    case ISO: {
        qsizetype last = rawText.size() - 1;
        while (last >= 0 && rawText.at(last) == '\0')
            --last;
        if (last >= 0 && uchar(rawText.at(last)) == 0x80)
            return rawText.left(last);
        return rawText;
    }
    }
    return rawText;
}

QByteArray QAESEncryption::removePadding(const QByteArray &rawText)
{
    return RemovePadding(rawText, mPadding);
}

QByteArray QAESEncryption::expandKey(const QByteArray &key, bool)
{
    const SubstitutionBoxes &sbox = boxes();
    const int words = mNb * (mNr + 1);
    QByteArray schedule(words * 4, '\0');
    auto *w = reinterpret_cast<uchar *>(schedule.data());
    for (int i = 0; i < mNk * 4 && i < key.size(); ++i)
        w[i] = uchar(key.at(i));
    for (int i = mNk; i < words; ++i) {
        uchar temp[4] = {w[4 * (i - 1)], w[4 * (i - 1) + 1], w[4 * (i - 1) + 2], w[4 * (i - 1) + 3]};
        if (i % mNk == 0) {
            const uchar first = temp[0];
            temp[0] = uchar(sbox.forward[temp[1]] ^ RoundConstants[size_t(i / mNk)]);
            temp[1] = sbox.forward[temp[2]];
            temp[2] = sbox.forward[temp[3]];
            temp[3] = sbox.forward[first];
        } else if (mNk > 6 && i % mNk == 4) {
            for (uchar &b : temp)
                b = sbox.forward[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = uchar(w[4 * (i - mNk) + j] ^ temp[j]);
    }
    return schedule;
}

bool QAESEncryption::acceptKeyAndVector(const QByteArray &key, const QByteArray &iv) const
{
    if (mMode != ECB && iv.size() != mBlockLen)
        return false;
    return key.size() == mKeyLen;
}

QByteArray QAESEncryption::getPadding(int size, int alignment) const
{
    const int missing = (alignment - size % alignment) % alignment;
    switch (mPadding) {
    case PKCS7: {
        const int count = missing == 0 ? alignment : missing;
        return QByteArray(count, char(count));
    }
    case ISO:
        if (missing == 0)
            return QByteArray();
        return QByteArray(1, char(0x80)) + QByteArray(missing - 1, '\0');
    default:
        return QByteArray(missing, '\0');
    }
}

QByteArray QAESEncryption::encode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv)
{
    if (!acceptKeyAndVector(key, iv))
        return QByteArray();
    const QByteArray expanded = expandKey(key, true);
    const QByteArray padded = rawText + getPadding(int(rawText.size()), mBlockLen);
    QByteArray result;
    result.reserve(padded.size());
    QByteArray chain = iv;
    for (qsizetype at = 0; at < padded.size(); at += mBlockLen) {
        const QByteArray block = padded.mid(at, mBlockLen);
        switch (mMode) {
        case ECB:
            result += cipher(expanded, block);
            break;
        case CBC:
            chain = cipher(expanded, byteXor(block, chain));
            result += chain;
            break;
        case CFB:
            chain = byteXor(block, cipher(expanded, chain));
            result += chain;
            break;
        case OFB:
            chain = cipher(expanded, chain);
            result += byteXor(block, chain);
            break;
        default:
            return QByteArray();
        }
    }
    return result;
}

QByteArray QAESEncryption::decode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv)
{
    if (!acceptKeyAndVector(key, iv) || rawText.size() % mBlockLen != 0)
        return QByteArray();
    const QByteArray expanded = expandKey(key, true);
    QByteArray result;
    result.reserve(rawText.size());
    QByteArray chain = iv;
    for (qsizetype at = 0; at < rawText.size(); at += mBlockLen) {
        const QByteArray block = rawText.mid(at, mBlockLen);
        switch (mMode) {
        case ECB:
            result += invCipher(expanded, block);
            break;
        case CBC:
            result += byteXor(invCipher(expanded, block), chain);
            chain = block;
            break;
        case CFB:
            result += byteXor(block, cipher(expanded, chain));
            chain = block;
            break;
        case OFB:
            chain = cipher(expanded, chain);
            result += byteXor(block, chain);
            break;
        default:
            return QByteArray();
        }
    }
    return result;
}

void QAESEncryption::addRoundKey(uchar round, const QByteArray &expandedKey)
{
    const char *roundKey = expandedKey.constData() + round * mBlockLen;
    for (int i = 0; i < mBlockLen; ++i)
        mState[i] ^= uchar(roundKey[i]);
}

void QAESEncryption::subBytes()
{
    for (int i = 0; i < mBlockLen; ++i)
        mState[i] = boxes().forward[mState[i]];
}

void QAESEncryption::invSubBytes()
{
    for (int i = 0; i < mBlockLen; ++i)
        mState[i] = boxes().inverse[mState[i]];
}

// The state is column-major: byte r of column c is mState[r + 4c]. Row r turns left by r.
void QAESEncryption::shiftRows()
{
    uchar old[16];
    std::copy(mState, mState + 16, old);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            mState[r + 4 * c] = old[r + 4 * ((c + r) % 4)];
}

void QAESEncryption::invShiftRows()
{
    uchar old[16];
    std::copy(mState, mState + 16, old);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            mState[r + 4 * ((c + r) % 4)] = old[r + 4 * c];
}

void QAESEncryption::mixColumns()
{
    for (int c = 0; c < 4; ++c) {
        uchar *s = mState + 4 * c;
        const uchar a0 = s[0], a1 = s[1], a2 = s[2], a3 = s[3];
        s[0] = uchar(xtime(a0) ^ (xtime(a1) ^ a1) ^ a2 ^ a3);
        s[1] = uchar(a0 ^ xtime(a1) ^ (xtime(a2) ^ a2) ^ a3);
        s[2] = uchar(a0 ^ a1 ^ xtime(a2) ^ (xtime(a3) ^ a3));
        s[3] = uchar((xtime(a0) ^ a0) ^ a1 ^ a2 ^ xtime(a3));
    }
}

void QAESEncryption::invMixColumns()
{
    const auto &mix = boxes().inverseMix;
    const auto &m9 = mix[0], &m11 = mix[1], &m13 = mix[2], &m14 = mix[3];
    for (int c = 0; c < 4; ++c) {
        uchar *s = mState + 4 * c;
        const uchar a0 = s[0], a1 = s[1], a2 = s[2], a3 = s[3];
        s[0] = uchar(m14[a0] ^ m11[a1] ^ m13[a2] ^ m9[a3]);
        s[1] = uchar(m9[a0] ^ m14[a1] ^ m11[a2] ^ m13[a3]);
        s[2] = uchar(m13[a0] ^ m9[a1] ^ m14[a2] ^ m11[a3]);
        s[3] = uchar(m11[a0] ^ m13[a1] ^ m9[a2] ^ m14[a3]);
    }
}

QByteArray QAESEncryption::cipher(const QByteArray &expandedKey, const QByteArray &in)
{
    QByteArray block = in;
    mState = reinterpret_cast<uchar *>(block.data());
    addRoundKey(0, expandedKey);
    for (int round = 1; round < mNr; ++round) {
        subBytes();
        shiftRows();
        mixColumns();
        addRoundKey(uchar(round), expandedKey);
    }
    subBytes();
    shiftRows();
    addRoundKey(uchar(mNr), expandedKey);
    mState = nullptr;
    return block;
}

QByteArray QAESEncryption::invCipher(const QByteArray &expandedKey, const QByteArray &in)
{
    QByteArray block = in;
    mState = reinterpret_cast<uchar *>(block.data());
    addRoundKey(uchar(mNr), expandedKey);
    for (int round = mNr - 1; round > 0; --round) {
        invShiftRows();
        invSubBytes();
        addRoundKey(uchar(round), expandedKey);
        invMixColumns();
    }
    invShiftRows();
    invSubBytes();
    addRoundKey(0, expandedKey);
    mState = nullptr;
    return block;
}

QByteArray QAESEncryption::byteXor(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    QByteArray out(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char(a.at(i) ^ b.at(i));
    return out;
}
