// The opto-sensor mode page against a simulated printer: the mode read from the printer, the two options
// kept exclusive across their frames, what Next writes, and leaving while the printer has not answered.
#include "calibration/step3.h"
#include "link/link.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/wizard.h"
#include "support/sensorsteps.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace SensorSteps;

namespace {
const QByteArray kOptoQuery = QByteArray::fromHex("1b4f");

// Step2 routes to the mode page, which reads the printer's mode at once.
ChanReflectModeFrm& arrive(Bench& bench) {
    choose(bench, Sensor::Printer, Action::Calibrate);
    step2(bench).Next->click();
    return bench.wizard().chanReflectModeFrm();
}

QString shownMode(const ChanReflectModeFrm& page) {
    if (page.Reflect->isChecked() && page.Transmit->isChecked()) return "both";
    if (page.Reflect->isChecked()) return "Reflective";
    if (page.Transmit->isChecked()) return "Transmitive";
    return "none";
}
} // namespace

class TstChanReflectModeFrm : public QObject {
    Q_OBJECT

private slots:
    void modeReadAndWrittenBack_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        QTest::newRow("0: reflective") << QByteArray::fromHex("00146ed2738c") << "Reflective"
                                       << "1b 6f 00";
        QTest::newRow("1: transmissive") << QByteArray::fromHex("01146ed2738c") << "Transmitive"
                                         << "1b 6f 01";
        QTest::newRow("255: shown and written as transmissive")
            << QByteArray::fromHex("ff146ed2738c") << "Transmitive"
            << "1b 6f 01";
        QTest::newRow("0 with other levels") << QByteArray::fromHex("00ffffffffff") << "Reflective"
                                             << "1b 6f 00";
        QTest::newRow("longer reply") << QByteArray::fromHex("01000000000000ff") << "Transmitive"
                                      << "1b 6f 01";
    }
    void modeReadAndWrittenBack() {
        QFETCH(QByteArray, block);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride(kOptoQuery, block);
        ChanReflectModeFrm& page = arrive(bench);

        QVERIFY(page.isVisible());
        QVERIFY(!step2(bench).isVisible());
        QVERIFY(page.WebBrowser->currentPath().endsWith("RefMode.html"));
        QCOMPARE(shownMode(page), shown);
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(page.Next->isEnabled());

        page.Next->click(); // nothing touched: the mode read goes back, then the store
        QCOMPARE(heard(bench), (QStringList{"1b 4f", written, "1b 73"}));
        QVERIFY(!page.isVisible());
        QVERIFY(bench.wizard().loadedStep3() && bench.wizard().loadedStep3()->isVisible());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(bench.boxes().seen().empty());
    }

    void fiveBytesKeepTheReadingGoing() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride(kOptoQuery, QByteArray::fromHex("0114 6ed273"));
        bool stillReading = false;
        bool nextEnabledMeanwhile = true;
        QString shownMeanwhile;
        ChanReflectModeFrm* page = nullptr;
        onCommand(printer, kOptoQuery, [&] {
            page = bench.wizard().loadedChanReflectModeFrm();
            MSComm& comm = bench.wizard().link().comm();
            if (!QTest::qWaitFor([&] { return comm.inBufferCount() == 5; })) return;
            QTest::qWait(50); // no sixth byte is on its way
            stillReading = bench.wizard().link().isWaiting();
            nextEnabledMeanwhile = page->Next->isEnabled();
            page->Next->click(); // must not write, nor close the port under the reading
            shownMeanwhile = shownMode(*page);
            printer.send(QByteArray::fromHex("8c"));
        });
        arrive(bench);

        QVERIFY(page);
        QVERIFY(stillReading);
        QVERIFY(!nextEnabledMeanwhile);
        QCOMPARE(shownMeanwhile, QString("none"));
        QCOMPARE(shownMode(*page), QString("Transmitive"));
        QCOMPARE(heard(bench), QStringList{"1b 4f"});
        QVERIFY(page->isVisible());
        QVERIFY(!bench.wizard().state().PortIsOpen);
    }

    // The two options sit in different frames; the page alone keeps them exclusive.
    void reflectiveThenTransmitive() {
        Bench bench;
        printerAtStep2(bench); // the printer is reflective
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(shownMode(page), QString("Reflective"));
        page.Reflect->click();
        QCOMPARE(shownMode(page), QString("Reflective"));
        page.Transmit->click();
        QCOMPARE(shownMode(page), QString("Transmitive"));
        QCOMPARE(page.SensorMode, quint8(1));
        page.Transmit->click(); // a click on the selected option leaves it selected
        QCOMPARE(shownMode(page), QString("Transmitive"));
        page.Next->click();
        QCOMPARE(heard(bench), (QStringList{"1b 4f", "1b 6f 01", "1b 73"}));
    }

    void backSendsNothingAndTheNextVisitReadsAgain() {
        Bench bench;
        printerAtStep2(bench);
        ChanReflectModeFrm& page = arrive(bench);
        page.Transmit->click();
        page.Back->click();

        QCOMPARE(heard(bench), QStringList{"1b 4f"});
        QVERIFY(!page.isVisible());
        QVERIFY(step2(bench).isVisible());
        QVERIFY(step2(bench).Calibrate->isChecked());
        QVERIFY(!bench.wizard().state().PortIsOpen);

        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("Reflective")); // the printer's, not the last click
        QCOMPARE(heard(bench), (QStringList{"1b 4f", "1b 4f"}));
    }

    void backWhileThePrinterIsSilent() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, kOptoQuery, [&] { bench.wizard().chanReflectModeFrm().Back->click(); });
        ChanReflectModeFrm& page = arrive(bench);

        QVERIFY(!page.isVisible());
        QVERIFY(step2(bench).isVisible());
        QVERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QVERIFY(!bench.wizard().loadedStep3());

        printer.setFaults({});
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("Reflective"));
        QVERIFY(page.Next->isEnabled());
    }

    void exitWhileThePrinterIsSilent() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, kOptoQuery, [&] { bench.wizard().chanReflectModeFrm().Exit->click(); });
        arrive(bench);
        QVERIFY(bench.ended());
        QVERIFY(!bench.wizard().loadedStep3());
    }

    void portCannotBeOpened() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(shownMode(page), QString("Reflective"));
        bench.holdBusy(kPort); // another program takes the port before Next

        page.Next->click();
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
        QVERIFY(page.isVisible());
        QVERIFY(page.Next->isEnabled());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().loadedStep3());
        QCOMPARE(printer.transcript().size(), 1);

        // And on arrival: nothing read, so nothing to write until the technician chooses.
        page.Back->click();
        step2(bench).Next->click();
        QCOMPARE(bench.boxes().seen().size(), size_t(2));
        QCOMPARE(shownMode(page), QString("none"));
        QVERIFY(!page.Next->isEnabled());
        QVERIFY(page.Back->isEnabled());
        QVERIFY(!bench.wizard().state().PortIsOpen);
    }

    void printerVanishesWhileReading() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, kOptoQuery, [&] { printer.vanish(); });
        ChanReflectModeFrm& page = arrive(bench);

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QVERIFY(page.isVisible());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(page.Back->isEnabled());
        QVERIFY(!page.Next->isEnabled()); // the mode is unknown

        page.Reflect->click(); // the technician knows it
        QVERIFY(page.Next->isEnabled());
    }

    void closeBoxEndsTheProgram() {
        Bench bench;
        printerAtStep2(bench);
        arrive(bench).close();
        QVERIFY(bench.ended());
    }
};

QTEST_MAIN(TstChanReflectModeFrm)
#include "tst_chanreflectmodefrm.moc"
