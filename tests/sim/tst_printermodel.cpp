// The printer model alone: bytes in at a line speed, bytes out when due, with the clock driven by hand.
#include "printermodel.h"

#include <QTest>

using namespace Sim;

Q_DECLARE_METATYPE(Sim::Faults)
Q_DECLARE_METATYPE(Sim::PrinterConfig)

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
const QByteArray kParamsReply = bytes({0, 20, 70, 210, 115, 140});

// Feeds a command at a line speed and takes what is due at once.
QByteArray ask(PrinterModel& model, const QByteArray& command, int speed, bool hw = false) {
    model.receive(command, {speed, hw}, 0);
    return model.takeDue(0);
}

} // namespace

class TestPrinterModel : public QObject {
    Q_OBJECT
private slots:
    // Line speed 0 stands for the line speed of the printer's own configuration.
    void answers_data() {
        QTest::addColumn<PrinterConfig>("config");
        QTest::addColumn<int>("lineSpeed");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        const auto row = [](const char* name, PrinterConfig c, int line, QByteArray cmd, QByteArray reply) {
            QTest::newRow(name) << c << line << cmd << reply;
        };
        row("status, no paper", {}, 0, kStatus, bytes({0x04}));
        row("status, paper", {.paperPresent = true}, 0, kStatus, bytes({0x00}));
        row("identification", {}, 0, kIdent, "SIM-80 Receipt  ");
        row("config 9600 xon", {}, 0, kConfig, bytes({0x03}));
        row("config 57600 hw", {.speed = 57600, .hardwareFlow = true}, 0, kConfig, bytes({0x86}));
        row("config 28800", {.speed = 28800}, 0, kConfig, bytes({0x05}));
        row("config 38400", {.speed = 38400}, 0, kConfig, bytes({0x05}));
        row("config 115200 hw", {.speed = 115200, .hardwareFlow = true}, 0, kConfig, bytes({0x87}));
        row("extension fitted", {}, 0, bytes({0x1B, 'n', 'p'}), bytes({1}));
        row("extension absent", {.extensionFitted = false}, 0, bytes({0x1B, 'n', 'p'}), bytes({0}));
        row("near end", {.nearEnd = true}, 0, bytes({0x1B, 'n', 's'}), bytes({1}));
        row("enough paper", {}, 0, bytes({0x1B, 'n', 's'}), bytes({0}));
        row("opto parameters", {}, 0, kParams, kParamsReply);
        row("set mode: no answer", {}, 0, bytes({0x1B, 'o', 1}), {});
        row("store: no answer", {}, 0, bytes({0x1B, 's'}), {});
        row("NUL: no answer", {}, 0, bytes({0}), {});
        row("CAN: no answer", {}, 0, kCan, {});
        row("faster line: silent", {.speed = 38400}, 57600, kStatus + kConfig, {});
        row("slower line: silent", {.speed = 38400}, 4800, kStatus, {});
        row("28800 for 38400: silent", {.speed = 38400}, 28800, kStatus, {});
        row("port closed: silent", {.speed = 38400}, -1, kStatus, {});
        row("loader: CAN at 57600", {.loaderMode = true}, 57600, kCan, kCan);
        row("loader: CAN at 9600", {.loaderMode = true}, 9600, kCan, {});
        row("loader: status", {.loaderMode = true}, 57600, kStatus, {});
        row("loader: NUL then CAN", {.loaderMode = true}, 57600, bytes({0, 0x18}), kCan);
        row("loader: two CANs", {.loaderMode = true}, 57600, kCan + kCan, kCan + kCan);
        row("loader: GS B leaves it there", {.loaderMode = true}, 57600, bytes({0x1D, 'B', 0x03}) + kCan,
            kCan);
    }
    void answers() {
        QFETCH(PrinterConfig, config);
        QFETCH(int, lineSpeed);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        PrinterModel model(config);
        const int line = lineSpeed == 0 ? config.speed : std::max(lineSpeed, 0);
        QCOMPARE(ask(model, command, line, config.hardwareFlow).toHex(), reply.toHex());
        QVERIFY(!model.nextDueMs()); // nothing more on its way
        QCOMPARE(model.speed(), config.speed);
        for (const TranscriptEntry& e : model.transcript())
            QCOMPARE(e.lineSpeed, line);
        if (!config.loaderMode) QCOMPARE(model.transcript().back().heard, line == config.speed);
    }

    void speedSwitch_data() {
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
    // Up to 57600 with hardware flow, as the monitor does, and from there to the speed under test; the
    // rest of a chunk still travels at the old line speed and is not heard.
    void speedSwitch() {
        QFETCH(int, configured);
        QFETCH(int, argument);
        QFETCH(int, newSpeed);
        QFETCH(bool, hardware);
        PrinterModel model({.speed = configured});
        QCOMPARE(ask(model, bytes({0x1D, 'B', 0x86}), configured), QByteArray());
        QVERIFY(model.speed() == 57600 && model.hardwareFlow());
        QCOMPARE(ask(model, bytes({0x1D, 'B', argument}) + kStatus, 57600), QByteArray());
        QCOMPARE(model.speed(), newSpeed);
        QCOMPARE(model.hardwareFlow(), hardware);
        QCOMPARE(ask(model, kConfig, newSpeed), bytes({char(speedCode(newSpeed) | (hardware ? 0x80 : 0))}));
    }

    // Every way of cutting the stream in two, and byte by byte, gives the same commands and replies.
    void commandsSplitAcrossChunks() {
        const QList<QByteArray> commands{kStatus,    kConfig, kParams, bytes({0x1B, 'o', 0x1B}),
                                         kCalibrate, kIdent};
        const QByteArray stream = commands.join();
        const PrinterConfig config{.calibrationTimeMs = 0};
        PrinterModel whole(config);
        const QByteArray expected = ask(whole, stream, 9600);
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

    void bytesItDoesNotKnow_data() {
        QTest::addColumn<QByteArray>("unknown");
        QTest::newRow("stray letter") << QByteArray("x");
        QTest::newRow("ESC x") << bytes({0x1B, 'x'});
        QTest::newRow("ESC ESC v") << bytes({0x1B});
        QTest::newRow("GS O 05 06") << bytes({0x1D, 'O', 5, 6});
        QTest::newRow("GS S f with no FS") << bytes({0x1D, 'S', 'f'});
    }
    void bytesItDoesNotKnow() {
        QFETCH(QByteArray, unknown);
        PrinterModel model;
        QCOMPARE(ask(model, unknown + kStatus, 9600), bytes({0x04}));
        QCOMPARE(model.transcript().size(), 2);
        QCOMPARE(model.transcript()[0].bytes.toHex(), unknown.toHex());
        QVERIFY(!model.transcript()[0].known && model.transcript()[1].known);
    }

    void sensorModeIsStoredOnlyByStore() {
        PrinterModel model;
        ask(model, bytes({0x1B, 'o', 1}), 9600);
        QCOMPARE(ask(model, kParams, 9600).at(0), char(0));
        ask(model, bytes({0x1B, 's'}), 9600);
        QCOMPARE(ask(model, kParams, 9600).at(0), char(1));
        ask(model, bytes({0x1B, 'o', 0, 0x1B, 's'}), 9600);
        QCOMPARE(ask(model, kParams, 9600).at(0), char(0));
    }

    void calibrationEndsAfterItsTime_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("extension");
        QTest::addColumn<int>("endsAfterMs");
        QTest::newRow("printer opto") << kCalibrate << true << 2000;
        QTest::newRow("near-end opto") << bytes({0x1B, 'n', 'c'}) << true << 2000;
        QTest::newRow("near-end, no extension") << bytes({0x1B, 'n', 'c'}) << false << 0;
    }
    // A question asked meanwhile is answered after the end mark, not before it.
    void calibrationEndsAfterItsTime() {
        QFETCH(QByteArray, command);
        QFETCH(bool, extension);
        QFETCH(int, endsAfterMs);
        PrinterModel model({.extensionFitted = extension, .calibrationTimeMs = 2000});
        model.receive(command, {9600, false}, 100);
        model.receive(kStatus, {9600, false}, 110);
        if (endsAfterMs > 0) {
            QCOMPARE(model.takeDue(100 + endsAfterMs - 1), QByteArray());
            QCOMPARE(model.nextDueMs().value_or(-1), 100 + endsAfterMs);
        }
        QCOMPARE(model.takeDue(100 + std::max(endsAfterMs, 10)).size(), 2);
    }

    void faults_data() {
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<qint64>("dueMs");
        QTest::newRow("silent") << Faults{.silent = true} << kStatus << QByteArray() << qint64(0);
        QTest::newRow("extra bytes") << Faults{.extraBytes = "zz"} << kStatus << bytes({4, 'z', 'z'})
                                     << qint64(0);
        QTest::newRow("five of six") << Faults{.missingBytes = 1} << kParams << kParamsReply.left(5)
                                     << qint64(0);
        QTest::newRow("cut to nothing") << Faults{.missingBytes = 1} << kStatus << QByteArray() << qint64(0);
        QTest::newRow("late") << Faults{.delayMs = 5000} << kStatus << bytes({4}) << qint64(5000);
        QTest::newRow("only for another command")
            << Faults{.onlyFor = kParams, .extraBytes = "zz"} << kStatus << bytes({4}) << qint64(0);
        QTest::newRow("only for this command")
            << Faults{.onlyFor = kParams, .missingBytes = 3} << kParams << kParamsReply.left(3) << qint64(0);
    }
    void faults() {
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

    // Random replies keep their length; overrides stay exact whatever the faults.
    void silenceFromACommandOn() {
        PrinterModel model;
        model.setFaults({.silentFrom = kParams});
        model.setReplyOverride(kIdent, "ABC");
        QCOMPARE(ask(model, kStatus, 9600), bytes({4}));
        QCOMPARE(ask(model, kIdent, 9600), QByteArray("ABC"));
        QCOMPARE(ask(model, kParams + kStatus + kIdent, 9600), QByteArray());
        model.setFaults({.randomReply = true});
        QCOMPARE(ask(model, kParams, 9600).size(), 6);
        QCOMPARE(ask(model, kIdent, 9600), QByteArray("ABC"));
    }
};

QTEST_GUILESS_MAIN(TestPrinterModel)
#include "tst_printermodel.moc"
