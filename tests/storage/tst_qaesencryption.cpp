// The AES cipher against the published vectors (FIPS-197 appendix C, NIST SP 800-38A), round
// trips at every key size and mode, the padding rules and the rejected arguments.

#include "storage/QAESEncryption.h"

#include <QRandomGenerator>
#include <QtTest>

using Aes = QAESEncryption;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray Sp800Plain = hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                                  "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
const QByteArray Sp800Iv = hex("000102030405060708090a0b0c0d0e0f");
const QByteArray Sp800Key[3] = {
    hex("2b7e151628aed2a6abf7158809cf4f3c"),
    hex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b"),
    hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4"),
};
} // namespace

class TestQAESEncryption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void publishedVectors_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");

        const QByteArray fipsPlain = hex("00112233445566778899aabbccddeeff");
        const QByteArray fipsKey = hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
        QTest::newRow("FIPS-197 C.1") << int(Aes::AES_128) << int(Aes::ECB) << fipsKey.left(16) << QByteArray()
                                      << fipsPlain << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("FIPS-197 C.2") << int(Aes::AES_192) << int(Aes::ECB) << fipsKey.left(24) << QByteArray()
                                      << fipsPlain << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("FIPS-197 C.3") << int(Aes::AES_256) << int(Aes::ECB) << fipsKey << QByteArray()
                                      << fipsPlain << hex("8ea2b7ca516745bfeafc49904b496089");

        const struct {
            const char *name;
            int level;
            int mode;
            const char *cipher;
        } sp800[] = {
            {"ECB-AES128", 0, Aes::ECB, "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
                                        "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4"},
            {"ECB-AES192", 1, Aes::ECB, "bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
                                        "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e"},
            {"ECB-AES256", 2, Aes::ECB, "f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
                                        "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7"},
            {"CBC-AES128", 0, Aes::CBC, "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                                        "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
            {"CBC-AES192", 1, Aes::CBC, "4f021db243bc633d7178183a9fa071e8b4d9ada9ad7dedf4e5e738763f69145a"
                                        "571b242012fb7ae07fa9baac3df102e008b0e27988598881d920a9e64f5615cd"},
            {"CBC-AES256", 2, Aes::CBC, "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                                        "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"},
            {"CFB128-AES128", 0, Aes::CFB, "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                                           "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6"},
            {"CFB128-AES192", 1, Aes::CFB, "cdc80d6fddf18cab34c25909c99a417467ce7f7f81173621961a2b70171d3d7a"
                                           "2e1e8a1dd59b88b1c8e60fed1efac4c9c05f9f9ca9834fa042ae8fba584b09ff"},
            {"CFB128-AES256", 2, Aes::CFB, "dc7e84bfda79164b7ecd8486985d386039ffed143b28b1c832113c6331e5407b"
                                           "df10132415e54b92a13ed0a8267ae2f975a385741ab9cef82031623d55b1e471"},
            {"OFB-AES128", 0, Aes::OFB, "3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                                        "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e"},
            {"OFB-AES192", 1, Aes::OFB, "cdc80d6fddf18cab34c25909c99a4174fcc28b8d4c63837c09e81700c1100401"
                                        "8d9a9aeac0f6596f559c6d4daf59a5f26d9f200857ca6c3e9cac524bd9acc92a"},
            {"OFB-AES256", 2, Aes::OFB, "dc7e84bfda79164b7ecd8486985d38604febdc6740d20b3ac88f6ad82a4fb08d"
                                        "71ab47a086e86eedf39d1c5bba97c4080126141d67f37be8538f5a8be740e484"},
        };
        for (const auto &v : sp800)
            QTest::newRow(v.name) << v.level << v.mode << Sp800Key[v.level] << (v.mode == Aes::ECB ? QByteArray() : Sp800Iv)
                                  << Sp800Plain << hex(v.cipher);
    }

    void publishedVectors()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        // Aligned input: neither padding adds anything.
        for (Aes::Padding padding : {Aes::ZERO, Aes::ISO}) {
            QCOMPARE(Aes::Crypt(Aes::Aes(level), Aes::Mode(mode), plain, key, iv, padding).toHex(), cipher.toHex());
            QCOMPARE(Aes::Decrypt(Aes::Aes(level), Aes::Mode(mode), cipher, key, iv, padding).toHex(), plain.toHex());
        }
    }

    void randomRoundTrips()
    {
        QRandomGenerator random(20240611);
        for (int level = 0; level < 3; ++level) {
            for (int mode = 0; mode < 4; ++mode) {
                const QByteArray key = Sp800Key[level];
                for (int size : {1, 15, 16, 33, 1000, 4096}) {
                    QByteArray plain(size, '\0');
                    for (char &b : plain)
                        b = char(random.bounded(256));
                    const QByteArray cipher = Aes::Crypt(Aes::Aes(level), Aes::Mode(mode), plain, key, Sp800Iv);
                    QCOMPARE(cipher.size(), (size + 15) / 16 * 16);
                    const QByteArray back = Aes::Decrypt(Aes::Aes(level), Aes::Mode(mode), cipher, key, Sp800Iv);
                    QCOMPARE(back.left(size), plain);
                    if (size % 16)
                        QCOMPARE(Aes::RemovePadding(back), plain);
                }
            }
        }
    }

    void paddingRules_data()
    {
        QTest::addColumn<int>("padding");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("padded");
        const QByteArray one = QByteArray(1, 'A');
        const QByteArray block = QByteArray(16, 'B');
        QTest::newRow("ISO aligned") << int(Aes::ISO) << block << block;
        QTest::newRow("ISO 17") << int(Aes::ISO) << block + one << block + hex("41800000000000000000000000000000");
        QTest::newRow("ISO empty") << int(Aes::ISO) << QByteArray() << QByteArray();
        QTest::newRow("ZERO 1") << int(Aes::ZERO) << one << one + QByteArray(15, '\0');
        QTest::newRow("PKCS7 empty") << int(Aes::PKCS7) << QByteArray() << QByteArray(16, '\x10');
        QTest::newRow("PKCS7 aligned") << int(Aes::PKCS7) << block << block + QByteArray(16, '\x10');
        QTest::newRow("PKCS7 1") << int(Aes::PKCS7) << one << one + QByteArray(15, '\x0f');
    }

    void paddingRules()
    {
        QFETCH(int, padding);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, padded);
        const QByteArray key = Sp800Key[0];
        const QByteArray cipher = Aes::Crypt(Aes::AES_128, Aes::ECB, plain, key, {}, Aes::Padding(padding));
        QCOMPARE(Aes::Decrypt(Aes::AES_128, Aes::ECB, cipher, key, {}, Aes::Padding(padding)).toHex(), padded.toHex());
        QCOMPARE(Aes::RemovePadding(padded, Aes::Padding(padding)), plain);
    }

    void rejectedArguments_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        QTest::addColumn<QByteArray>("input"); // to decode
        const QByteArray block(16, 'x');
        QTest::newRow("CBC short vector") << 0 << int(Aes::CBC) << Sp800Key[0] << Sp800Iv.left(15) << block;
        QTest::newRow("CFB no vector") << 0 << int(Aes::CFB) << Sp800Key[0] << QByteArray() << block;
        QTest::newRow("OFB long vector") << 0 << int(Aes::OFB) << Sp800Key[0] << Sp800Iv + 'x' << block;
        QTest::newRow("256 with 31 bytes") << 2 << int(Aes::CBC) << Sp800Key[2].left(31) << Sp800Iv << block;
        QTest::newRow("mode 4") << 0 << 4 << Sp800Key[0] << Sp800Iv << block;
        QTest::newRow("decode 20 bytes") << 0 << int(Aes::ECB) << Sp800Key[0] << QByteArray() << QByteArray(20, 'x');
    }

    void rejectedArguments()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        QFETCH(QByteArray, input);
        QVERIFY(Aes::Decrypt(Aes::Aes(level), Aes::Mode(mode), input, key, iv).isEmpty());
        if (input.size() % 16 == 0)
            QVERIFY(Aes::Crypt(Aes::Aes(level), Aes::Mode(mode), input, key, iv).isEmpty());
    }

    void oddLevelIsAes128AndEcbIgnoresTheVector()
    {
        const QByteArray plain = hex("00112233445566778899aabbccddeeff");
        const QByteArray expected = hex("69c4e0d86a7b0430d8cdb78070b4c55a");
        const QByteArray key = hex("000102030405060708090a0b0c0d0e0f");
        QCOMPARE(Aes::Crypt(Aes::Aes(7), Aes::ECB, plain, key, QByteArray(3, 'v')), expected);
    }
};

QTEST_APPLESS_MAIN(TestQAESEncryption)
#include "tst_qaesencryption.moc"
