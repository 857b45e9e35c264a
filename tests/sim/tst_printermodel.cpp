// The printer model alone: bytes in at a line speed, bytes out when due, with the clock driven by hand.
#include "printermodel.h"

#include <QSet>
#include <QTest>

using namespace Sim;

Q_DECLARE_METATYPE(Sim::Faults)

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

const QByteArray kStatus = bytes({0x1B, 'v'});
const QByteArray kIdent = bytes({0x1B, 'I'});
const QByteArray kConfig = bytes({0x1D, 'S', 'f', 0x1C});
const QByteArray kParams = bytes({0x1B, 'O'});
const QByteArray kCalibrate = bytes({0x1D, 'O', 5, 5});
const QByteArray kCan = bytes({0x18});

// Feeds a command at a line speed and takes what is due at once.
QByteArray ask(PrinterModel& model, const QByteArray& command, int speed, qint64 nowMs = 0, bool hw = false) {
    model.receive(command, {speed, hw}, nowMs);
    return model.takeDue(nowMs);
}

} // namespace

class TestPrinterModel : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void silentAtAnotherSpeed_data();
    void silentAtAnotherSpeed();
    void speedSwitch_data();
    void speedSwitch();
    void loaderMode_data();
    void loaderMode();
    void commandsSplitAcrossChunks();
    void bytesItDoesNotKnow_data();
    void bytesItDoesNotKnow();
    void sensorModeIsStoredOnlyByStore();
    void calibrationEndsAfterItsTime_data();
    void calibrationEndsAfterItsTime();
    void optoLevelShowsMarksPassing();
    void nearEndLevelFollowsTheRoll();
    void faults_data();
    void faults();
    void silenceFromACommandOn();
};

void TestPrinterModel::answers_data() {
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("hardware");
    QTest::addColumn<bool>("paper");
    QTest::addColumn<bool>("extension");
    QTest::addColumn<bool>("nearEnd");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("status, no paper") << 9600 << false << false << true << false << kStatus << bytes({0x04});
    QTest::newRow("status, paper") << 9600 << false << true << true << false << kStatus << bytes({0x00});
    QTest::newRow("identification") << 9600 << false << false << true << false << kIdent
                                    << QByteArray("SIM-80 Receipt  ");
    QTest::newRow("config 9600 xon") << 9600 << false << false << true << false << kConfig << bytes({0x03});
    QTest::newRow("config 57600 hw") << 57600 << true << false << true << false << kConfig << bytes({0x86});
    QTest::newRow("config 28800") << 28800 << false << false << true << false << kConfig << bytes({0x05});
    QTest::newRow("config 38400") << 38400 << false << false << true << false << kConfig << bytes({0x05});
    QTest::newRow("config 115200 hw") << 115200 << true << false << true << false << kConfig << bytes({0x87});
    QTest::newRow("extension fitted")
        << 9600 << false << false << true << false << bytes({0x1B, 'n', 'p'}) << bytes({1});
    QTest::newRow("extension absent")
        << 9600 << false << false << false << false << bytes({0x1B, 'n', 'p'}) << bytes({0});
    QTest::newRow("near end") << 9600 << false << false << true << true << bytes({0x1B, 'n', 's'})
                              << bytes({1});
    QTest::newRow("enough paper") << 9600 << false << false << true << false << bytes({0x1B, 'n', 's'})
                                  << bytes({0});
    QTest::newRow("opto parameters") << 9600 << false << false << true << false << kParams
                                     << bytes({0, 20, 70, 210, 115, 140});
    QTest::newRow("set mode: no answer")
        << 9600 << false << false << true << false << bytes({0x1B, 'o', 1}) << QByteArray();
    QTest::newRow("store: no answer")
        << 9600 << false << false << true << false << bytes({0x1B, 's'}) << QByteArray();
    QTest::newRow("NUL: no answer") << 9600 << false << false << true << false << bytes({0}) << QByteArray();
    QTest::newRow("CAN: no answer") << 9600 << false << false << true << false << kCan << QByteArray();
}

void TestPrinterModel::answers() {
    QFETCH(int, speed);
    QFETCH(bool, hardware);
    QFETCH(bool, paper);
    QFETCH(bool, extension);
    QFETCH(bool, nearEnd);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    PrinterModel model({.speed = speed,
                        .hardwareFlow = hardware,
                        .extensionFitted = extension,
                        .paperPresent = paper,
                        .nearEnd = nearEnd});
    QCOMPARE(ask(model, command, speed, 0, hardware).toHex(), reply.toHex());
    QVERIFY(!model.nextDueMs()); // nothing more on its way
}

void TestPrinterModel::silentAtAnotherSpeed_data() {
    QTest::addColumn<int>("lineSpeed");
    QTest::newRow("faster") << 19200;
    QTest::newRow("slower") << 4800;
    QTest::newRow("28800 for 38400") << 28800;
    QTest::newRow("port closed") << 0;
}

void TestPrinterModel::silentAtAnotherSpeed() {
    QFETCH(int, lineSpeed);
    PrinterModel model({.speed = 38400});
    QCOMPARE(ask(model, kStatus + kConfig + bytes({0x1D, 'B', 0x86}), lineSpeed), QByteArray());
    QVERIFY(!model.nextDueMs());
    QCOMPARE(model.speed(), 38400); // the GS B was not heard either
    QCOMPARE(model.transcript().size(), 3);
    for (const TranscriptEntry& e : model.transcript()) {
        QVERIFY(!e.heard);
        QCOMPARE(e.lineSpeed, lineSpeed);
    }
}

void TestPrinterModel::speedSwitch_data() {
    QTest::addColumn<int>("configured");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("newSpeed");
    QTest::addColumn<bool>("hardware");
    QTest::newRow("back to 9600 xon") << 9600 << 0x03 << 9600 << false;
    QTest::newRow("code 5, set up at 28800") << 28800 << 0x05 << 28800 << false;
    QTest::newRow("code 5, set up at 9600") << 9600 << 0x85 << 38400 << true;
    QTest::newRow("code 5, set up at 38400") << 38400 << 0x05 << 38400 << false;
    QTest::newRow("to 115200") << 1200 << 0x07 << 115200 << false;
    QTest::newRow("unused bits ignored") << 9600 << 0x78 << 1200 << false;
}

void TestPrinterModel::speedSwitch() {
    QFETCH(int, configured);
    QFETCH(int, argument);
    QFETCH(int, newSpeed);
    QFETCH(bool, hardware);
    PrinterModel model({.speed = configured});
    // Up to 57600 with hardware flow, as the monitor does, and from there to the speed under test.
    QCOMPARE(ask(model, bytes({0x1D, 'B', 0x86}), configured), QByteArray());
    QCOMPARE(model.speed(), 57600);
    QVERIFY(model.hardwareFlow());
    // The rest of the chunk still travels at the old line speed: the switched printer does not hear it.
    QCOMPARE(ask(model, bytes({0x1D, 'B', argument}) + kStatus, 57600), QByteArray());
    QCOMPARE(model.speed(), newSpeed);
    QCOMPARE(model.hardwareFlow(), hardware);
    QCOMPARE(ask(model, kStatus, newSpeed), bytes({0x04}));
    QCOMPARE(ask(model, kConfig, newSpeed), bytes({char(speedCode(newSpeed) | (hardware ? 0x80 : 0))}));
}

void TestPrinterModel::loaderMode_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("lineSpeed");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("CAN at 57600") << kCan << 57600 << kCan;
    QTest::newRow("CAN at 9600") << kCan << 9600 << QByteArray();
    QTest::newRow("status at 57600") << kStatus << 57600 << QByteArray();
    QTest::newRow("identification") << kIdent << 57600 << QByteArray();
    QTest::newRow("NUL then CAN") << bytes({0, 0x18}) << 57600 << kCan;
    QTest::newRow("two CANs") << kCan + kCan << 57600 << kCan + kCan;
}

void TestPrinterModel::loaderMode() {
    QFETCH(QByteArray, command);
    QFETCH(int, lineSpeed);
    QFETCH(QByteArray, reply);
    PrinterModel model({.speed = 9600, .loaderMode = true});
    QCOMPARE(ask(model, command, lineSpeed).toHex(), reply.toHex());
    ask(model, bytes({0x1D, 'B', 0x03}), 57600);
    QCOMPARE(ask(model, kCan, 57600), kCan); // a GS B does not take it out of the loader
}

void TestPrinterModel::commandsSplitAcrossChunks() {
    const QList<QByteArray> commands{kStatus, kConfig, kParams, bytes({0x1B, 'o', 0x1B}), kCalibrate, kIdent};
    const QByteArray stream = commands.join();
    PrinterConfig config;
    config.calibrationTimeMs = 0;
    PrinterModel whole(config);
    const QByteArray expected = ask(whole, stream, 9600);
    // Every way of cutting the stream in two, and byte by byte.
    for (int cut = 1; cut < stream.size(); ++cut) {
        PrinterModel model(config);
        QByteArray got = ask(model, stream.left(cut), 9600);
        got += ask(model, stream.mid(cut), 9600);
        QVERIFY2(got == expected, qPrintable(QString("cut at %1: %2").arg(cut).arg(got.toHex())));
    }
    PrinterModel model(config);
    QByteArray got;
    for (char byte : stream)
        got += ask(model, QByteArray(1, byte), 9600);
    QCOMPARE(got.toHex(), expected.toHex());
    QCOMPARE(model.transcript().size(), commands.size());
    for (int i = 0; i < commands.size(); ++i)
        QCOMPARE(model.transcript()[i].bytes.toHex(), commands[i].toHex());
}

void TestPrinterModel::bytesItDoesNotKnow_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::newRow("stray letter") << QByteArray("x") + kStatus << QList<QByteArray>{"x", kStatus};
    QTest::newRow("ESC x") << bytes({0x1B, 'x'}) + kStatus << QList<QByteArray>{bytes({0x1B, 'x'}), kStatus};
    QTest::newRow("ESC ESC v") << bytes({0x1B}) + kStatus << QList<QByteArray>{bytes({0x1B}), kStatus};
    QTest::newRow("GS O 05 06") << bytes({0x1D, 'O', 5, 6}) + kStatus
                                << QList<QByteArray>{bytes({0x1D, 'O', 5, 6}), kStatus};
    QTest::newRow("GS S f with no FS")
        << bytes({0x1D, 'S', 'f'}) + kStatus << QList<QByteArray>{bytes({0x1D, 'S', 'f'}), kStatus};
}

void TestPrinterModel::bytesItDoesNotKnow() {
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, entries);
    PrinterModel model;
    QCOMPARE(ask(model, stream, 9600), bytes({0x04}));
    QCOMPARE(model.transcript().size(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(model.transcript()[i].bytes.toHex(), entries[i].toHex());
        QCOMPARE(model.transcript()[i].known, i == entries.size() - 1);
    }
}

void TestPrinterModel::sensorModeIsStoredOnlyByStore() {
    PrinterModel model;
    ask(model, bytes({0x1B, 'o', 1}), 9600);
    QCOMPARE(ask(model, kParams, 9600).at(0), char(0));
    ask(model, bytes({0x1B, 's'}), 9600);
    QCOMPARE(ask(model, kParams, 9600).at(0), char(1));
    ask(model, bytes({0x1B, 'o', 0, 0x1B, 's'}), 9600);
    QCOMPARE(ask(model, kParams, 9600).at(0), char(0));
}

void TestPrinterModel::calibrationEndsAfterItsTime_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("extension");
    QTest::addColumn<int>("endsAfterMs");
    QTest::newRow("printer opto") << kCalibrate << true << 2000;
    QTest::newRow("near-end opto") << bytes({0x1B, 'n', 'c'}) << true << 2000;
    QTest::newRow("near-end, no extension") << bytes({0x1B, 'n', 'c'}) << false << 0;
}

void TestPrinterModel::calibrationEndsAfterItsTime() {
    QFETCH(QByteArray, command);
    QFETCH(bool, extension);
    QFETCH(int, endsAfterMs);
    PrinterModel model({.extensionFitted = extension, .calibrationTimeMs = 2000});
    const qint64 start = 100;
    model.receive(command, {9600, false}, start);
    // A question asked meanwhile is answered after the end mark, not before it.
    model.receive(kStatus, {9600, false}, start + 10);
    if (endsAfterMs > 0) {
        QCOMPARE(model.takeDue(start + endsAfterMs - 1), QByteArray());
        QCOMPARE(model.nextDueMs().value_or(-1), start + endsAfterMs);
    }
    QCOMPARE(model.takeDue(start + std::max(endsAfterMs, 10)).size(), 2);
    QVERIFY(!model.nextDueMs());
}

void TestPrinterModel::optoLevelShowsMarksPassing() {
    PrinterModel model({.paperPresent = true, .optoParams = {0, 20, 70, 210, 115, 140}});
    int nearPaper = 0, nearMark = 0;
    for (qint64 t = 0; t < 2000; t += 5) {
        const int level = model.optoLevel(t);
        QVERIFY2(level >= 70 - 3 && level <= 210 + 3, qPrintable(QString::number(level)));
        nearPaper += level >= 200;
        nearMark += level <= 80;
    }
    QVERIFY(nearPaper > 300); // paper most of the time
    QVERIFY(nearMark > 20);   // and a mark every second
    model.setPaperPresent(false);
    for (qint64 t = 0; t < 1000; t += 50)
        QVERIFY(qAbs(model.optoLevel(t) - 20) <= 3); // nothing in front: the black level
}

void TestPrinterModel::nearEndLevelFollowsTheRoll() {
    PrinterModel model;
    int enough = 0, nearEnd = 255;
    QSet<int> seen;
    for (qint64 t = 0; t < 2000; t += 50) {
        const int level = model.nearEndLevel(t);
        enough = std::max(enough, level);
        seen.insert(level);
    }
    model.setNearEnd(true);
    for (qint64 t = 0; t < 2000; t += 50)
        nearEnd = std::min<int>(nearEnd, model.nearEndLevel(t));
    QVERIFY(seen.size() > 3); // it moves
    QVERIFY(nearEnd < enough - 100);
}

void TestPrinterModel::faults_data() {
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("dueMs");
    const QByteArray params = bytes({0, 20, 70, 210, 115, 140});
    QTest::newRow("silent") << Faults{.silent = true} << kStatus << QByteArray() << qint64(0);
    QTest::newRow("extra bytes") << Faults{.extraBytes = "zz"} << kStatus << bytes({4, 'z', 'z'})
                                 << qint64(0);
    QTest::newRow("five of six") << Faults{.missingBytes = 1} << kParams << params.left(5) << qint64(0);
    QTest::newRow("cut to nothing") << Faults{.missingBytes = 1} << kStatus << QByteArray() << qint64(0);
    QTest::newRow("late") << Faults{.delayMs = 5000} << kStatus << bytes({4}) << qint64(5000);
    QTest::newRow("only for another command")
        << Faults{.onlyFor = kParams, .extraBytes = "zz"} << kStatus << bytes({4}) << qint64(0);
    QTest::newRow("only for this command")
        << Faults{.onlyFor = kParams, .missingBytes = 3} << kParams << params.left(3) << qint64(0);
}

void TestPrinterModel::faults() {
    QFETCH(Faults, faults);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(qint64, dueMs);
    PrinterModel model;
    model.setFaults(faults);
    model.receive(command, {9600, false}, 0);
    if (dueMs > 0) QCOMPARE(model.takeDue(dueMs - 1), QByteArray());
    QCOMPARE(model.takeDue(dueMs).toHex(), reply.toHex());
}

void TestPrinterModel::silenceFromACommandOn() {
    PrinterModel model;
    model.setFaults({.silentFrom = kParams});
    model.setReplyOverride(kIdent, "ABC");
    QCOMPARE(ask(model, kStatus, 9600), bytes({4}));
    QCOMPARE(ask(model, kIdent, 9600), QByteArray("ABC"));
    QCOMPARE(ask(model, kParams + kStatus + kIdent, 9600), QByteArray());

    // Random replies keep their length; overrides stay exact whatever the faults.
    model.setFaults({.randomReply = true});
    QCOMPARE(ask(model, kParams, 9600).size(), 6);
    QCOMPARE(ask(model, kIdent, 9600), QByteArray("ABC"));
}

QTEST_GUILESS_MAIN(TestPrinterModel)
#include "tst_printermodel.moc"
