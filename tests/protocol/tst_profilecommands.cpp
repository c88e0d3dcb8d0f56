#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedKeyLayerCommands.h"
#include "emulator/EmulatedProfileCommands.h"

#include <QtTest>

namespace {
constexpr uchar MainWindow = UsbCommunicateUtil::SourceMainWindow;
constexpr uchar SyncConfig = UsbCommunicateUtil::SourceSyncConfig;
using Profiles = EmulatedProfileCommands;

bool readProfiles(LinkedKeyboard &link)
{
    const bool done = runToLastFrame(link, &UsbCommunicateUtil::usb_receive_config_info,
                                     [&] { link.protocol().usb_get_config_info(SyncConfig, true); });
    link.protocol().syncConfigInfo();
    return done;
}

// The model's profiles as (number, name).
QList<QPair<int, QString>> modelProfiles()
{
    QList<QPair<int, QString>> profiles;
    for (const auto &info : std::as_const(gKeyboardConfig->keyboardConfigList))
        profiles.append({info->index, info->configName});
    return profiles;
}

void nameProfiles(LinkedKeyboard &link, const QStringList &names)
{
    for (int i = 0; i < names.size(); ++i)
        link.state().profiles[i].name = names[i];
}

QList<QVariant> arguments(const QList<QVariant> &values)
{
    return values;
}
} // namespace

// Profiles listed, switched, added, deleted and renamed, and the keyboard's own notices.
class TestProfileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frameSizes_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("frames"); // of four profiles
        QTest::newRow("128: four names a frame") << 128 << 1;
        QTest::newRow("64: one name a frame") << 64 << 4;
    }

    void profileListRead_data() { frameSizes_data(); }
    void profileListRead()
    {
        QFETCH(int, frameSize);
        QFETCH(int, frames);
        LinkedKeyboard link(frameSize);
        link.state().currentProfile = 2;
        nameProfiles(link, {"Game", "Work", "FPS", QStringLiteral("Ünïcode")});
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_config_info);
        QVERIFY(readProfiles(link));
        QCOMPARE(spy.size(), frames); // once per frame
        QCOMPARE(link.requests(Profiles::GetProfiles).size(), frames);
        QCOMPARE(modelProfiles(), (QList<QPair<int, QString>>{
                                      {0, "Game"}, {1, "Work"}, {2, "FPS"}, {3, QStringLiteral("Ünïcode")}}));
        QCOMPARE(gKeyboardConfig->currentConfigIndex, uchar(2));
        QVERIFY(link.protocol().configList().isEmpty()); // handed over to the model
    }

    void emptySlotsTakeNoNumber_data() { frameSizes_data(); }
    void emptySlotsTakeNoNumber()
    {
        QFETCH(int, frameSize);
        LinkedKeyboard link(frameSize);
        nameProfiles(link, {"A", "", "B", ""});
        QVERIFY(readProfiles(link));
        QCOMPARE(modelProfiles(), (QList<QPair<int, QString>>{{0, "A"}, {1, "B"}}));
    }

    void longNamesKeepWholeCharacters()
    {
        LinkedKeyboard link(128);
        // Ten three-byte characters in a 29-byte field: the tenth is cut by the keyboard.
        nameProfiles(link, {QStringLiteral("中文配置名称很长的一个"), QString(29, QLatin1Char('x'))});
        QVERIFY(readProfiles(link));
        QCOMPARE(modelProfiles().value(0).second, QStringLiteral("中文配置名称很长的"));
        QCOMPARE(modelProfiles().value(1).second, QString(29, QLatin1Char('x')));
    }

    void renameSendsWholeCharacters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("ASCII of 30 bytes") << QString(30, QLatin1Char('n')) << QByteArray(28, 'n');
        QTest::newRow("two-byte characters end at 28") << QString(15, QChar(0xE9)) << QString(14, QChar(0xE9)).toUtf8();
        QTest::newRow("three-byte characters") << QStringLiteral("配置配置配置配置配置") << QStringLiteral("配置配置配置配置配").toUtf8();
        QTest::newRow("a four-byte character at the cut")
            << QString(25, QLatin1Char('a')) + QStringLiteral("😀") << QByteArray(25, 'a');
    }

    void renameSendsWholeCharacters()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, sent);
        LinkedKeyboard link(64);
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_config_info);
        link.protocol().usb_set_config_info(MainWindow, false, 0, name);
        QTRY_COMPARE(spy.size(), 1);
        QByteArray payload(30, '\0');
        payload.replace(1, sent.size(), sent);
        QCOMPARE(link.requests(Profiles::RenameProfile).value(0).payload, payload);
        QCOMPARE(link.profile().name, QString::fromUtf8(sent));
    }

    void switchAddAndDelete()
    {
        LinkedKeyboard link(128);
        QSignalSpy switched(&link.protocol(), &UsbCommunicateUtil::usb_receive_switch_config_table);
        QSignalSpy added(&link.protocol(), &UsbCommunicateUtil::usb_receive_add_config_table);
        QSignalSpy deleted(&link.protocol(), &UsbCommunicateUtil::usb_receive_del_config_table);
        link.protocol().usb_switch_config_table(MainWindow, true, 3);
        QTRY_COMPARE(switched.size(), 1);
        QCOMPARE(switched[0], arguments({QVariant::fromValue(MainWindow), 1, 1}));
        QCOMPARE(link.requests(Profiles::SwitchProfile).value(0).payload, QByteArray("\x03", 1));
        QCOMPARE(link.state().currentProfile, 3);

        link.protocol().usb_add_config_table(MainWindow, false, 1);
        QTRY_COMPARE(added.size(), 1);
        QCOMPARE(link.requests(Profiles::AddProfile).value(0).payload, QByteArray("\x01", 1));
        link.protocol().usb_del_config_table(MainWindow, false, 0);
        QTRY_COMPARE(deleted.size(), 1);
        QCOMPARE(link.requests(Profiles::DeleteProfile).value(0).payload, QByteArray("\x00", 1));

        QVERIFY(readProfiles(link));
        QCOMPARE(modelProfiles(), (QList<QPair<int, QString>>{
                                      {0, "Profile 2"}, {1, "Profile 3"}, {2, "Profile 4"}, {3, "Profile 5"}}));
        QCOMPARE(gKeyboardConfig->currentConfigIndex, uchar(2)); // still the profile switched to
    }

    void notices()
    {
        LinkedKeyboard link(64);
        QSignalSpy changes(&link.protocol(), &UsbCommunicateUtil::usb_receive_config_change);
        QSignalSpy wireless(&link.protocol(), &UsbCommunicateUtil::usb_receive_connect_wireless_device);
        Profiles::sendNotice(link.path(), 64, QByteArray("\x00\x00\x01", 3));
        Profiles::sendNotice(link.path(), 64, QByteArray("\x03\x01", 2));
        Profiles::sendNotice(link.path(), 64, QByteArray("\x01\x00\x00", 3));
        Profiles::sendNotice(link.path(), 64, QByteArray("\x03\x00", 2));
        QTRY_COMPARE(wireless.size(), 2);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0], arguments({QVariant::fromValue(MainWindow), QVariant::fromValue(uchar(0)),
                                        QVariant::fromValue(uchar(1))}));
        QCOMPARE(wireless[0][0].value<uchar>(), uchar(1));
        QCOMPARE(wireless[1][0].value<uchar>(), uchar(0));
    }

    void aNoticeInTheMiddleOfARequest()
    {
        LinkedKeyboard link(128);
        QSignalSpy changes(&link.protocol(), &UsbCommunicateUtil::usb_receive_config_change);
        QSignalSpy layer(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        // The user switches profile on the keyboard while the host reads a layer: the notice
        // comes in between the first reply and the second.
        QObject::connect(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config, &link.protocol(),
                         [&link](uchar, int current, int) {
                             if (current == 1)
                                 Profiles::switchOnKeyboard(link.keyboard(), link.path(), 128, 3);
                         });
        // Every layer reply is late, so the notice also comes while a reply is awaited.
        link.keyboard().addReplyFault({ReplyFault::Delay, 150, 0xAA, 3});
        link.protocol().usb_get_keyboard_config(SyncConfig, true, 0);
        QTRY_VERIFY(lastFrameArrived(layer));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0][2].value<uchar>(), uchar(3));
        QCOMPARE(layer.size(), 3);
        QCOMPARE(errors.size(), 0);
        // No frame was asked for twice: the notice neither stopped nor restarted the reply timer.
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig).size(), 3);
        link.protocol().syncKeyboardConfig(0);
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.state().profiles[0].normalLayer), QString());

        // The main window then reads the profiles and sees the one the keyboard switched to.
        QVERIFY(readProfiles(link));
        QCOMPARE(gKeyboardConfig->currentConfigIndex, uchar(3));
    }

    void aNoticeWhileAReplyIsAwaitedLeavesTheTimerRunning()
    {
        LinkedKeyboard link(64);
        link.protocol().setReplyInterval(150);
        EmulatedHidFaults faults;
        faults.silent = true;
        link.setFaults(faults);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        link.protocol().usb_get_config_info(SyncConfig, true);
        Profiles::sendNotice(link.path(), 64, QByteArray("\x00\x00\x02", 3));
        // Three sends, then the error for the profile read: the notice did not count as its reply.
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0], arguments({QVariant::fromValue(SyncConfig), QVariant::fromValue(uchar(0xD7)),
                                       int(UsbCommunicateUtil::ErrorNoReply)}));
        QCOMPARE(EmulatedHidBus::instance().writeCount(link.path()), 3);
    }
};

QTEST_GUILESS_MAIN(TestProfileCommands)
#include "tst_profilecommands.moc"
