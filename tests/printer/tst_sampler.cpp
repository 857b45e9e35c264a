// The live readings: the switch to 57600 with hardware flow and back, and what the opening and a tick ask;
// a lost port waited for and the sampling going on, and the switch owed when it is left while lost.
// That a tick keeps the port while it waits is the monitor page's test, whose timer drives the ticks.
#include "corebench.h"
#include "printer/sampler.h"

#include <QTcpServer>
#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using Printer::Outcome;
using Printer::Sensor;

namespace {
// The line fails under every program that holds it open, as a cable or adapter failing does, while the
// device stays and opens again. Only root may hang up a terminal it does not control.
void hangUp(const QString& device) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool done = fd >= 0 && ::ioctl(fd, TIOCVHANGUP) == 0;
    if (fd >= 0) ::close(fd);
    if (!done) QSKIP("hanging up a terminal needs root here");
}
} // namespace

class TstSampler : public QObject {
    Q_OBJECT

private slots:
    void switchReadAndRestore_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<QString>("speed"); // found by detection
        QTest::addColumn<int>("handshake");
        QTest::addColumn<int>("printerSpeed");
        QTest::addColumn<QString>("restore");
        QTest::addColumn<bool>("remote"); // behind ser2net
        const auto printer = Sensor::PrinterOpto;
        QTest::newRow("9600 XON/XOFF") << printer << "9600" << 1 << 9600 << "1d 42 03" << false;
        QTest::newRow("near-end sensor") << Sensor::NearEnd << "9600" << 1 << 9600 << "1d 42 03" << false;
        QTest::newRow("38400 hardware") << printer << "38400" << 2 << 38400 << "1d 42 85" << false;
        // The printer runs at 57600 already; it is sent back to 9600.
        QTest::newRow("a speed the table does not know")
            << printer << "14400" << 2 << 57600 << "1d 42 83" << false;
        // Each switch must have reached the printer at the old speed before the server takes the new one.
        QTest::newRow("through ser2net: 1200 XON/XOFF")
            << printer << "1200" << 1 << 1200 << "1d 42 00" << true;
        QTest::newRow("through ser2net: near-end, 115200 hardware")
            << Sensor::NearEnd << "115200" << 2 << 115200 << "1d 42 87" << true;
    }
    void switchReadAndRestore() {
        QFETCH(Sensor, sensor);
        QFETCH(QString, speed);
        QFETCH(int, handshake);
        QFETCH(int, printerSpeed);
        QFETCH(QString, restore);
        QFETCH(bool, remote);
        CoreBench b;
        const Sim::PrinterConfig config{
            .speed = printerSpeed, .hardwareFlow = handshake == 2, .nearEnd = true};
        Sim::SimulatedPrinter* far = remote ? b.remotePrinter(3, config) : &b.printer(3, config);
        VERIFY_SER2NET(far);
        Sim::SimulatedPrinter& printer = *far;
        b.state.PrinterSpeed = speed;
        b.state.PrinterHandshake = qint16(handshake);
        Printer::Sampler sampler(b.link, sensor);
        QVERIFY(sampler.switchToMonitorSpeed().ok());
        QVERIFY(b.state.PrinterSpeed == "57600" && b.state.PrinterHandshake == 2);
        const Printer::Result<Printer::Sampler::Opening> opening = sampler.readOpening();
        QVERIFY(opening.ok() && opening.value.level);
        QCOMPARE(opening.value.params.has_value(), sensor == Sensor::PrinterOpto);
        if (opening.value.params)
            QCOMPARE(opening.value.params->markThreshold, printer.model().optoParams()[5]);
        QTimer pace;
        sampler.start(pace);
        const Printer::Result<Printer::Sampler::Reading> sample = sampler.readSample();
        QVERIFY(sample.ok());
        QCOMPARE(sample.value.nearEnd, sensor == Sensor::NearEnd ? std::optional<quint8>(1) : std::nullopt);
        sampler.stop();
        QVERIFY(sampler.restoreSpeed().ok());

        QStringList heard{QStringLiteral("1d 42 86 @%1%2").arg(speed, handshake == 2 ? " hw" : "")};
        for (const char* command : sensor == Sensor::PrinterOpto ? QList{"1b 4f", "1d 6f", "1d 6f"}
                                                                 : QList{"1b 6e 6c", "1b 6e 73", "1b 6e 6c"})
            heard << QString(command) + " @57600 hw";
        QCOMPARE(b.heard(3), heard << restore + " @57600 hw");
        QCOMPARE(printer.model().speed(), speed == "14400" ? 9600 : printerSpeed);
        QCOMPARE(printer.model().hardwareFlow(), handshake == 2);
        QVERIFY(b.state.PrinterSpeed == speed && b.state.PrinterHandshake == handshake && !b.comm.portOpen());
    }

    // Two losses in a row, each said once and its recovery once. A printer that kept 57600 answers the
    // first look; one started afresh at its own speed is switched there once more and its parameter
    // block read again (calibrated meanwhile). Nothing reaches the line while the port is away. A printer
    // switched off and on behind a port that stays is lost by its silence alone.
    void waitsForTheLostPort_data() {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("startedAfresh");
        QTest::addColumn<bool>("powerCycle"); // the port stays; the printer is switched off and on
        QTest::newRow("entry made again, printer kept at 57600") << false << false << false;
        QTest::newRow("entry made again, printer started afresh") << false << true << false;
        QTest::newRow("ser2net stopped and started again") << true << false << false;
        QTest::newRow("ser2net restarted, printer started afresh") << true << true << false;
        QTest::newRow("printer switched off and on") << false << true << true;
        QTest::newRow("printer behind ser2net switched off and on") << true << true << true;
    }
    void waitsForTheLostPort() {
        QFETCH(bool, remote);
        QFETCH(bool, startedAfresh);
        QFETCH(bool, powerCycle);
        CoreBench b;
        Sim::SimulatedPrinter* printer = remote ? b.remotePrinter(3) : &b.printer(3);
        VERIFY_SER2NET(printer);
        Printer::Sampler sampler(b.link, Sensor::PrinterOpto);
        sampler.setReconnect(true);
        QStringList told;
        connect(&sampler, &Printer::Sampler::lost, [&](const QString& problem) {
            told << QStringLiteral("lost") + (problem.contains("COM3") ? "" : " without the port's name") +
                        (sampler.lostBySilence() == powerCycle ? "" : " for the wrong cause");
        });
        connect(&sampler, &Printer::Sampler::parametersRead,
                [&](const OptoParameterBlock& p) { told << QStringLiteral("black %1").arg(p.blackLevel); });
        connect(&sampler, &Printer::Sampler::resumed, [&] { told << "resumed"; });
        QVERIFY(sampler.switchToMonitorSpeed().ok() && sampler.readOpening().ok());
        int samples = 0;
        QTimer pace;
        connect(&pace, &QTimer::timeout, [&] { samples += sampler.tickDue() && sampler.readSample().ok(); });
        sampler.start(pace);
        QStringList expected;
        for (int round = 1; round <= 2; ++round) {
            QTRY_VERIFY(samples >= 3);
            QElapsedTimer away;
            away.start();
            if (powerCycle)
                printer->setPowered(false);
            else
                remote ? b.serverAt(3)->stop() : printer->vanish();
            QTRY_VERIFY_WITH_TIMEOUT(sampler.waiting(), 2 * Printer::Sampler::kTickReplyLimitMs + 5000);
            QTest::qWait(2 * Printer::Sampler::kRetryMs);
            // Looked for at its pace, not in a loop: a busy machine only makes the looks fewer.
            QVERIFY2(
                sampler.looks() >= 1 && sampler.looks() <= away.elapsed() / Printer::Sampler::kRetryMs + 1,
                qPrintable(QStringLiteral("%1 looks in %2 ms").arg(sampler.looks()).arg(away.elapsed())));
            printer->clearTranscript();
            if (startedAfresh) {
                printer->setSpeed(9600);
                printer->setHardwareFlow(false);
                printer->setOptoParams({0, quint8(40 + round), 90, 200, 150, 60});
            }
            if (powerCycle)
                printer->setPowered(true);
            else
                QVERIFY(remote ? b.serverAt(3)->restart() : printer->reappear());
            samples = 0;
            // Switched off, a look may be waiting out the opening's limit for a reply that never comes.
            QTRY_VERIFY_WITH_TIMEOUT(samples >= 2, 3 * Printer::Sampler::kOpeningReplyLimitMs + 5000);
            expected << "lost";
            if (startedAfresh) expected << QStringLiteral("black %1").arg(40 + round);
            expected << "resumed";
            QCOMPARE(told, expected);
            const QStringList again = startedAfresh ? QStringList{"1d 6f @57600 hw", "1d 42 86 @9600",
                                                                  "1b 4f @57600 hw", "1d 6f @57600 hw"}
                                                    : QStringList{"1d 6f @57600 hw", "1d 6f @57600 hw"};
            // The looks of a printer switched off went on until it was on again: the last switch is the one.
            QStringList heard = b.heard(3);
            if (powerCycle)
                heard = heard.mid(std::max<qsizetype>(heard.lastIndexOf("1d 42 86 @9600") - 1, 0));
            QCOMPARE(heard.mid(0, again.size()), again);
        }
        sampler.stop();
        QVERIFY(sampler.restoreSpeed().ok());
        QCOMPARE(b.heard(3).last(), QString("1d 42 03 @57600 hw"));
        QCOMPARE(printer->model().speed(), 9600);
    }

    // Left while the port was away, the link settings say the saved speed, and the restore it could not
    // be sent goes out first at 57600 when the port is opened next: a printer that kept 57600 takes it, one
    // started afresh does not hear it. A port still missing keeps it owed. A restore that found the port
    // gone is told, and owed in the same way, also when the port opened and only the write failed (the
    // port still held from the last tick, its line hung up under it).
    void owedSwitchGoesOutFirst_data() {
        QTest::addColumn<int>("printerSpeed");
        QTest::addColumn<bool>("portBack");
        QTest::addColumn<bool>("lostFirst"); // lost while sampling; otherwise gone at the restore
        QTest::addColumn<bool>("held");      // the port still held open when its line fails under it
        QTest::newRow("printer kept at 57600") << 57600 << true << true << false;
        QTest::newRow("printer started afresh at 9600") << 9600 << true << true << false;
        QTest::newRow("port still missing") << 57600 << false << true << false;
        QTest::newRow("restore not opened, port back") << 57600 << true << false << false;
        QTest::newRow("restore not written, port back") << 57600 << true << false << true;
    }
    void owedSwitchGoesOutFirst() {
        QFETCH(int, printerSpeed);
        QFETCH(bool, portBack);
        QFETCH(bool, lostFirst);
        QFETCH(bool, held);
        CoreBench b;
        Sim::SimulatedPrinter& printer = b.printer(3);
        Printer::Sampler sampler(b.link, Sensor::PrinterOpto);
        sampler.setReconnect(true);
        QVERIFY(sampler.switchToMonitorSpeed().ok());
        QTimer pace;
        connect(&pace, &QTimer::timeout, [&] { sampler.tickDue() && sampler.readSample().ok(); });
        sampler.start(pace);
        if (lostFirst) {
            printer.vanish();
            QTRY_VERIFY(sampler.waiting());
        } else {
            QTest::qWait(3 * Printer::Sampler::kIntervalMs);
        }
        sampler.stop();
        if (held) {
            QVERIFY(b.link.OpenPrinterPort());
            b.link.ClosePrinterPort();
        }
        if (held)
            hangUp(printer.devicePath());
        else if (!lostFirst)
            printer.vanish();
        const Printer::Status restored = sampler.restoreSpeed();
        QCOMPARE(restored.ok(), lostFirst);
        if (!lostFirst) QVERIFY2(restored.problem.contains("COM3"), qPrintable(restored.problem));
        QVERIFY(b.state.PrinterSpeed == "9600" && b.state.PrinterHandshake == 1 && b.state.owedSwitch);
        printer.setSpeed(printerSpeed);
        printer.setHardwareFlow(printerSpeed == 57600);
        printer.clearTranscript();
        if (portBack) QVERIFY(printer.reappear());
        const bool opened = bool(b.link.OpenPrinterPort());
        QCOMPARE(opened, portBack);
        QCOMPARE(b.state.owedSwitch.has_value(), !portBack);
        if (!portBack) return;
        b.link.SendCommand(b.link.commands().paperStatus());
        QVERIFY(b.link.ReadReplyByte());
        QCOMPARE(b.heard(3), (QStringList{"1d 42 03 @57600 hw", "1b 76 @9600"}));
        QCOMPARE(printer.model().speed(), 9600);
    }

    // Stopped while a look for the lost port waits inside the open for a server that does not answer:
    // the open ends with stop() rather than at its limit, so the server is not remembered as one that
    // made the program wait, and the next open asks it again.
    void stopEndsALookForAServer() {
        CoreBench b;
        Sim::SimulatedPrinter& printer = b.printer(3);
        QTcpServer silent; // takes the connection and never answers a setting
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        Printer::Sampler sampler(b.link, Sensor::PrinterOpto);
        sampler.setReconnect(true);
        int connections = 0;
        connect(&silent, &QTcpServer::newConnection, [&] {
            if (++connections == 1) sampler.stop();
        });
        QVERIFY(sampler.switchToMonitorSpeed().ok() && sampler.readOpening().ok());
        QTimer pace;
        connect(&pace, &QTimer::timeout, [&] { sampler.tickDue() && sampler.readSample().ok(); });
        sampler.start(pace);
        printer.vanish();
        QTRY_VERIFY(sampler.waiting());
        b.ports().setRemote(3, QStringLiteral("rfc2217://127.0.0.1:%1").arg(silent.serverPort()));
        QTRY_COMPARE(connections, 1);
        QTest::qWait(Printer::Sampler::kIntervalMs);
        b.link.OpenPrinterPort(); // the switch owed to the printer goes out first
        QTRY_COMPARE(connections, 2);
    }
};

QTEST_MAIN(TstSampler)
#include "tst_sampler.moc"
