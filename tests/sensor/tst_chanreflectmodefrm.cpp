// The opto-sensor mode page: the mode read from the printer and what Next writes back, Next out of reach
// while the printer has not told it, the two options kept one choice across their frames, and leaving
// while the printer has not answered.
#include "sensor/chanreflectmodefrm.h"
#include "support/sensorsteps.h"

#include <QAccessible>
#include <QtTest>

using namespace SensorSteps;

namespace {
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
        QTest::newRow("longer reply") << QByteArray::fromHex("00000000000001ff") << "R"
                                      << "1b 6f 00";
    }
    // Next without touching the options writes back the mode read, then stores it.
    void modeReadAndWrittenBack() {
        QFETCH(QByteArray, block);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        Bench bench;
        printerAtStep2(bench).setReplyOverride("\x1bO", block);
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(shownMode(page), shown);
        QVERIFY(bench.portClosedAndIdle());
        page.Next->click();
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 4f", written, "1b 73"}));
        QCOMPARE(bench.shownPages(), QStringList{"Step3"});
        QVERIFY(bench.portClosedAndIdle());
    }

    // Five bytes keep the reading going, with Next out of reach; the sixth ends it and its mode wins.
    void fiveBytesKeepTheReadingGoing() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride("\x1bO", QByteArray::fromHex("01146ed273"));
        QString meanwhile;
        onCommand(printer, "\x1bO", [&] {
            ChanReflectModeFrm& page = bench.wizard().chanReflectModeFrm();
            if (!QTest::qWaitFor([&] { return bench.wizard().link().comm().inBufferCount() == 5; })) return;
            page.Reflect->click(); // the technician's choice does not open the way to Next yet
            page.Next->click();
            meanwhile = shownMode(page) + (page.Next->isEnabled() ? "+next" : "") +
                        (bench.wizard().link().isWaiting() ? "+waiting" : "");
            printer.send(QByteArray::fromHex("8c"));
        });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(meanwhile, QString("R+waiting"));
        QCOMPARE(shownMode(page), QString("T"));
        QCOMPARE(bench.commandsHex(kPort), QStringList{"1b 4f"});
    }

    // The two options sit in different frames and are one choice all the same, whether clicked or toggled
    // by a screen reader; Enter presses the focused Next. Back, even while the printer is silent, writes
    // nothing, and the next visit reads the mode again.
    void choiceAndBack() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench); // reflective
        printer.setFaults({.silent = true});
        onCommand(printer, "\x1bO", [&] { bench.wizard().chanReflectModeFrm().Back->click(); });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
        QVERIFY(bench.portClosedAndIdle());
        printer.setFaults({});
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("R"));
        page.Transmit->click();
        page.Reflect->click();
        QCOMPARE(shownMode(page), QString("R"));
        page.Back->click();
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("R"));
        QAccessible::queryAccessibleInterface(page.Transmit)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(shownMode(page), QString("T"));
        QTest::keyClick(page.Next, Qt::Key_Return);
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 4f", "1b 4f", "1b 4f", "1b 6f 01", "1b 73"}));
    }

    // Nothing read, so nothing to write until the technician chooses.
    void printerVanishesWhileReading() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, "\x1bO", [&] { printer.vanish(); });
        ChanReflectModeFrm& page = arrive(bench);
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().at(0).icon, QMessageBox::Critical);
        QCOMPARE(bench.shownPages(), QStringList{"ChanReflectModeFrm"});
        QVERIFY(bench.portClosedAndIdle());
        QCOMPARE(shownMode(page), QString());
        QVERIFY(!page.Next->isEnabled() && page.Back->isEnabled());
        page.Reflect->click();
        QVERIFY(page.Next->isEnabled());
    }
};

QTEST_MAIN(TstChanReflectModeFrm)
#include "tst_chanreflectmodefrm.moc"
