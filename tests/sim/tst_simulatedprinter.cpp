// The simulated printer's model alone: bytes in at a line speed and bytes out when due, with the clock
// driven by hand. That it hears the line speed and flow control off a real pseudo-terminal, 28800 and a
// switch by GS B included, the detector's and veltaro-cli's tests prove: they find it at its speed only.
#include "simulatedprinter.h"

#include <QTest>

using namespace Sim;

Q_DECLARE_METATYPE(Sim::Faults)
Q_DECLARE_METATYPE(Sim::PrinterConfig)

namespace {

QByteArray hex(const char* bytes) {
    return QByteArray::fromHex(bytes);
}

const QByteArray kStatus = hex("1b76"), kIdent = hex("1b49"), kConfig = hex("1d53661c"),
                 kParams = hex("1b4f"), kCalibrate = hex("1d4f0505"), kCan = hex("18"),
                 kParamsReply = hex("001446d2738c");

// Feeds a command at a line speed and takes what is due at once.
QByteArray ask(PrinterModel& model, const QByteArray& command, int speed, bool hw = false) {
    model.receive(command, {speed, hw}, 0);
    return model.takeDue(0);
}

} // namespace

class TestSimulatedPrinter : public QObject {
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
        row("status, no paper", {}, 0, kStatus, hex("04"));
        row("status, paper", {.paperPresent = true}, 0, kStatus, hex("00"));
        row("identification", {}, 0, kIdent, "SIM-80 Receipt  ");
        row("config 9600 xon", {}, 0, kConfig, hex("03"));
        row("config 57600 hw", {.speed = 57600, .hardwareFlow = true}, 0, kConfig, hex("86"));
        row("config 28800", {.speed = 28800}, 0, kConfig, hex("05"));
        row("config 38400", {.speed = 38400}, 0, kConfig, hex("05"));
        row("config 115200 hw", {.speed = 115200, .hardwareFlow = true}, 0, kConfig, hex("87"));
        row("extension fitted", {}, 0, hex("1b6e70"), hex("01"));
        row("extension absent", {.extensionFitted = false}, 0, hex("1b6e70"), hex("00"));
        row("near end", {.nearEnd = true}, 0, hex("1b6e73"), hex("01"));
        row("enough paper", {}, 0, hex("1b6e73"), hex("00"));
        row("opto parameters", {}, 0, kParams, kParamsReply);
        row("near-end calibration, no extension: at once", {.extensionFitted = false}, 0, hex("1b6e63"),
            hex("00"));
        row("set mode: no answer", {}, 0, hex("1b6f01"), {});
        row("NUL: no answer", {}, 0, hex("00"), {});
        row("faster line: silent", {.speed = 38400}, 57600, kStatus + kConfig, {});
        row("28800 for 38400: silent", {.speed = 38400}, 28800, kStatus, {});
        row("port closed: silent", {.speed = 38400}, -1, kStatus, {});
        row("loader: CAN at 57600", {.loaderMode = true}, 57600, kCan, kCan);
        row("loader: CAN at 9600", {.loaderMode = true}, 9600, kCan, {});
        row("loader: status", {.loaderMode = true}, 57600, kStatus, {});
        row("loader: NUL then CAN", {.loaderMode = true}, 57600, hex("0018"), kCan);
        row("loader: two CANs", {.loaderMode = true}, 57600, kCan + kCan, kCan + kCan);
        row("loader: GS B leaves it there", {.loaderMode = true}, 57600, hex("1d420318"), kCan);
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
        if (!config.loaderMode) QCOMPARE(model.transcript().back().heard, line == config.speed);
    }

    void speedSwitch_data() {
        QTest::addColumn<int>("configured");
        QTest::addColumn<int>("argument");
        QTest::addColumn<int>("newSpeed");
        QTest::addColumn<bool>("hardware");
        QTest::newRow("57600 with hardware flow") << 9600 << 0x86 << 57600 << true;
        QTest::newRow("code 5, set up at 28800") << 28800 << 0x05 << 28800 << false;
        QTest::newRow("code 5, set up at 9600") << 9600 << 0x85 << 38400 << true;
        QTest::newRow("unused bits ignored") << 9600 << 0x78 << 1200 << false;
    }
    // The rest of the chunk that carries a GS B still travels at the old line speed: heard only when the
    // speed stays.
    void speedSwitch() {
        QFETCH(int, configured);
        QFETCH(int, argument);
        QFETCH(int, newSpeed);
        QFETCH(bool, hardware);
        PrinterModel model({.speed = configured});
        QCOMPARE(ask(model, hex("1d42") + char(argument) + kStatus, configured).toHex(),
                 newSpeed == configured ? "04" : "");
        QVERIFY(model.speed() == newSpeed && model.hardwareFlow() == hardware);
        QCOMPARE(ask(model, kConfig, newSpeed),
                 QByteArray(1, char(speedCode(newSpeed) | (hardware ? 0x80 : 0))));
    }

    // Every way of cutting the stream in two gives the same commands and replies; bytes it does not know
    // ("?" in the transcript) are recorded as such and swallow none of the commands after them. A sensor
    // mode set is the printer's only once stored.
    void commandsSplitAcrossChunks() {
        const QStringList commands{"1b76", "78?",  "1d53661c",  "1b78?",    "1b4f",    "1b?",  "1b6f01",
                                   "1b4f", "1b73", "1d4f0506?", "1d4f0505", "1d5366?", "1b49", "1b4f"};
        const QByteArray stream = QByteArray::fromHex(commands.join(" ").toLatin1()); // skips "?"
        const QByteArray replies = hex("0403") + kParamsReply + kParamsReply + hex("00") +
                                   "SIM-80 Receipt  " + hex("01") + kParamsReply.mid(1);
        for (int cut = 1; cut < stream.size(); ++cut) {
            PrinterModel model({.calibrationTimeMs = 0});
            QByteArray got = ask(model, stream.left(cut), 9600);
            got += ask(model, stream.mid(cut), 9600);
            QStringList transcript;
            for (const TranscriptEntry& e : model.transcript())
                transcript << e.bytes.toHex() + (e.known ? "" : "?");
            QVERIFY2(
                got == replies && transcript == commands,
                qPrintable(QString("cut at %1: %2, %3").arg(cut).arg(got.toHex(), transcript.join(' '))));
        }
        // A printer that runs for a day keeps a window of its transcript: the latest commands, all counted,
        // and answered as before.
        PrinterModel windowed({.calibrationTimeMs = 0});
        windowed.setTranscriptLimit(4);
        QCOMPARE(ask(windowed, stream, 9600), replies);
        QCOMPARE(windowed.recordedCount(), qint64(commands.size()));
        QVERIFY(windowed.transcript().size() >= 4 && windowed.transcript().size() < 8);
        QCOMPARE(windowed.transcript().last().bytes, hex("1b4f"));
    }

    // Replies over time: a calibration holds back what is asked meanwhile until its end mark, and the
    // faults on demand. Reply overrides stay exact whatever the faults, silence wins over them.
    void repliesOverTime_data() {
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("dueMs");
        const auto row = [](const char* name, Faults f, QByteArray command, const char* reply, int dueMs) {
            QTest::newRow(name) << f << command << hex(reply) << dueMs;
        };
        row("printer calibration", {}, kCalibrate + kStatus, "0004", 1500);
        row("near-end calibration", {}, hex("1b6e63") + kStatus, "0004", 1500);
        row("silent", {.silent = true}, kStatus, "", 0);
        row("extra bytes", {.extraBytes = "zz"}, kStatus, "047a7a", 0);
        row("five of six", {.missingBytes = 1}, kParams, "001446d273", 0);
        row("cut to nothing", {.missingBytes = 1}, kStatus, "", 0);
        row("late", {.delayMs = 5000}, kStatus, "04", 5000);
        row("only for another command", {.onlyFor = kParams, .extraBytes = "zz"}, kStatus, "04", 0);
        row("only for this command", {.onlyFor = kParams, .missingBytes = 3}, kParams, "001446", 0);
        row("override stays exact", {.extraBytes = "zz"}, kIdent, "414243", 0);
        row("silent from a command on", {.silentFrom = kParams},
            kStatus + kIdent + kParams + kStatus + kIdent, "04414243", 0);
        row("random, same length", {.randomReply = true}, kParams, "3f3f3f3f3f3f", 0);
    }
    void repliesOverTime() {
        QFETCH(Faults, faults);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(int, dueMs);
        PrinterModel model;
        model.setFaults(faults);
        model.setReplyOverride(kIdent, "ABC");
        model.receive(command, {9600, false}, 0);
        if (dueMs > 0) QCOMPARE(model.takeDue(dueMs - 1), QByteArray());
        const QByteArray got = model.takeDue(dueMs);
        const bool random = faults.randomReply && got != kParamsReply; // random bytes: their number counts
        QCOMPARE((random ? QByteArray(got.size(), '?') : got).toHex(), reply.toHex());
    }
};

QTEST_GUILESS_MAIN(TestSimulatedPrinter)
#include "tst_simulatedprinter.moc"
