#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedHighKeyCommands.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
HIGH_KEY_INFO record(uchar item, uchar kind, uchar keyItem, std::initializer_list<int> data)
{
    HIGH_KEY_INFO info;
    info.item = item;
    info.attribute = kind;
    info.keyItem = keyItem;
    int i = 0;
    for (int value : data)
        info.data[size_t(i++)] = uchar(value);
    return info;
}

// One record of each kind, with bytes its kind does not carry filled with 0xAA so that a frame
// carrying them shows; and the payload each must go out as.
struct KindSample {
    HIGH_KEY_INFO info;
    QByteArray payload;
};

KindSample kindSample(int kind)
{
    KindSample sample;
    switch (kind) {
    case 0: // TGL: key function held and sent as type, lValue, hValue
        sample.info = record(3, 0, 0x10, {0x01, 0x04, 0x00});
        sample.payload = bytes({0x03, 0x00, 0x10, 0x01, 0x04, 0x00});
        break;
    case 1: // MT: hold time 80 ms; tap held (2, h 0x01, l 0x83) goes out lValue first; hold (1, l 4, h 0)
        sample.info = record(4, 1, 0x11, {0xFF, 0x50, 0x00, 0x02, 0x01, 0x83, 0x01, 0x04, 0x00});
        sample.payload = bytes({0x04, 0x01, 0x11, 0xFF, 0x50, 0x00, 0x02, 0x83, 0x01, 0x01, 0x04, 0x00});
        break;
    case 2: // DKS: four groups of mask, type, lValue, hValue; data 16 never leaves
        sample.info = record(5, 2, 0x12, {0x01, 1, 0x05, 0, 0x02, 1, 0x06, 0, 0x04, 1, 0x07, 0, 0x08, 2, 0xE9, 0x00, 0xEE});
        sample.payload = bytes({0x05, 0x02, 0x12, 0x01, 1, 0x05, 0, 0x02, 1, 0x06, 0, 0x04, 1, 0x07, 0, 0x08, 2, 0xE9, 0x00});
        break;
    case 3: // RS
        sample.info = record(6, 3, 0x13, {0x14});
        sample.payload = bytes({0x06, 0x03, 0x13, 0x14});
        break;
    case 4: // OKS
        sample.info = record(7, 4, 0x15, {0x16});
        sample.payload = bytes({0x07, 0x04, 0x15, 0x16});
        break;
    default: // SOCD: second key, then mode 3 (both cancel)
        sample.info = record(31, 5, 0x17, {0x18, 0x03});
        sample.payload = bytes({0x1F, 0x05, 0x17, 0x18, 0x03});
        break;
    }
    const int carried = sample.payload.size() - 3;
    for (int i = carried; i < HIGH_KEY_INFO::DataSize; ++i) {
        if (kind != 2)
            sample.info.data[size_t(i)] = 0xAA;
    }
    return sample;
}

bool sameRecord(const HIGH_KEY_INFO &a, const HIGH_KEY_INFO &b)
{
    return a.item == b.item && a.attribute == b.attribute && a.keyItem == b.keyItem && a.data == b.data;
}
} // namespace

// Advanced-key commands against the emulated keyboard: table read and write at both frame
// sizes, one record of each kind added and deleted, and the byte layout of every kind.
class TestHighKeyCommands : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<LinkedKeyboard> rig;

    void open(int frameSize) { rig = std::make_unique<LinkedKeyboard>(frameSize, EmulatedKeyboardState::sample()); }

    QList<HIGH_KEY_INFO> &keyboardTable() { return EmulatedHighKeyCommands::slotTable(rig->profile()); }

    // Reads the table with the keyboard's own answer replaced by the frame pushed here; false
    // when the read did not end with one announced frame.
    bool readPushed(const QByteArray &payload, HighKeyList *out)
    {
        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xAB, 1});
        QSignalSpy spy(&rig->protocol(), &UsbCommunicateUtil::usb_receive_high_key);
        rig->protocol().usb_get_high_key(UsbCommunicateUtil::SourceSyncConfig, false);
        if (!QTest::qWaitFor([this] { return rig->written(0x2B).size() == 1; }, 2000))
            return false;
        rig->push(0xAB, payload);
        if (!QTest::qWaitFor([&spy] { return spy.size() == 1; }, 2000))
            return false;
        *out = rig->protocol().highKeyList();
        return true;
    }

private Q_SLOTS:
    void cleanup() { rig.reset(); }

    // 6 records a frame at 128 bytes, 3 at 64.
    void readsWholeTableKeepingFreeSlots_data() { frameSizeRows("frames", 6, 11); }

    void readsWholeTableKeepingFreeSlots()
    {
        QFETCH(int, frameSize);
        QFETCH(int, frames);
        open(frameSize);
        QList<HIGH_KEY_INFO> &table = keyboardTable();
        table[0] = kindSample(0).info;
        table[5] = record(5, 1, 0x20, {0xFF, 0x50, 0x00, 0x02, 0x01, 0xB5, 0x01, 0x04, 0x00});
        table[31] = kindSample(5).info;

        QSignalSpy spy(&rig->protocol(), &UsbCommunicateUtil::usb_receive_high_key);
        rig->protocol().usb_get_high_key(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(spy.size(), frames);
        QTest::qWait(30);
        QCOMPARE(spy.size(), frames);
        for (int i = 0; i < frames; ++i) {
            QCOMPARE(spy[i][0].value<uchar>(), uchar(UsbCommunicateUtil::SourceSyncConfig));
            QCOMPARE(spy[i][1].toInt(), i + 1);
            QCOMPARE(spy[i][2].toInt(), frames);
        }
        // Frame 1 is asked for as 1 of 1, every later one by number with the announced count.
        const QList<QByteArray> asked = rig->written(0x2B);
        QCOMPARE(asked.size(), frames);
        for (int i = 0; i < frames; ++i)
            QCOMPARE(asked[i], rig->report(0x2B, QByteArray(), uchar(i + 1), uchar(i == 0 ? 1 : frames)));

        const HighKeyList list = rig->protocol().highKeyList();
        QCOMPARE(list.size(), 32);
        for (int slot = 0; slot < 32; ++slot) {
            if (slot == 0 || slot == 5 || slot == 31)
                continue;
            QCOMPARE(list[slot]->item, uchar(0xFF));
        }
        QCOMPARE(list[0]->keyItem, uchar(0x10));
        QCOMPARE(list[0]->data[1], uchar(0x04));
        // The MT tap function comes back in the order it is held: type, hValue, lValue.
        QCOMPARE(list[5]->data[3], uchar(0x02));
        QCOMPARE(list[5]->data[4], uchar(0x01));
        QCOMPARE(list[5]->data[5], uchar(0xB5));
        QCOMPARE(list[5]->data[7], uchar(0x04));
        QCOMPARE(list[31]->item, uchar(31));
        QCOMPARE(list[31]->attribute, uchar(5));
        QCOMPARE(list[31]->data[1], uchar(3));
    }

    void readParsesWireBytes()
    {
        open(128);
        // Two MT and TGL records and two bytes too few for a third.
        const QByteArray mt = bytes({0x05, 0x01, 0x20, 0xFF, 0x50, 0x00, 0x02, 0xB5, 0x01, 0x01, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0});
        const QByteArray tgl = bytes({0x09, 0x00, 0x21, 0x02, 0xE9, 0x00, 0x77, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x77});
        HighKeyList list;
        QVERIFY(readPushed(mt + tgl + bytes({0x0A, 0x03}), &list));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0]->item, uchar(5));
        QCOMPARE(list[0]->data[0], uchar(0xFF));
        QCOMPARE(list[0]->data[1], uchar(0x50));
        QCOMPARE(list[0]->data[3], uchar(0x02));
        QCOMPARE(list[0]->data[4], uchar(0x01)); // hValue from wire byte 8
        QCOMPARE(list[0]->data[5], uchar(0xB5)); // lValue from wire byte 7
        QCOMPARE(list[0]->data[6], uchar(0x01));
        QCOMPARE(list[0]->data[7], uchar(0x04));
        // A TGL record takes only its three function bytes; the rest stays 0.
        QCOMPARE(list[1]->keyItem, uchar(0x21));
        QCOMPARE(list[1]->data[2], uchar(0x00));
        QCOMPARE(list[1]->data[3], uchar(0x00));
        QCOMPARE(list[1]->data[15], uchar(0x00));
        rig.reset();

        // A kind the program does not know keeps its slot and kind only.
        open(128);
        QVERIFY(readPushed(bytes({0x02, 0x09, 0x33, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), &list));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0]->item, uchar(2));
        QCOMPARE(list[0]->attribute, uchar(9));
        QCOMPARE(list[0]->keyItem, uchar(0));
        QCOMPARE(list[0]->data, (std::array<uchar, HIGH_KEY_INFO::DataSize>{}));
        rig.reset();

        // Fewer bytes than one record: none stored, the frame still announced.
        open(128);
        QVERIFY(readPushed(QByteArray(18, '\x01'), &list));
        QVERIFY(list.isEmpty());
    }

    void addsAndDeletesEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("TGL") << 0;
        QTest::newRow("MT") << 1;
        QTest::newRow("DKS") << 2;
        QTest::newRow("RS") << 3;
        QTest::newRow("OKS") << 4;
        QTest::newRow("SOCD") << 5;
    }

    void addsAndDeletesEachKind()
    {
        QFETCH(int, kind);
        open(128);
        const KindSample sample = kindSample(kind);
        UsbCommunicateUtil &protocol = rig->protocol();

        QSignalSpy added(&protocol, &UsbCommunicateUtil::usb_receive_add_high_key);
        protocol.usb_add_high_key(UsbCommunicateUtil::SourceHighKeyPage, false, sample.info);
        QTRY_COMPARE(added.size(), 1);
        QCOMPARE(rig->written(0x22), QList<QByteArray>{rig->report(0x22, sample.payload)});
        QCOMPARE(added[0][0].value<uchar>(), uchar(UsbCommunicateUtil::SourceHighKeyPage));
        QCOMPARE(added[0][1].toInt(), 1);
        QCOMPARE(added[0][2].toInt(), 1);
        QVERIFY(sameRecord(added[0][3].value<HIGH_KEY_INFO>(), sample.info));
        // The keyboard holds the record in the named slot, as it was sent.
        const HIGH_KEY_INFO stored = keyboardTable()[sample.info.item];
        QCOMPARE(EmulatedHighKeyCommands::encode(stored).left(sample.payload.size()), sample.payload);

        QSignalSpy deleted(&protocol, &UsbCommunicateUtil::usb_receive_del_high_key);
        protocol.usb_del_high_key(UsbCommunicateUtil::SourceHighKeyPage, false, sample.info);
        QTRY_COMPARE(deleted.size(), 1);
        // Only the slot goes out; the whole record comes back with the answer.
        QCOMPARE(rig->written(0x25), QList<QByteArray>{rig->report(0x25, bytes({sample.info.item}))});
        QVERIFY(sameRecord(deleted[0][3].value<HIGH_KEY_INFO>(), sample.info));
        QCOMPARE(keyboardTable()[sample.info.item].item, EmulatedHighKeyCommands::FreeItem);
    }

    void writesTableInFrames_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("32 at 128") << 128 << 32 << QList<int>{114, 114, 114, 114, 114, 38};
        QTest::newRow("7 at 128") << 128 << 7 << QList<int>{114, 19};
        QTest::newRow("32 at 64") << 64 << 32 << QList<int>{57, 57, 57, 57, 57, 57, 57, 57, 57, 57, 38};
    }

    void writesTableInFrames()
    {
        QFETCH(int, frameSize);
        QFETCH(int, count);
        QFETCH(QList<int>, lengths);
        open(frameSize);
        // Every third slot an RS pair, the others free.
        HighKeyList list;
        QByteArray wire;
        for (int slot = 0; slot < count; ++slot) {
            const bool used = slot % 3 == 0;
            auto info = QSharedPointer<HIGH_KEY_INFO>::create(used ? record(uchar(slot), 3, uchar(slot + 1), {uchar(slot + 2)})
                                                                   : EmulatedHighKeyCommands::freeSlot());
            list.append(info);
            QByteArray one(19, '\0');
            if (used)
                one.replace(0, 4, bytes({slot, 3, slot + 1, slot + 2}));
            else
                one.replace(0, 2, bytes({0xFF, 0xFF}));
            wire += one;
        }
        QSignalSpy spy(&rig->protocol(), &UsbCommunicateUtil::usb_receive_set_high_key);
        rig->protocol().usb_set_high_key(UsbCommunicateUtil::SourceImport, true, list);
        const int frames = int(lengths.size());
        QTRY_COMPARE(spy.size(), frames);
        QCOMPARE(spy.last()[1].toInt(), frames);
        QCOMPARE(spy.last()[2].toInt(), frames);

        const QList<QByteArray> sent = rig->written(0x23);
        QCOMPARE(sent.size(), frames);
        int at = 0;
        for (int i = 0; i < frames; ++i) {
            QCOMPARE(sent[i], rig->report(0x23, wire.mid(at, lengths[i]), uchar(i + 1), uchar(frames)));
            at += lengths[i];
        }
        QCOMPARE(rig->protocol().highKeyList(), list);
        for (int slot = 0; slot < count; ++slot)
            QCOMPARE(keyboardTable()[slot].item, list[slot]->item);
    }

    void emptyOrOversizedTableSendsNothing()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        QSignalSpy done(&protocol, &UsbCommunicateUtil::usb_receive_set_high_key);
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);
        protocol.usb_set_high_key(UsbCommunicateUtil::SourceImport, true, {});
        QCOMPARE(done.size(), 1);
        QCOMPARE(done[0][1].toInt(), 1);
        QCOMPARE(done[0][2].toInt(), 1);
        QVERIFY(protocol.highKeyList().isEmpty());

        // The record count travels in one byte: 256 records would go out as none.
        HighKeyList tooMany;
        for (int i = 0; i < 256; ++i)
            tooMany.append(QSharedPointer<HIGH_KEY_INFO>::create(EmulatedHighKeyCommands::freeSlot()));
        protocol.usb_set_high_key(UsbCommunicateUtil::SourceImport, true, tooMany);
        // A null record cannot be written either.
        protocol.usb_set_high_key(UsbCommunicateUtil::SourceImport, true, {QSharedPointer<HIGH_KEY_INFO>()});
        QCOMPARE(errors.size(), 2);
        for (const QList<QVariant> &error : errors) {
            QCOMPARE(error[1].value<uchar>(), uchar(0xA3));
            QCOMPARE(error[2].toInt(), int(UsbCommunicateUtil::ErrorWrite));
        }
        QCOMPARE(done.size(), 1);
        QTest::qWait(30);
        QVERIFY(rig->written(0x23).isEmpty());
    }

    void unansweredAddIsSentAgainUnchanged()
    {
        open(64);
        rig->protocol().setReplyInterval(40);
        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xA2, 1});
        const KindSample sample = kindSample(1);
        QSignalSpy added(&rig->protocol(), &UsbCommunicateUtil::usb_receive_add_high_key);
        rig->protocol().usb_add_high_key(UsbCommunicateUtil::SourceHighKeyPage, true, sample.info);
        QTRY_COMPARE(added.size(), 1);
        const QList<QByteArray> sent = rig->written(0x22);
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[0], rig->report(0x22, sample.payload));
        QCOMPARE(sent[1], sent[0]);
    }
};

QTEST_GUILESS_MAIN(TestHighKeyCommands)
#include "tst_highkeycommands.moc"
