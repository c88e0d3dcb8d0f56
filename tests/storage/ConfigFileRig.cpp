#include "tests/storage/ConfigFileRig.h"

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigFileDatabase.h"
#include "storage/ConfigWriteDatabase.h"
#include "storage/ImportConfigUtil.h"
#include "storage/SyncConfigUtil.h"
#include "tests/support/EventWait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {
HIGH_KEY_INFO highKey(uchar slot, uchar kind, uchar key, std::initializer_list<uchar> data)
{
    HIGH_KEY_INFO info;
    info.item = slot;
    info.attribute = kind;
    info.keyItem = key;
    size_t i = 0;
    for (uchar byte : data)
        info.data[i++] = byte;
    return info;
}

// How long an export or import is watched after its final result, for anything that comes after
// it. The configuration read that sets a test up is not watched: its own tests do that.
constexpr int WatchAfterResultMs = 200;

// Starts a worker whose result signal is `signal` and waits for its final result, then watchMs
// longer. The results are taken on the main thread, whichever thread emits them.
template<typename Worker, typename Signal, typename Start>
Results runWorker(Worker &worker, Signal signal, Start start, int watchMs, qint64 *elapsedMs = nullptr)
{
    Results results;
    bool done = false;
    QElapsedTimer clock;
    QObject receiver;
    QObject::connect(&worker, signal, &receiver, [&](bool status, int value) {
        results.append({status, value});
        if (!done && (!status || value == 100) && elapsedMs)
            *elapsedMs = clock.elapsed();
        done = done || !status || value == 100;
    });
    clock.start();
    start();
    (void)EventWait::until([&] { return done; }, 60000);
    if (watchMs > 0)
        QTest::qWait(watchMs);
    return results;
}



// Opens the database file under a connection of its own for the duration of fn.
template<typename Fn>
void withDatabase(const QString &file, Fn fn)
{
    static int serial = 0;
    const QString name = QStringLiteral("config_file_rig_%1").arg(serial++);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open())
            fn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
} // namespace

ConfigFileRig::ConfigFileRig()
{
    EmulatedHidBus::instance().reset();
    global_setUsbFrameSize(128);
    gSystemConfig.reset(new SystemConfigUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);
    gUsbCommunicateUtil.reset(new UsbCommunicateUtil);
    gUsbCommunicateUtil->setReplyInterval(Interval);
    mProtocol = gUsbCommunicateUtil.data();
}

ConfigFileRig::~ConfigFileRig()
{
    // A rig built while this one still lived owns the shared objects now: they stay as they are.
    if (gUsbCommunicateUtil.data() != mProtocol)
        return;
    gUsbCommunicateUtil->closeCommunicate();
    gUsbCommunicateUtil.reset();
    gKeyboardConfig.reset();
    gSystemConfig.reset();
    EmulatedHidBus::instance().reset();
}

std::shared_ptr<EmulatedKeyboard> ConfigFileRig::distinctiveKeyboard()
{
    auto keyboard = std::make_shared<EmulatedKeyboard>();
    EmulatedKeyboardState &state = keyboard->state();
    state.identity.serialNumber = Serial;
    state.identity.version = 0x8105;
    state.params = KEYBOARD_PARAMS{0xFF, true, 95, 34, 3, 2, false, true, 1};
    state.profiles[2].name = QStringLiteral("MOBA");
    state.currentProfile = 2;
    EmulatedProfile &profile = state.profile();
    profile.customLight[10] = KEYBOARD_CUSTOM_LIGHT{10, 4, 0xC8, 0x10, 0xFF};
    profile.effects[3] = KEYBOARD_EFFECT_LIGHT{3, 0x0B, 1, 3, 1, 0x20, 0x40, 0x60};
    profile.normalLayer[10] = KEYBOARD_KEY_INFO{10, 3, 0, 2};
    profile.fnLayer[6] = KEYBOARD_KEY_INFO{6, 0xFF, 0xFF, 0xFF};
    QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(profile);
    table[0] = highKey(0, 0, 30, {1, 0x04, 0x07});
    // Hold time 0x0102 ms; tap key 1/0x07/0x05 (type, hValue, lValue); hold key 0/0x02/0 (type, lValue, hValue).
    table[1] = highKey(1, 1, 31, {0xFF, 0x02, 0x01, 1, 0x07, 0x05, 0, 0x02, 0});
    table[2] = highKey(2, 2, 32, {1, 1, 0x04, 0, 2, 1, 0x05, 0, 4, 1, 0x06, 0, 8, 1, 0x07, 0});
    table[3] = highKey(3, 3, 33, {34});
    // slot 4 stays free
    table[5] = highKey(5, 4, 35, {36});
    table[6] = highKey(6, 5, 37, {38, 2});
    state.macros[0] = {KEYBOARD_MACRO_INFO{1, 1, 0x04, 0, 20}, KEYBOARD_MACRO_INFO{1, 0, 0x04, 0, 300}};
    state.macros[2] = {KEYBOARD_MACRO_INFO{2, 1, 0xE9, 0x00, 5}};
    for (int i = 0; i < 20; ++i)
        state.macros[9].append(KEYBOARD_MACRO_INFO{1, uchar(i & 1 ? 0 : 1), uchar(0x04 + i / 2), 0, quint16(10 * i)});
    profile.triggers[10] = KEYBOARD_TRIGGER_INFO{10, 0x0123, true, false, 0x0045, 0xFFFF};
    profile.triggers[11] = KEYBOARD_TRIGGER_INFO{11, 200, true, true, 15, 25};
    return keyboard;
}

std::shared_ptr<EmulatedKeyboard> ConfigFileRig::plainKeyboard()
{
    auto keyboard = std::make_shared<EmulatedKeyboard>();
    keyboard->state().identity.serialNumber = Serial;
    keyboard->state().identity.version = 0x8105;
    keyboard->state().currentProfile = 1;
    // The reserved byte of the board parameters is the keyboard's own: no write changes it.
    keyboard->state().params.reserve = 0xFF;
    return keyboard;
}

bool ConfigFileRig::connectAndRead(const std::shared_ptr<EmulatedKeyboard> &keyboard)
{
    gUsbCommunicateUtil->closeCommunicate();
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    bus.reset();
    bus.attachKeyboard(keyboard, {128});
    gUsbCommunicateUtil->openCommunicate(0);
    gUsbCommunicateUtil->communicateDevice();
    SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
    const Results results = runWorker(read, &SyncConfigUtil::sync_config_result, [&] { read.startSync(); }, 0);
    return !results.isEmpty() && results.last() == qMakePair(true, 100);
}

Results ConfigFileRig::runExport(const QString &target, const std::function<void()> &beforeStart)
{
    ConfigWriteDatabase worker(target);
    if (beforeStart)
        beforeStart();
    return runWorker(worker, &ConfigWriteDatabase::config_write_result, [&] { worker.start(); }, WatchAfterResultMs);
}

Results ConfigFileRig::runImport(const QString &file, bool *keyboardWritten, qint64 *elapsedMs)
{
    ImportConfigUtil worker(file);
    const Results results =
        runWorker(worker, &ImportConfigUtil::import_config_result, [&] { worker.start(); }, WatchAfterResultMs,
                  elapsedMs);
    if (keyboardWritten)
        *keyboardWritten = worker.isKeyboardWritten();
    return results;
}

QString ConfigFileRig::path(const QString &name) const
{
    return mDir.filePath(name);
}

QMap<QString, QStringList> ConfigFileRig::dump(const QString &file)
{
    QMap<QString, QStringList> tables;
    const QString plain = file + QStringLiteral(".plain");
    if (!TestFiles::write(plain, ConfigFileDatabase::decrypt(TestFiles::read(file))))
        return tables;
    withDatabase(plain, [&](QSqlDatabase &db) {
        for (const QString &table : db.tables()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT * FROM ") + table);
            QStringList names;
            for (int i = 0; i < query.record().count(); ++i)
                names << query.record().fieldName(i);
            QStringList lines{names.join(QLatin1Char('|'))};
            while (query.next()) {
                QStringList values;
                for (int i = 0; i < names.size(); ++i) {
                    const QVariant v = query.value(i);
                    values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
                }
                lines << values.join(QLatin1Char('|'));
            }
            tables.insert(table, lines);
        }
    });
    QFile::remove(plain);
    return tables;
}

bool ConfigFileRig::rewrite(const QString &from, const QString &to, const QStringList &statements)
{
    const QString plain = to + QStringLiteral(".plain");
    if (!TestFiles::write(plain, ConfigFileDatabase::decrypt(TestFiles::read(from))))
        return false;
    bool ok = true;
    withDatabase(plain, [&](QSqlDatabase &db) {
        for (const QString &statement : statements)
            ok = QSqlQuery(db).exec(statement) && ok;
    });
    const QByteArray bytes = TestFiles::read(plain);
    QFile::remove(plain);
    return ok && TestFiles::write(to, ConfigFileDatabase::encrypt(bytes));
}
