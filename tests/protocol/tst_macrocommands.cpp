#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedMacroCommands.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
QSharedPointer<KEYBOARD_MACRO_INFO> action(uchar type, uchar state, uchar lValue, uchar hValue, quint16 time)
{
    auto info = QSharedPointer<KEYBOARD_MACRO_INFO>::create();
    info->type = type;
    info->state = state;
    info->lValue = lValue;
    info->hValue = hValue;
    info->time = time;
    return info;
}

// Twenty actions: key i pressed then released, in turn, with growing delays.
MacroList twentyActions()
{
    MacroList list;
    for (int i = 0; i < 20; ++i)
        list.append(action(1, uchar(i % 2 == 0 ? 1 : 0), uchar(0x04 + i / 2), 0, quint16(10 * i + 5)));
    return list;
}

QByteArray wireOf(const KEYBOARD_MACRO_INFO &info)
{
    return bytes({info.state, info.type, info.lValue, info.hValue, info.time & 0xFF, info.time >> 8});
}

bool sameActions(const MacroList &list, const QList<KEYBOARD_MACRO_INFO> &held)
{
    if (list.size() != held.size())
        return false;
    for (int i = 0; i < list.size(); ++i) {
        const KEYBOARD_MACRO_INFO &a = *list[i];
        const KEYBOARD_MACRO_INFO &b = held[i];
        if (a.type != b.type || a.state != b.state || a.lValue != b.lValue || a.hValue != b.hValue || a.time != b.time)
            return false;
    }
    return true;
}
} // namespace

// Macro commands against the emulated keyboard: the frames of a write at both sizes, the action
// byte order, reads, clearing, and indexes the keyboard does not have.
class TestMacroCommands : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<LinkedKeyboard> rig;

    void open(int frameSize) { rig = std::make_unique<LinkedKeyboard>(frameSize, EmulatedKeyboardState::sample()); }

private Q_SLOTS:
    void cleanup() { rig.reset(); }

    void writesAndReadsTwentyActions_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("perFrame");
        QTest::newRow("128: one frame") << 128 << QList<int>{20};
        QTest::newRow("64: three frames") << 64 << QList<int>{9, 9, 2};
    }

    void writesAndReadsTwentyActions()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, perFrame);
        open(frameSize);
        UsbCommunicateUtil &protocol = rig->protocol();
        const MacroList list = twentyActions();
        const int frames = int(perFrame.size());

        QSignalSpy written(&protocol, &UsbCommunicateUtil::usb_receive_set_macro_config);
        protocol.usb_set_macro_config(UsbCommunicateUtil::SourceMacroPage, true, 6, list);
        QTRY_COMPARE(written.size(), frames);
        QCOMPARE(written.last()[1].toInt(), frames);
        QCOMPARE(written.last()[3].value<uchar>(), uchar(6));

        const QList<QByteArray> sent = rig->written(0x40);
        QCOMPARE(sent.size(), frames);
        int first = 0;
        for (int f = 0; f < frames; ++f) {
            QByteArray payload = bytes({6, perFrame[f]});
            for (int i = first; i < first + perFrame[f]; ++i)
                payload += wireOf(*list[i]);
            QCOMPARE(payload.size(), 6 * perFrame[f] + 2);
            QCOMPARE(sent[f], rig->report(0x40, payload, uchar(f + 1), uchar(frames)));
            first += perFrame[f];
        }
        QVERIFY(sameActions(list, rig->state().macros[6]));

        // Read back into a fresh holding list, frame by frame.
        QSignalSpy read(&protocol, &UsbCommunicateUtil::usb_receive_macro_config);
        protocol.usb_get_macro_config(UsbCommunicateUtil::SourceSyncConfig, true, 6);
        QTRY_COMPARE(read.size(), frames);
        const QList<QByteArray> asked = rig->written(0x42);
        QCOMPARE(asked.size(), frames);
        for (int f = 0; f < frames; ++f)
            QCOMPARE(asked[f], rig->report(0x42, bytes({6}), uchar(f + 1), uchar(f == 0 ? 1 : frames)));
        const MacroList back = protocol.macroList(6);
        QCOMPARE(back.size(), 20);
        QList<KEYBOARD_MACRO_INFO> expected;
        for (const auto &info : list)
            expected.append(*info);
        QVERIFY(sameActions(back, expected));
    }

    void actionBytes()
    {
        open(128);
        // Pressed key A (type 1, lValue 4) held 300 ms; released left Shift (type 0, lValue 2) after 1 ms.
        MacroList list;
        list << action(1, 1, 0x04, 0x00, 300) << action(0, 0, 0x02, 0x00, 1) << action(2, 1, 0xE9, 0x00, 0x1234);
        QSignalSpy written(&rig->protocol(), &UsbCommunicateUtil::usb_receive_set_macro_config);
        rig->protocol().usb_set_macro_config(UsbCommunicateUtil::SourceMacroPage, false, 0, list);
        QTRY_COMPARE(written.size(), 1);
        const QByteArray payload = bytes({0x00, 0x03,
                                          0x01, 0x01, 0x04, 0x00, 0x2C, 0x01,
                                          0x00, 0x00, 0x02, 0x00, 0x01, 0x00,
                                          0x01, 0x02, 0xE9, 0x00, 0x34, 0x12});
        QCOMPARE(rig->written(0x40), QList<QByteArray>{rig->report(0x40, payload)});

        // The same bytes read back give the same records.
        QSignalSpy read(&rig->protocol(), &UsbCommunicateUtil::usb_receive_macro_config);
        rig->protocol().usb_get_macro_config(UsbCommunicateUtil::SourceMacroPage, false, 0);
        QTRY_COMPARE(read.size(), 1);
        const MacroList back = rig->protocol().macroList(0);
        QCOMPARE(back.size(), 3);
        QCOMPARE(back[0]->state, uchar(1));
        QCOMPARE(back[0]->type, uchar(1));
        QCOMPARE(back[0]->time, quint16(300));
        QCOMPARE(back[1]->state, uchar(0));
        QCOMPARE(back[1]->lValue, uchar(0x02));
        QCOMPARE(back[2]->type, uchar(2));
        QCOMPARE(back[2]->time, quint16(0x1234));
    }

    void readsEmptyMacroAndShortFrames()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        QSignalSpy read(&protocol, &UsbCommunicateUtil::usb_receive_macro_config);
        protocol.usb_get_macro_config(UsbCommunicateUtil::SourceSyncConfig, true, 2);
        QTRY_COMPARE(read.size(), 1);
        QCOMPARE(read[0][3].value<uchar>(), uchar(2));
        QVERIFY(protocol.macroList(2).isEmpty());

        // A frame that claims more actions than it carries yields only those it carries.
        rig->keyboard().setHandler(EmulatedMacroCommands::GetMacro,
                                   [](EmulatedKeyboardState &, const KeyboardRequest &, KeyboardReplies &replies) {
                                       replies.send(bytes({0x03, 30, 1, 1, 0x04, 0, 10, 0, 0, 1, 0x04, 0, 20, 0, 0x55}));
                                   });
        protocol.usb_get_macro_config(UsbCommunicateUtil::SourceSyncConfig, true, 3);
        QTRY_COMPARE(read.size(), 2);
        const MacroList list = protocol.macroList(3);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[1]->time, quint16(20));
    }

    void replyForAnotherMacro()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        protocol.setReplyInterval(40);
        rig->keyboard().setHandler(EmulatedMacroCommands::GetMacro,
                                   [](EmulatedKeyboardState &, const KeyboardRequest &request, KeyboardReplies &replies) {
                                       replies.send(bytes({uchar(request.payload()[0]) + 1, 0}));
                                   });
        QSignalSpy read(&protocol, &UsbCommunicateUtil::usb_receive_macro_config);
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);

        // Without waiting: reported at once.
        protocol.usb_get_macro_config(UsbCommunicateUtil::SourceMacroPage, false, 4);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0][1].value<uchar>(), uchar(0xC2));
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorMacroIndex));
        QCOMPARE(rig->written(0x42).size(), 1);

        // Waiting: each wrong answer counts as a time-out, so three sends and then -2.
        protocol.usb_get_macro_config(UsbCommunicateUtil::SourceSyncConfig, true, 5);
        QTRY_COMPARE(errors.size(), 2);
        QCOMPARE(errors[1][0].value<uchar>(), uchar(UsbCommunicateUtil::SourceSyncConfig));
        QCOMPARE(errors[1][2].toInt(), int(UsbCommunicateUtil::ErrorNoReply));
        QCOMPARE(rig->written(0x42).size(), 1 + 3);
        QVERIFY(read.isEmpty());
    }

    void clearsMacro()
    {
        open(128);
        rig->state().macros[4] = {KEYBOARD_MACRO_INFO(), KEYBOARD_MACRO_INFO()};
        gKeyboardConfig->keyboardMacroList[4] = twentyActions();
        gKeyboardConfig->keyboardMacroList[5] = twentyActions();
        QSignalSpy cleared(&rig->protocol(), &UsbCommunicateUtil::usb_receive_del_macro_config);
        rig->protocol().usb_del_macro_config(UsbCommunicateUtil::SourceMacroPage, false, 4);
        QTRY_COMPARE(cleared.size(), 1);
        QCOMPARE(rig->written(0x41), QList<QByteArray>{rig->report(0x41, bytes({4}))});
        QCOMPARE(cleared[0][0].value<uchar>(), uchar(UsbCommunicateUtil::SourceMacroPage));
        QCOMPARE(cleared[0][3].value<uchar>(), uchar(4));
        QVERIFY(gKeyboardConfig->keyboardMacroList[4].isEmpty());
        QCOMPARE(gKeyboardConfig->keyboardMacroList[5].size(), 20);
        QVERIFY(rig->state().macros[4].isEmpty());
    }

    void emptyWriteSendsNothing()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        protocol.usb_set_macro_config(UsbCommunicateUtil::SourceImport, true, 3, twentyActions());
        QSignalSpy written(&protocol, &UsbCommunicateUtil::usb_receive_set_macro_config);
        QTRY_COMPARE(written.size(), 1);
        protocol.usb_set_macro_config(UsbCommunicateUtil::SourceImport, true, 3, {});
        QCOMPARE(written.size(), 2);
        QCOMPARE(written[1][1].toInt(), 1);
        QCOMPARE(written[1][2].toInt(), 1);
        QCOMPARE(written[1][3].value<uchar>(), uchar(3));
        QVERIFY(protocol.macroList(3).isEmpty());
        QTest::qWait(30);
        QCOMPARE(rig->written(0x40).size(), 1);
    }

    void indexAboveNineIsRefused_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("index");
        QTest::newRow("read 10") << 0x42 << 10;
        QTest::newRow("write 10") << 0x40 << 10;
        QTest::newRow("write 255") << 0x40 << 255;
        QTest::newRow("clear 12") << 0x41 << 12;
    }

    void indexAboveNineIsRefused()
    {
        QFETCH(int, order);
        QFETCH(int, index);
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        for (int i = 0; i < 10; ++i)
            gKeyboardConfig->keyboardMacroList[size_t(i)] = twentyActions();
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);
        QSignalSpy written(&protocol, &UsbCommunicateUtil::usb_receive_set_macro_config);
        QSignalSpy cleared(&protocol, &UsbCommunicateUtil::usb_receive_del_macro_config);
        const uchar macro = uchar(index);
        if (order == 0x42)
            protocol.usb_get_macro_config(UsbCommunicateUtil::SourceMacroPage, true, macro);
        else if (order == 0x40)
            protocol.usb_set_macro_config(UsbCommunicateUtil::SourceMacroPage, true, macro, twentyActions());
        else
            protocol.usb_del_macro_config(UsbCommunicateUtil::SourceMacroPage, true, macro);

        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0][0].value<uchar>(), uchar(UsbCommunicateUtil::SourceMacroPage));
        QCOMPARE(errors[0][1].value<uchar>(), uchar(order | 0x80));
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorMacroIndex));
        QTest::qWait(50);
        QCOMPARE(errors.size(), 1); // no timer runs behind the refusal
        QVERIFY(written.isEmpty());
        QVERIFY(cleared.isEmpty());
        QVERIFY(rig->written(uchar(order)).isEmpty());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(gKeyboardConfig->keyboardMacroList[size_t(i)].size(), 20);
    }
};

QTEST_GUILESS_MAIN(TestMacroCommands)
#include "tst_macrocommands.moc"
