#include "storage/QAESEncryption.h"

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

quint32 rotateRight(quint32 x, int n)
{
    return (x >> n) | (x << (32 - n));
}

// A column of the state as a word, its row 0 in the top byte.
quint32 word(uchar b0, uchar b1, uchar b2, uchar b3)
{
    return quint32(b0) << 24 | quint32(b1) << 16 | quint32(b2) << 8 | b3;
}

// The substitution box and its inverse, built once from the field inverse and the affine map, and
// the round tables: forward[0][x] is the column that byte x in row 0 becomes through SubBytes and
// MixColumns, forward[r] the same for row r (the column turned by r bytes); inverse[r] likewise
// through InvSubBytes and InvMixColumns. A round is then four lookups and four XORs per column.
// (Plain arrays and written-out columns: the sanitizer build runs this code at its lowest
// optimisation, where every call and loop test counts.)
struct CipherTables {
    uchar sbox[256] = {};
    uchar inverseSbox[256] = {};
    quint32 forward[4][256] = {};
    quint32 inverse[4][256] = {};

    CipherTables()
    {
        for (int x = 0; x < 256; ++x) {
            uchar inv = 0;
            for (int y = 1; y < 256 && x != 0; ++y) {
                if (multiply(uchar(x), uchar(y)) == 1) {
                    inv = uchar(y);
                    break;
                }
            }
            const uchar s = uchar(inv ^ rotateLeft(inv, 1) ^ rotateLeft(inv, 2) ^ rotateLeft(inv, 3)
                                  ^ rotateLeft(inv, 4) ^ 0x63);
            sbox[x] = s;
            inverseSbox[s] = uchar(x);
        }
        for (int x = 0; x < 256; ++x) {
            const uchar s = sbox[x];
            const uchar i = inverseSbox[x];
            forward[0][x] = word(multiply(s, 2), s, s, multiply(s, 3));
            inverse[0][x] = word(multiply(i, 14), multiply(i, 9), multiply(i, 13), multiply(i, 11));
            for (int r = 1; r < 4; ++r) {
                forward[r][x] = rotateRight(forward[0][x], 8 * r);
                inverse[r][x] = rotateRight(inverse[0][x], 8 * r);
            }
        }
    }
};

const CipherTables &tables()
{
    static const CipherTables instance;
    return instance;
}

// Round constants; word i of the schedule, i a multiple of Nk, uses entry i / Nk.
constexpr std::array<uchar, 14> RoundConstants = {0x8D, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20,
                                                  0x40, 0x80, 0x1B, 0x36, 0x6C, 0xD8, 0xAB};

// A block as four column words, and the round keys as words (column c of round r at 4r + c):
// at most 15 rounds' keys, for AES-256.
struct Block {
    quint32 c0 = 0, c1 = 0, c2 = 0, c3 = 0;
};
struct RoundKeys {
    quint32 k[60] = {};
};

quint32 load(const uchar *bytes)
{
    return word(bytes[0], bytes[1], bytes[2], bytes[3]);
}

void store(quint32 column, uchar *bytes)
{
    bytes[0] = uchar(column >> 24);
    bytes[1] = uchar(column >> 16);
    bytes[2] = uchar(column >> 8);
    bytes[3] = uchar(column);
}

Block loadBlock(const uchar *bytes)
{
    return Block{load(bytes), load(bytes + 4), load(bytes + 8), load(bytes + 12)};
}

void storeBlock(const Block &block, uchar *bytes)
{
    store(block.c0, bytes);
    store(block.c1, bytes + 4);
    store(block.c2, bytes + 8);
    store(block.c3, bytes + 12);
}

void xorInto(Block &block, const Block &with)
{
    block.c0 ^= with.c0;
    block.c1 ^= with.c1;
    block.c2 ^= with.c2;
    block.c3 ^= with.c3;
}

RoundKeys encryptionKeys(const QByteArray &schedule)
{
    RoundKeys keys;
    const auto *bytes = reinterpret_cast<const uchar *>(schedule.constData());
    for (qsizetype i = 0; i < schedule.size() / 4 && i < 60; ++i)
        keys.k[i] = load(bytes + 4 * i);
    return keys;
}

// The rounds of the cipher with the given tables (forward or inverse) and round keys in the order
// they are used. ShiftRows takes row r of column c from column c + r. InvShiftRows takes it from
// column c - r: with the columns of the block and of each round key in the order 0, 3, 2, 1 that
// is again c + r, so the inverse cipher is this same computation on the columns so ordered.
void runRounds(Block &block, const quint32 (*t)[256], const uchar *box, const RoundKeys &keys, int rounds)
{
    const quint32 *k = keys.k;
    quint32 s0 = block.c0 ^ k[0], s1 = block.c1 ^ k[1], s2 = block.c2 ^ k[2], s3 = block.c3 ^ k[3];
    for (int round = 1; round < rounds; ++round) {
        k += 4;
        const quint32 t0 = t[0][s0 >> 24] ^ t[1][(s1 >> 16) & 0xFF] ^ t[2][(s2 >> 8) & 0xFF] ^ t[3][s3 & 0xFF] ^ k[0];
        const quint32 t1 = t[0][s1 >> 24] ^ t[1][(s2 >> 16) & 0xFF] ^ t[2][(s3 >> 8) & 0xFF] ^ t[3][s0 & 0xFF] ^ k[1];
        const quint32 t2 = t[0][s2 >> 24] ^ t[1][(s3 >> 16) & 0xFF] ^ t[2][(s0 >> 8) & 0xFF] ^ t[3][s1 & 0xFF] ^ k[2];
        const quint32 t3 = t[0][s3 >> 24] ^ t[1][(s0 >> 16) & 0xFF] ^ t[2][(s1 >> 8) & 0xFF] ^ t[3][s2 & 0xFF] ^ k[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    k += 4;
    block.c0 = word(box[s0 >> 24], box[(s1 >> 16) & 0xFF], box[(s2 >> 8) & 0xFF], box[s3 & 0xFF]) ^ k[0];
    block.c1 = word(box[s1 >> 24], box[(s2 >> 16) & 0xFF], box[(s3 >> 8) & 0xFF], box[s0 & 0xFF]) ^ k[1];
    block.c2 = word(box[s2 >> 24], box[(s3 >> 16) & 0xFF], box[(s0 >> 8) & 0xFF], box[s1 & 0xFF]) ^ k[2];
    block.c3 = word(box[s3 >> 24], box[(s0 >> 16) & 0xFF], box[(s1 >> 8) & 0xFF], box[s2 & 0xFF]) ^ k[3];
}

Block reversedColumns(const Block &block)
{
    return Block{block.c0, block.c3, block.c2, block.c1};
}

// The keys of the equivalent inverse cipher, last round first, each in the column order 0, 3, 2,
// 1 (runRounds). InvMixColumns is linear, so it may come after the round key's XOR when the key
// has gone through it too (rounds 1 to Nr - 1).
RoundKeys decryptionKeys(const RoundKeys &forward, int rounds)
{
    const CipherTables &t = tables();
    RoundKeys keys;
    for (int i = 0; i <= rounds; ++i) {
        const int from = 4 * (rounds - i);
        for (int c = 0; c < 4; ++c) {
            const quint32 k = forward.k[from + (4 - c) % 4];
            keys.k[4 * i + c] = i == 0 || i == rounds
                                    ? k
                                    : t.inverse[0][t.sbox[k >> 24]] ^ t.inverse[1][t.sbox[(k >> 16) & 0xFF]]
                                          ^ t.inverse[2][t.sbox[(k >> 8) & 0xFF]] ^ t.inverse[3][t.sbox[k & 0xFF]];
        }
    }
    return keys;
}

void encryptBlock(Block &block, const RoundKeys &keys, int rounds)
{
    const CipherTables &t = tables();
    runRounds(block, t.forward, t.sbox, keys, rounds);
}

// With decryptionKeys.
void decryptBlock(Block &block, const RoundKeys &keys, int rounds)
{
    const CipherTables &t = tables();
    Block reversed = reversedColumns(block);
    runRounds(reversed, t.inverse, t.inverseSbox, keys, rounds);
    block = reversedColumns(reversed);
}
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
    const CipherTables &t = tables();
    const int words = mNb * (mNr + 1);
    QByteArray schedule(words * 4, '\0');
    auto *w = reinterpret_cast<uchar *>(schedule.data());
    for (int i = 0; i < mNk * 4 && i < key.size(); ++i)
        w[i] = uchar(key.at(i));
    for (int i = mNk; i < words; ++i) {
        uchar temp[4] = {w[4 * (i - 1)], w[4 * (i - 1) + 1], w[4 * (i - 1) + 2], w[4 * (i - 1) + 3]};
        if (i % mNk == 0) {
            const uchar first = temp[0];
            temp[0] = uchar(t.sbox[temp[1]] ^ RoundConstants[size_t(i / mNk)]);
            temp[1] = t.sbox[temp[2]];
            temp[2] = t.sbox[temp[3]];
            temp[3] = t.sbox[first];
        } else if (mNk > 6 && i % mNk == 4) {
            for (uchar &b : temp)
                b = t.sbox[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = uchar(w[4 * (i - mNk) + j] ^ temp[j]);
    }
    return schedule;
}

bool QAESEncryption::acceptKeyAndVector(const QByteArray &key, const QByteArray &iv) const
{
    if (mMode < ECB || mMode > OFB)
        return false;
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
    return process(rawText + getPadding(int(rawText.size()), mBlockLen), key, iv, false);
}

QByteArray QAESEncryption::decode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv)
{
    if (!acceptKeyAndVector(key, iv) || rawText.size() % mBlockLen != 0)
        return QByteArray();
    return process(rawText, key, iv, true);
}

QByteArray QAESEncryption::process(QByteArray text, const QByteArray &key, const QByteArray &iv, bool decrypting)
{
    const RoundKeys keys = encryptionKeys(expandKey(key, true));
    const bool inverse = decrypting && (mMode == ECB || mMode == CBC);
    const RoundKeys inverseKeys = inverse ? decryptionKeys(keys, mNr) : RoundKeys();
    auto *data = reinterpret_cast<uchar *>(text.data());
    // The previous ciphertext block (CBC, CFB) or the running key stream (OFB).
    Block chain{};
    if (mMode != ECB)
        chain = loadBlock(reinterpret_cast<const uchar *>(iv.constData()));
    for (qsizetype at = 0; at < text.size(); at += mBlockLen) {
        Block block = loadBlock(data + at);
        const Block input = block;
        switch (mMode) {
        case ECB:
            inverse ? decryptBlock(block, inverseKeys, mNr) : encryptBlock(block, keys, mNr);
            break;
        case CBC:
            if (decrypting) {
                decryptBlock(block, inverseKeys, mNr);
                xorInto(block, chain);
                chain = input;
            } else {
                xorInto(block, chain);
                encryptBlock(block, keys, mNr);
                chain = block;
            }
            break;
        case CFB:
            encryptBlock(chain, keys, mNr);
            xorInto(block, chain);
            chain = decrypting ? input : block;
            break;
        case OFB:
            encryptBlock(chain, keys, mNr);
            xorInto(block, chain);
            break;
        }
        storeBlock(block, data + at);
    }
    return text;
}
