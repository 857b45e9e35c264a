// The live readings: the switch to 57600 with hardware flow and back, and what the opening and a tick ask.
// That a tick keeps the port while it waits is the monitor page's test, whose timer drives the ticks.
#include "corebench.h"
#include "printer/sampler.h"

#include <QtTest>

using Printer::Outcome;
using Printer::Sensor;

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
};

QTEST_MAIN(TstSampler)
#include "tst_sampler.moc"
