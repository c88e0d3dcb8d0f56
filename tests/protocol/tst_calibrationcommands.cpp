#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedCalibrationCommands.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
using AlignList = QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>;
using StateMap = QMap<uchar, uchar>;
using AdcMap = QMap<uchar, ushort>;
} // namespace

// Calibration against the emulated keyboard: key states, live depth reports switched on and
// off, storing, the raw values, and how the unasked 0xD3 frames meet the request in flight.
class TestCalibrationCommands : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<LinkedKeyboard> rig;

    void open(int frameSize) { rig = std::make_unique<LinkedKeyboard>(frameSize, EmulatedKeyboardState::sample()); }

private Q_SLOTS:
    void cleanup() { rig.reset(); }

    // 105 state bytes: one frame of 122 bytes or two of 58.
    void wholeCalibration_data() { frameSizeRows("stateFrames", 1, 2); }

    // State read, report on, live depths, report off, store: as the calibration page drives it.
    void wholeCalibration()
    {
        QFETCH(int, frameSize);
        QFETCH(int, stateFrames);
        open(frameSize);
        UsbCommunicateUtil &protocol = rig->protocol();
        const uchar source = UsbCommunicateUtil::SourceAlignPage;
        rig->state().calibration.state.insert(0, 1);
        rig->state().calibration.state.insert(58, 2);
        rig->state().calibration.state.insert(104, 3);

        QSignalSpy states(&protocol, &UsbCommunicateUtil::usb_receive_get_calibration_state);
        protocol.usb_get_calibration_state(source, true);
        QTRY_COMPARE(states.size(), 1);
        QTest::qWait(20);
        QCOMPARE(states.size(), 1); // one signal, after the last frame
        QCOMPARE(states[0][1].toInt(), stateFrames);
        QCOMPARE(states[0][2].toInt(), stateFrames);
        const QList<QByteArray> asked = rig->written(0x52);
        QCOMPARE(asked.size(), stateFrames);
        QCOMPARE(asked[0], rig->report(0x52, QByteArray()));
        if (stateFrames == 2)
            QCOMPARE(asked[1], rig->report(0x52, QByteArray(), 2, 2));
        StateMap map = states[0][3].value<StateMap>();
        QCOMPARE(map.size(), 105);
        QCOMPARE(map.value(0), uchar(1));
        QCOMPARE(map.value(57), uchar(0));
        QCOMPARE(map.value(58), uchar(2)); // byte 0 of frame 2 on a 64-byte link
        QCOMPARE(map.value(104), uchar(3));

        // Report on: the answer, then the depth of the key already held down.
        EmulatedCalibrationCommands::pressKey(rig->state(), 7, 120);
        QSignalSpy switched(&protocol, &UsbCommunicateUtil::usb_receive_report_calibration_switch);
        QSignalSpy live(&protocol, &UsbCommunicateUtil::usb_receive_report_calibration);
        protocol.usb_set_report_calibration(source, false, true);
        QTRY_COMPARE(switched.size(), 1);
        QCOMPARE(rig->written(0x53), QList<QByteArray>{rig->report(0x53, bytes({1}))});
        QCOMPARE(switched[0][0].value<uchar>(), source);
        QCOMPARE(switched[0][3].value<uchar>(), uchar(0));
        QTRY_COMPARE(live.size(), 1);
        AlignList depths = live[0][3].value<AlignList>();
        QCOMPARE(depths.size(), 1);
        QCOMPARE(depths[0]->keyItem, uchar(7));
        QCOMPARE(depths[0]->value, quint16(120));

        // Keys pressed while reporting arrive as the keyboard's own reports, 4 bytes a key.
        EmulatedCalibrationCommands::pressKey(rig->state(), 7, 0);
        for (int key = 20; key < 60; ++key)
            EmulatedCalibrationCommands::pressKey(rig->state(), uchar(key), quint16(300 + key));
        const QList<QByteArray> reports = EmulatedCalibrationCommands::liveReports(rig->state(), frameSize);
        QCOMPARE(reports.size(), frameSize == 128 ? 2 : 3); // 30 or 14 keys a frame
        for (const QByteArray &report : reports)
            rig->pushFrame(report);
        QTRY_COMPARE(live.size(), 1 + int(reports.size()));
        AlignList all;
        for (int i = 1; i < live.size(); ++i)
            all += live[i][3].value<AlignList>();
        QCOMPARE(all.size(), 40);
        QCOMPARE(all[0]->keyItem, uchar(20));
        QCOMPARE(all[39]->keyItem, uchar(59));
        QCOMPARE(all[39]->value, quint16(359));
        // The holding list keeps the last frame's records only.
        QCOMPARE(protocol.alignList().size(), live.last()[3].value<AlignList>().size());

        // Report off with wait, then store.
        protocol.usb_set_report_calibration(source, true, false);
        QTRY_COMPARE(switched.size(), 2);
        QCOMPARE(rig->written(0x53).last(), rig->report(0x53, bytes({0})));
        QCOMPARE(switched[1][3].value<uchar>(), uchar(0));
        QVERIFY(!rig->state().calibration.reporting);
        QSignalSpy saved(&protocol, &UsbCommunicateUtil::usb_receive_save_calibration);
        protocol.usb_save_calibration(source, true);
        QTRY_COMPARE(saved.size(), 1);
        QCOMPARE(rig->written(0x54), QList<QByteArray>{rig->report(0x54, QByteArray())});
        QCOMPARE(saved[0][0].value<uchar>(), source);
        QCOMPARE(rig->state().calibration.saves, 1);
        QVERIFY(!rig->state().calibration.calibrating);

        // The keys pressed during the calibration now read as calibrated.
        protocol.usb_get_calibration_state(source, true);
        QTRY_COMPARE(states.size(), 2);
        map = states[1][3].value<StateMap>();
        QCOMPARE(map.value(7), uchar(1));
        QCOMPARE(map.value(59), uchar(1));
        QCOMPARE(map.value(60), uchar(0));
    }

    void refusedSwitch()
    {
        open(128);
        rig->state().calibration.switchAnswer = 2;
        EmulatedCalibrationCommands::pressKey(rig->state(), 7, 120);
        QSignalSpy switched(&rig->protocol(), &UsbCommunicateUtil::usb_receive_report_calibration_switch);
        QSignalSpy live(&rig->protocol(), &UsbCommunicateUtil::usb_receive_report_calibration);
        rig->protocol().usb_set_report_calibration(UsbCommunicateUtil::SourceAlignPage, true, true);
        QTRY_COMPARE(switched.size(), 1);
        QCOMPARE(switched[0][3].value<uchar>(), uchar(2));
        QTest::qWait(30);
        QVERIFY(live.isEmpty());
        QVERIFY(!rig->state().calibration.reporting);
    }

    void liveReportBytes()
    {
        open(64);
        QSignalSpy live(&rig->protocol(), &UsbCommunicateUtil::usb_receive_report_calibration);
        rig->push(0xD3, bytes({0, 5, 0x10, 0x01, 0, 6, 0x20, 0x00}));
        rig->push(0xD3, bytes({9, 8, 0x34, 0x12, 0x77, 0x66})); // one group and two left over
        rig->push(0xD3, bytes({0, 5}));
        rig->push(0xD3, QByteArray());
        QTRY_COMPARE(live.size(), 4);
        AlignList list = live[0][3].value<AlignList>();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0]->keyItem, uchar(5));
        QCOMPARE(list[0]->value, quint16(272));
        QCOMPARE(list[1]->keyItem, uchar(6));
        QCOMPARE(list[1]->value, quint16(32));
        list = live[1][3].value<AlignList>();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0]->keyItem, uchar(8));
        QCOMPARE(list[0]->value, quint16(0x1234));
        QVERIFY(live[2][3].value<AlignList>().isEmpty());
        QVERIFY(live[3][3].value<AlignList>().isEmpty());
        QVERIFY(rig->protocol().alignList().isEmpty());
    }

    // A stray one-byte 0xD3 must not end another request: it is sent again and reported.
    void strayAnswerLeavesOtherRequestWaiting()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        protocol.setReplyInterval(60);
        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD4, 3});
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);
        QSignalSpy switched(&protocol, &UsbCommunicateUtil::usb_receive_report_calibration_switch);
        protocol.usb_save_calibration(UsbCommunicateUtil::SourceAlignPage, true);
        QTRY_COMPARE(rig->written(0x54).size(), 1);
        rig->push(0xD3, bytes({0}));
        // Live reports in between do not touch the timer either.
        rig->push(0xD3, bytes({0, 5, 0x10, 0x01}));
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0][1].value<uchar>(), uchar(0xD4));
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorNoReply));
        QCOMPARE(rig->written(0x54).size(), 3);
        QVERIFY(switched.isEmpty());
    }

    // The switch answer ends its own request: no resend, no error, and a repeated answer is
    // not announced twice. Reports keep the switch-off request waiting until its answer.
    void answerEndsSwitchRequest()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        protocol.setReplyInterval(60);
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);
        QSignalSpy switched(&protocol, &UsbCommunicateUtil::usb_receive_report_calibration_switch);
        QSignalSpy live(&protocol, &UsbCommunicateUtil::usb_receive_report_calibration);
        rig->keyboard().addReplyFault({ReplyFault::Duplicate, 0, 0xD3, 1});
        protocol.usb_set_report_calibration(UsbCommunicateUtil::SourceAlignPage, true, true);
        QTRY_COMPARE(switched.size(), 1);
        QTest::qWait(250);
        QCOMPARE(switched.size(), 1);
        QVERIFY(errors.isEmpty());
        QCOMPARE(rig->written(0x53).size(), 1);

        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD3, 1});
        protocol.usb_set_report_calibration(UsbCommunicateUtil::SourceAlignPage, true, false);
        QTRY_COMPARE(rig->written(0x53).size(), 2);
        rig->push(0xD3, bytes({0, 9, 0x01, 0x00}));
        QTRY_COMPARE(live.size(), 1);
        // The dropped answer is asked for again and the resend is answered.
        QTRY_COMPARE(switched.size(), 2);
        QCOMPARE(rig->written(0x53).size(), 3);
        QCOMPARE(rig->written(0x53)[2], rig->report(0x53, bytes({0})));
        QVERIFY(errors.isEmpty());
    }

    // 105 values: 60 a frame at 128 bytes, 28 at 64.
    void rawValues_data() { frameSizeRows("frames", 2, 4); }

    void rawValues()
    {
        QFETCH(int, frameSize);
        QFETCH(int, frames);
        open(frameSize);
        UsbCommunicateUtil &protocol = rig->protocol();
        rig->state().calibration.adc.insert(100, 0xBEEF);
        for (int key = 0; key < 105; ++key)
            gKeyboardConfig->keyboardKeyMap.insert(uchar(key), QSharedPointer<KEYBOARD_KEY_INFO>::create());
        QSignalSpy values(&protocol, &UsbCommunicateUtil::usb_receive_get_calibration_adc);
        protocol.usb_get_calibration_adc(UsbCommunicateUtil::SourceAlignPage, true);
        QTRY_COMPARE(values.size(), 1);
        QCOMPARE(values[0][1].toInt(), frames);
        QCOMPARE(rig->written(0x5B).size(), frames);
        QCOMPARE(rig->written(0x5B).last(), rig->report(0x5B, QByteArray(), uchar(frames), uchar(frames)));
        const AdcMap map = values[0][3].value<AdcMap>();
        QCOMPARE(map.size(), 105);
        QCOMPARE(map.value(0), ushort(2000));
        QCOMPARE(map.value(100), ushort(0xBEEF));
        QCOMPARE(map.value(104), ushort(2104));

        // A model with another number of keys: the read is not handed on.
        gKeyboardConfig->keyboardKeyMap.remove(104);
        protocol.usb_get_calibration_adc(UsbCommunicateUtil::SourceAlignPage, true);
        QTRY_COMPARE(rig->written(0x5B).size(), 2 * frames);
        QTRY_COMPARE(protocol.calibrationAdcMap().size(), 105);
        QTest::qWait(30);
        QCOMPARE(values.size(), 1);
    }

    void rawValuesAreNotSentAgain()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        protocol.setReplyInterval(40);
        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xDB, 1});
        QSignalSpy errors(&protocol, &UsbCommunicateUtil::usb_communicate_error);
        protocol.usb_get_calibration_adc(UsbCommunicateUtil::SourceAlignPage, true);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0][1].value<uchar>(), uchar(0xDB));
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorNoReply));
        QCOMPARE(rig->written(0x5B).size(), 1);
    }

    void stateReadStartsEmpty()
    {
        open(128);
        UsbCommunicateUtil &protocol = rig->protocol();
        QSignalSpy states(&protocol, &UsbCommunicateUtil::usb_receive_get_calibration_state);
        protocol.usb_get_calibration_state(UsbCommunicateUtil::SourceAlignPage, true);
        QTRY_COMPARE(states.size(), 1);
        QCOMPARE(protocol.calibrationMap().size(), 105);
        rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD2, 1});
        protocol.usb_get_calibration_state(UsbCommunicateUtil::SourceAlignPage, false);
        QVERIFY(protocol.calibrationMap().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCalibrationCommands)
#include "tst_calibrationcommands.moc"
