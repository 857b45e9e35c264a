// The automatic search and the probe on the port object alone, against simulated printers: the bytes and
// line speeds in their order, the status texts, and what is learnt from the replies.
#include "corebench.h"
#include "printer/detector.h"

#include <QtTest>

using Printer::Outcome;

namespace {
const QList<int> kSpeeds{115200, 57600, 38400, 28800, 19200, 9600, 4800, 2400, 1200}; // fastest first

// Commands as the printer heard them at a speed ("1b 76 @9600", " hw" with hardware flow control).
QStringList at(int speed, std::initializer_list<const char*> commands, bool hardware = false) {
    QStringList list;
    for (const char* command : commands)
        list << QStringLiteral("%1 @%2%3").arg(command).arg(speed).arg(hardware ? " hw" : "");
    return list;
}
// The wake-up and the loader check at 57600, then a status request per speed down to the last.
QStringList searchedDownTo(int last) {
    QStringList list = at(57600, {"00", "18"});
    for (int speed : kSpeeds.mid(0, kSpeeds.indexOf(last) + 1))
        list += at(speed, {"1b 76"});
    return list;
}
// The name, a status request that clears the line, the configuration query and the CAN that ends it.
QStringList probed(int speed, bool hardware = true) {
    return at(speed, {"1b 49", "1b 76", "1d 53 66 1c", "18"}, hardware);
}
// The presence test's second look, then the probe with hardware flow control.
QStringList foundAt(int speed) {
    return searchedDownTo(speed) + at(speed, {"18", "1b 76"}) + probed(speed);
}

struct Case {
    std::function<void(CoreBench&)> setup;
    Outcome outcome;
    QString status;
    QStringList heard;      // by the printer on the port
    QStringList texts = {}; // the search's progress, checked when given
    int handshake = 0;      // learnt by the probe
    int port = 3;
};
// A printer on the port; given a command, it answers that command with the reply given.
std::function<void(CoreBench&)> printer(Sim::PrinterConfig config, const QByteArray& command = {},
                                        const QByteArray& reply = {}, int port = 3) {
    return [=](CoreBench& b) {
        Sim::SimulatedPrinter& printer = b.printer(port, config);
        if (!command.isEmpty()) printer.setReplyOverride(command, reply);
    };
}
// The same printer behind ser2net: port n is its address, and everything else is as on a local line.
std::function<void(CoreBench&)> remote(Sim::PrinterConfig config, int port = 3) {
    return [=](CoreBench& b) { b.remotePrinter(port, config); };
}
// Before the printer on COM3, COM2 is an address where nothing listens, or a relay that takes no settings.
std::function<void(CoreBench&)> unusableRemoteBefore(Ser2Net::Accepter accepter) {
    return [=](CoreBench& b) {
        if (accepter == Ser2Net::Accepter::PlainTcp)
            b.remotePrinter(2, {}, accepter);
        else
            b.ports().setRemote(2, QStringLiteral("rfc2217://127.0.0.1:%1").arg(Ser2Net::freePort()));
        b.printer(3, {.speed = 38400});
    };
}
// Skips a row that needs ser2net where it is not installed.
bool remoteReady(const CoreBench& b) {
    for (int n = 1; n <= 6; ++n)
        if (const Ser2Net* server = b.serverAt(n); server && !server->isListening()) return false;
    return true;
}
QString found(int speed, int port = 3) {
    return QStringLiteral("SIM-80 Receipt found on COM %1 at %2 bauds").arg(port).arg(speed);
}
const QString kNone = QStringLiteral("No printer found");
const QString kNone9600 = QStringLiteral("No printer found on COM 3 at 9600 bauds");
} // namespace
Q_DECLARE_METATYPE(Case)

class TstDetector : public QObject {
    Q_OBJECT

private slots:
    void search_data() {
        QStringList texts{"Trying to wake-up the printer",
                          "Attempting to contact printer in BIOS mode on COM2",
                          "Attempting to contact printer in BIOS mode on COM3"};
        for (int port : {2, 3})
            for (int speed : kSpeeds.mid(0, port == 2 ? 9 : 4))
                texts << QStringLiteral("Attempting to contact printer on COM %1 at %2 bauds.")
                             .arg(port)
                             .arg(speed);
        QTest::addColumn<Case>("c");
        QTest::newRow("115200") << Case(printer({.speed = 115200}), Outcome::Done, found(115200),
                                        foundAt(115200));
        QTest::newRow("1200 on the last port") << Case(printer({.speed = 1200}, {}, {}, 6), Outcome::Done,
                                                       found(1200, 6), foundAt(1200), {}, 0, 6);
        QTest::newRow("28800, hardware flow, a busy port before") << Case(
            [](CoreBench& b) {
                b.holdBusy(2);
                b.printer(3, {.speed = 28800, .hardwareFlow = true});
            },
            Outcome::Done, found(28800), foundAt(28800), texts);
        QTest::newRow("through ser2net: 115200")
            << Case(remote({.speed = 115200}), Outcome::Done, found(115200), foundAt(115200));
        QTest::newRow("a remote port where nothing listens is passed over") << Case(
            unusableRemoteBefore(Ser2Net::Accepter::Rfc2217), Outcome::Done, found(38400), foundAt(38400));
        QTest::newRow("a plain TCP relay is passed over") << Case(
            unusableRemoteBefore(Ser2Net::Accepter::PlainTcp), Outcome::Done, found(38400), foundAt(38400));
        QTest::newRow("no port at all")
            << Case([](CoreBench&) {}, Outcome::NoAnswer, kNone, {}, {"Trying to wake-up the printer"});
        QTest::newRow("firmware loader")
            << Case(printer({.loaderMode = true}), Outcome::FirmwareLoader, "", at(57600, {"00", "18"}));
        QTest::newRow("CAN and another byte is not the loader") << Case(
            printer({.loaderMode = true}, "\x18", "\x18x"), Outcome::NoAnswer, kNone, searchedDownTo(1200));
        QTest::newRow("two bytes to the status request") << Case(
            printer({.speed = 115200}, "\x1bv", "\x04x"), Outcome::NoAnswer, kNone, searchedDownTo(1200));
    }
    void search() {
        QFETCH(Case, c);
        CoreBench b;
        c.setup(b);
        VERIFY_SER2NET(remoteReady(b));
        Printer::Detector detector(b.link);
        QStringList texts;
        connect(&detector, &Printer::Detector::progress, [&](const QString& text) { texts << text; });
        const Printer::Detector::Detection result = detector.search();
        QCOMPARE(result.outcome, c.outcome);
        QCOMPARE(result.status, c.status);
        QCOMPARE(b.heard(c.port), c.heard);
        if (!c.texts.isEmpty()) QCOMPARE(texts, c.texts);
        // A printer woken by the NUL listens only a second later: the loader check must not come sooner.
        // Timers never fire early, so only a much shorter pause falls below nine tenths of it.
        if (const Sim::SimulatedPrinter* p = b.printerAt(c.port); p && p->transcript().size() > 1) {
            const qint64 pauseMs = p->transcript()[1].timeMs - p->transcript()[0].timeMs;
            QVERIFY2(pauseMs >= 900, qPrintable(QStringLiteral("%1 ms after the NUL").arg(pauseMs)));
        }
        QCOMPARE(b.state.PrinterFound, c.outcome != Outcome::NoAnswer);
        QVERIFY(!b.comm.portOpen());
    }

    // On COM3 at the speed of the first command heard, with the flow control it is heard with.
    void probe_data() {
        QTest::addColumn<Case>("c");
        QTest::newRow("no answer at another speed")
            << Case(printer({.speed = 19200}), Outcome::NoAnswer, kNone9600, at(9600, {"1b 49"}, true));
        QTest::newRow("the name request echoed, as by a loopback plug: no printer")
            << Case(printer({}, "\x1bI", "\x1bI"), Outcome::NoAnswer, kNone9600, at(9600, {"1b 49"}, true));
        QTest::newRow("the printer's own byte at 9600: XON/XOFF")
            << Case(printer({}), Outcome::Done, found(9600), probed(9600), {}, 1);
        QTest::newRow("a name of 30 characters: its first 16")
            << Case(printer({.identification = "SIM-80 Receipt Printer fw 2.10"}), Outcome::Done,
                    "SIM-80 Receipt P found on COM 3 at 9600 bauds", probed(9600), {}, 1);
        QTest::newRow("first look with XON/XOFF, only blanks: an answer without a name")
            << Case(printer({.identification = "    "}), Outcome::Done, " found on COM 3 at 9600 bauds",
                    probed(9600, false), {}, 1);
        QTest::newRow("the printer's own byte at 57600: hardware flow")
            << Case(printer({.speed = 57600, .hardwareFlow = true}), Outcome::Done, found(57600),
                    probed(57600), {}, 2);
        QTest::newRow("through ser2net: 57600, hardware flow")
            << Case(remote({.speed = 57600, .hardwareFlow = true}), Outcome::Done, found(57600),
                    probed(57600), {}, 2);
        QTest::newRow("through ser2net: 2400, XON/XOFF")
            << Case(remote({.speed = 2400}), Outcome::Done, found(2400), probed(2400), {}, 1);
        QTest::newRow("no configuration byte")
            << Case(printer({}, "\x1dSf\x1c", ""), Outcome::Done, found(9600), probed(9600), {}, 2);
    }
    void probe() {
        QFETCH(Case, c);
        CoreBench b;
        c.setup(b);
        VERIFY_SER2NET(remoteReady(b));
        Printer::Detector detector(b.link);
        const QString first = c.heard.first();
        const QString speed = first.section('@', 1).section(' ', 0, 0);
        const auto result = detector.probe(3, speed, first.endsWith(" hw") ? 2 : 1);
        QCOMPARE(result.outcome, c.outcome);
        QCOMPARE(result.status, c.status);
        QCOMPARE(b.heard(3), c.heard);
        QVERIFY(!b.comm.portOpen());
        QCOMPARE(b.state.PrinterFound, c.outcome == Outcome::Done);
        if (c.outcome == Outcome::Done)
            QVERIFY(b.state.PrinterPort == 3 && b.state.PrinterSpeed == speed &&
                    b.state.PrinterHandshake == c.handshake);
    }
};

QTEST_MAIN(TstDetector)
#include "tst_detector.moc"
