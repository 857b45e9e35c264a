// What the printer is asked before and for a calibration: whether the near-end extension is fitted, and
// the calibration with its paper check.
#include "corebench.h"
#include "printer/calibration.h"
#include "printer/sensorsetup.h"

#include <QtTest>

using Printer::Outcome;
using Decision = Printer::Calibration::PaperDecision;

class TstSensorSetup : public QObject {
    Q_OBJECT

private slots:
    // Only the first byte of the answer counts.
    void extensionFitted_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("fitted");
        QTest::newRow("0: absent") << QByteArray::fromHex("00") << false;
        QTest::newRow("1: fitted") << QByteArray::fromHex("01") << true;
        QTest::newRow("255: fitted") << QByteArray::fromHex("ff") << true;
        QTest::newRow("0 and more together") << QByteArray::fromHex("000101") << false;
        QTest::newRow("1 and a 0 together") << QByteArray::fromHex("0100") << true;
    }
    void extensionFitted() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, fitted);
        CoreBench b;
        b.printer(3).setReplyOverride("\x1bnp", reply);
        const Printer::Result<bool> answer = Printer::SensorSetup::extensionFitted(b.link);
        QVERIFY(answer.ok() && answer.value == fitted);
        QCOMPARE(b.heard(3), QStringList{"1b 6e 70 @9600"});
        QVERIFY(!b.state.PortIsOpen && !b.comm.portOpen());
    }

    // Bit 2 of the paper status set means no paper; with paper the technician is asked.
    void calibration_data() {
        QTest::addColumn<Printer::Sensor>("sensor");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("answer"); // -1: not asked
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("heard");
        const auto printer = Printer::Sensor::PrinterOpto;
        const QStringList calibrated{"1b 76 @9600", "1d 4f 05 05 @9600"}, stopped{"1b 76 @9600"};
        for (int status : {0x04, 0xFF, 0x0C})
            QTest::addRow("0x%02X: no paper", status)
                << printer << status << -1 << Outcome::Done << calibrated;
        QTest::newRow("0x00: paper, calibrate anyway")
            << printer << 0x00 << int(Decision::CalibrateAnyway) << Outcome::Done << calibrated;
        QTest::newRow("0xFB: paper, stop")
            << printer << 0xFB << int(Decision::Stop) << Outcome::Refused << stopped;
        QTest::newRow("near-end sensor: no paper check")
            << Printer::Sensor::NearEnd << 0x00 << -1 << Outcome::Done << QStringList{"1b 6e 63 @9600"};
    }
    void calibration() {
        QFETCH(Printer::Sensor, sensor);
        QFETCH(int, status);
        QFETCH(int, answer);
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, heard);
        CoreBench b;
        b.printer(3, {.calibrationTimeMs = 20}).setStatusOverride(quint8(status));
        Printer::Calibration calibration(b.link, sensor);
        calibration.setSilenceMs(1000); // a printer silent that long fails the row rather than hanging it
        connect(&calibration, &Printer::Calibration::printerSilent, &b.link, &Link::cancelWaits);
        bool asked = false;
        calibration.setPaperQuestion([&] { return asked = true, Decision(answer); });
        QCOMPARE(calibration.run().outcome, outcome);
        QCOMPARE(asked, answer != -1);
        QCOMPARE(b.heard(3), heard);
        QCOMPARE(b.state.PortIsOpen, outcome == Outcome::Refused); // open for the next try
    }

    // After a refusal the port stays open; a byte that comes late must not be read as the paper status
    // of the next try, nor as the end of its calibration: it ends when the printer has sent its mark.
    void lateByteAfterARefusal() {
        CoreBench b;
        Sim::SimulatedPrinter& printer = b.printer(3, {.paperPresent = true, .calibrationTimeMs = 500});
        Printer::Calibration calibration(b.link, Printer::Sensor::PrinterOpto);
        calibration.setSilenceMs(5000);
        connect(&calibration, &Printer::Calibration::printerSilent, &b.link, &Link::cancelWaits);
        calibration.setPaperQuestion([] { return Decision::Stop; });
        QCOMPARE(calibration.run().outcome, Outcome::Refused);
        printer.send("\x04"); // reads as "no paper"
        QTRY_COMPARE(b.comm.inBufferCount(), 1);
        printer.setPaperPresent(false);
        QByteArray replied;
        connect(&printer, &Sim::SimulatedPrinter::replySent, this,
                [&](const QByteArray& r) { replied += r; });
        QCOMPARE(calibration.run().outcome, Outcome::Done);
        QCOMPARE(replied.size(), 2); // the paper status and the end mark, both read
    }
};

QTEST_MAIN(TstSensorSetup)
#include "tst_sensorsetup.moc"
