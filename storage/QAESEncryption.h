#pragma once
// AES (128, 192 and 256-bit keys) over byte arrays held wholly in memory, in ECB, CBC, CFB
// (16-byte feedback) and OFB mode, with zero, PKCS #7 or ISO padding.
//
// ISO padding here is the byte 0x80 and zero bytes up to the next multiple of 16, and nothing
// at all when the input is already a multiple of 16: an aligned input encrypts to a ciphertext
// of its own length. decode never removes padding.
//
// Every rejection (key of the wrong length, vector other than 16 bytes in a chained mode, mode
// out of range, ciphertext not a multiple of 16 for decode) yields an empty array. The blocks are
// worked on in place in the result, each round a few table lookups per column: a file of a
// megabyte takes milliseconds. An object holds only its settings; the static operations make a
// fresh object per call and may run on any thread.

#include <QByteArray>
#include <QObject>

class QAESEncryption : public QObject
{
    Q_OBJECT
public:
    // A fixed underlying type: a value outside the names is still a value (handled as documented).
    enum Aes : int { AES_128, AES_192, AES_256 };
    enum Mode : int { ECB, CBC, CFB, OFB };
    enum Padding : int { ZERO, PKCS7, ISO };

    static constexpr int BlockLength = 16;

    static QByteArray Crypt(Aes level, Mode mode, const QByteArray &rawText, const QByteArray &key,
                            const QByteArray &iv = QByteArray(), Padding padding = ISO);
    static QByteArray Decrypt(Aes level, Mode mode, const QByteArray &rawText, const QByteArray &key,
                              const QByteArray &iv = QByteArray(), Padding padding = ISO);
    static QByteArray ExpandKey(Aes level, Mode mode, const QByteArray &key, bool isEncryptionKey = true);
    static QByteArray RemovePadding(const QByteArray &rawText, Padding padding = ISO);

    // A level outside the enumeration is taken as AES_128.
    QAESEncryption(Aes level, Mode mode, Padding padding = ISO);

    QByteArray encode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv = QByteArray());
    QByteArray decode(const QByteArray &rawText, const QByteArray &key, const QByteArray &iv = QByteArray());
    QByteArray removePadding(const QByteArray &rawText);
    // The key schedule, (Nr + 1) x 16 bytes starting with the key itself. The flag has no effect.
    QByteArray expandKey(const QByteArray &key, bool isEncryptionKey = true);

private:
    // Key, vector and mode checks shared by encode and decode.
    bool acceptKeyAndVector(const QByteArray &key, const QByteArray &iv) const;
    QByteArray getPadding(int size, int alignment) const;
    // Encrypts or decrypts text, a whole number of blocks, in place; arguments already checked.
    QByteArray process(QByteArray text, const QByteArray &key, const QByteArray &iv, bool decrypting);

    int mNb = 4;
    int mBlockLen = BlockLength;
    Aes mLevel;
    Mode mMode;
    int mNk = 4;
    int mKeyLen = 16;
    int mNr = 10;
    Padding mPadding;
};
