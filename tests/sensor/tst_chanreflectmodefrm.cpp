// The opto-sensor mode page against a simulated printer: the mode read from the printer, the two options
// kept exclusive across their frames, what Next writes, and leaving while the printer has not answered.
#include "link/link.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"
#include "support/sensorsteps.h"

#include <QAccessible>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace SensorSteps;

namespace {
const QByteArray kOptoQuery = QByteArray::fromHex("1b4f");

ChanReflectModeFrm& arrive(Bench& bench) {
    choose(bench, Sensor::Printer, Action::Calibrate);
    step2(bench).Next->click();
    return bench.wizard().chanReflectModeFrm();
}

QString shownMode(const ChanReflectModeFrm& page) {
    return QString(page.Reflect->isChecked() ? "R" : "") + (page.Transmit->isChecked() ? "T" : "");
}
} // namespace

class TstChanReflectModeFrm : public QObject {
    Q_OBJECT

private slots:
    void modeReadAndWrittenBack_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        QTest::newRow("0: reflective") << QByteArray::fromHex("00146ed2738c") << "R"
                                       << "1b 6f 00";
        QTest::newRow("1: transmissive") << QByteArray::fromHex("01146ed2738c") << "T"
                                         << "1b 6f 01";
        QTest::newRow("255: written as transmissive") << QByteArray::fromHex("ff146ed2738c") << "T"
                                                      << "1b 6f 01";
        QTest::newRow("levels ignored") << QByteArray::fromHex("00ffffffffff") << "R"
                                        << "1b 6f 00";
        QTest::newRow("longer reply") << QByteArray::fromHex("01000000000000ff") << "T"
                                      << "1b 6f 01";
    }
    // Next without touching the options writes back the mode read, then stores it.
    void modeReadAndWrittenBack() {
        QFETCH(QByteArray, block);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride(kOptoQuery, block);
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(shownMode(page), shown);
        QVERIFY(portClosedAndIdle(bench));
        page.Next->click();
        QCOMPARE(heard(bench), (QStringList{"1b 4f", written, "1b 73"}));
        QCOMPARE(shownPages(bench), QStringList{"Step3"});
        QVERIFY(portClosedAndIdle(bench));
    }

    // Five bytes keep Init waiting, with Next out of reach; the sixth ends the wait and its mode wins.
    void fiveBytesKeepTheReadingGoing() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride(kOptoQuery, QByteArray::fromHex("01146ed273"));
        QString meanwhile;
        onCommand(printer, kOptoQuery, [&] {
            ChanReflectModeFrm& page = bench.wizard().chanReflectModeFrm();
            if (!QTest::qWaitFor([&] { return bench.wizard().link().comm().inBufferCount() == 5; })) return;
            QTest::qWait(50); // room for a sixth byte that must not come
            page.Reflect->click(); // the technician's choice does not open the way to Next yet
            page.Next->click();
            meanwhile = shownMode(page) + (page.Next->isEnabled() ? "+next" : "") +
                        (bench.wizard().link().isWaiting() ? "+waiting" : "");
            printer.send(QByteArray::fromHex("8c"));
        });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(meanwhile, QString("R+waiting"));
        QCOMPARE(shownMode(page), QString("T"));
        QCOMPARE(page.focusWidget(), page.Next); // Enter goes on; it does not press Exit
        QCOMPARE(heard(bench), QStringList{"1b 4f"});
        QVERIFY(portClosedAndIdle(bench));
    }

    // The two options sit in different frames and are one choice all the same. Back writes nothing,
    // and the next visit shows the printer's mode again.
    void choiceAndBack() {
        Bench bench;
        printerAtStep2(bench); // reflective
        ChanReflectModeFrm& page = arrive(bench);
        page.Reflect->click();
        page.Transmit->click();
        page.Transmit->click();
        QCOMPARE(shownMode(page), QString("T"));
        page.Back->click();
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QCOMPARE(heard(bench), QStringList{"1b 4f"});

        // A screen reader's toggle action chooses as a click does, and Enter presses the focused Next.
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("R"));
        QAccessible::queryAccessibleInterface(page.Transmit)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(shownMode(page), QString("T"));
        QTest::keyClick(page.Next, Qt::Key_Return);
        QCOMPARE(heard(bench), (QStringList{"1b 4f", "1b 4f", "1b 6f 01", "1b 73"}));
    }

    void backWhileThePrinterIsSilent() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, kOptoQuery, [&] { bench.wizard().chanReflectModeFrm().Back->click(); });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QVERIFY(portClosedAndIdle(bench));

        printer.setFaults({});
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("R"));
        QVERIFY(page.Next->isEnabled());
    }

    // Nothing read, so nothing to write until the technician chooses.
    void printerVanishesWhileReading() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, kOptoQuery, [&] { printer.vanish(); });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(boxIcons(bench), QList{QMessageBox::Critical});
        QCOMPARE(shownPages(bench), QStringList{"ChanReflectModeFrm"});
        QVERIFY(portClosedAndIdle(bench));
        QCOMPARE(shownMode(page), QString());
        QVERIFY(!page.Next->isEnabled() && page.Back->isEnabled());
        page.Reflect->click();
        QVERIFY(page.Next->isEnabled());
    }
};

QTEST_MAIN(TstChanReflectModeFrm)
#include "tst_chanreflectmodefrm.moc"
