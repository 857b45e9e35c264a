// The fault matrix: every place where the wizard waits for the printer, driven through the real pages,
// with each fault a bench can throw at that wait. Whatever the fault, the program goes on, the technician
// keeps a way out (Back, Exit or the close box), no port stays open once a page is left, and a device
// that went away is told in a box naming its port. The detection waits are bounded: there the search or
// probe must end by itself with the right result.
#include "faultbench.h"

#include "detection/detectionsteps.h"
#include "monitor/stripchart.h"
#include "shell/helppane.h"
#include "support/sensorsteps.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>

using namespace FaultBench;
using SensorSteps::Action;
using SensorSteps::Sensor;

namespace {

enum class Wait {
    Presence,
    LoaderCheck,
    Identification,
    Configuration,
    Extension,
    ModeRead,
    PaperStatus,
    CalibrationEnd,
    ParameterBlock,
    FirstReading,
    Tick,
    NearEndTick,
};

QString waitName(Wait wait) {
    switch (wait) {
    case Wait::Presence:
        return QStringLiteral("presence test");
    case Wait::LoaderCheck:
        return QStringLiteral("loader check");
    case Wait::Identification:
        return QStringLiteral("identification");
    case Wait::Configuration:
        return QStringLiteral("configuration byte");
    case Wait::Extension:
        return QStringLiteral("extension check");
    case Wait::ModeRead:
        return QStringLiteral("mode read");
    case Wait::PaperStatus:
        return QStringLiteral("paper status");
    case Wait::CalibrationEnd:
        return QStringLiteral("calibration end");
    case Wait::ParameterBlock:
        return QStringLiteral("parameter block");
    case Wait::FirstReading:
        return QStringLiteral("first reading");
    case Wait::Tick:
        return QStringLiteral("tick readings");
    case Wait::NearEndTick:
        return QStringLiteral("near-end tick readings");
    }
    return {};
}

const QString kNotAnswering = QStringLiteral("The printer does not answer at 57600 bauds.");
const QString kOnCom3At9600 = QStringLiteral(" on COM 3 at 9600 bauds");
constexpr int kPatienceMs = 150;
constexpr int kStuckMs = 30000; // a row takes a few seconds, under the sanitizers too

// What the technician could see while a wait had no end in sight.
struct During {
    bool came = false;    // the moment came at all
    bool waiting = false; // the link was waiting for the printer
    bool shown = false;   // the page that waits was on screen
    bool other = false;   // what the row looks at besides
};

int countOf(Sim::SimulatedPrinter& printer, const QByteArray& command) {
    int n = 0;
    for (const Sim::TranscriptEntry& e : printer.transcript())
        n += e.bytes == command ? 1 : 0;
    return n;
}

Sim::PrinterConfig quickPrinter() {
    Sim::PrinterConfig config;
    config.calibrationTimeMs = 20;
    return config;
}

Sim::PrinterConfig printerAt57600() {
    Sim::PrinterConfig config;
    config.speed = 57600;
    return config;
}

QString help(Page& page) {
    return page.helpPane()->currentPath().section(QLatin1Char('/'), -1);
}

QString buttons(const Step3& page) {
    return QString(page.Calibrate->isEnabled() ? "C" : "-") + (page.Back->isEnabled() ? "B" : "-") +
           (page.Exit->isEnabled() ? "E" : "-");
}

} // namespace

Q_DECLARE_METATYPE(Wait)
Q_DECLARE_METATYPE(FaultBench::Fault)

class TstFaultMatrix : public QObject {
    Q_OBJECT

private slots:
    void matrix_data();
    void matrix();

private:
    void drive(Bench& bench, Wait wait, Fault fault);
    void presenceTest(Bench& bench, Fault fault);
    void loaderCheck(Bench& bench, Fault fault);
    void identification(Bench& bench, Fault fault);
    void configurationByte(Bench& bench, Fault fault);
    void extensionCheck(Bench& bench, Fault fault);
    void modeRead(Bench& bench, Fault fault);
    void calibrationPage(Bench& bench, Fault fault, Wait wait);
    void monitorOpening(Bench& bench, Fault fault, Wait wait);
    void tickReadings(Bench& bench, Fault fault, Sensor sensor);

    // Detection
    void search(Bench& bench);
    PortSelection& manualDetection(Bench& bench);
    void checkSearchEnded(Bench& bench, bool found);
    // The monitor
    void leaveMonitorMidTick(Bench& bench, Sim::SimulatedPrinter& printer, const QByteArray& tickCommand);
    void checkSpeedRestored(Bench& bench, Sim::SimulatedPrinter& printer);
    // Off the page the fault left the technician on, back to the sensor page, then Exit.
    void wayOut(Bench& bench);
};

void TstFaultMatrix::matrix_data() {
    QTest::addColumn<Wait>("wait");
    QTest::addColumn<Fault>("fault");
    const QList<Wait> waits{Wait::Presence,      Wait::LoaderCheck,    Wait::Identification,
                            Wait::Configuration, Wait::Extension,      Wait::ModeRead,
                            Wait::PaperStatus,   Wait::CalibrationEnd, Wait::ParameterBlock,
                            Wait::FirstReading,  Wait::Tick,           Wait::NearEndTick};
    const QList<Fault> faults{Fault::Silence, Fault::Extra,   Fault::Short,
                              Fault::Slow,    Fault::Garbage, Fault::Vanish};
    for (Wait wait : waits)
        for (Fault fault : faults)
            QTest::newRow(qPrintable(waitName(wait) + QLatin1Char('/') + faultName(fault))) << wait << fault;
}

void TstFaultMatrix::matrix() {
    QFETCH(Wait, wait);
    QFETCH(Fault, fault);
    Bench bench;
    // A wait that never ends would hang the row with the test under it: after a generous while every
    // wait is ended from outside, and the row fails instead.
    bool stuck = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [&] {
        stuck = true;
        bench.wizard().link().shutDown();
    });
    guard.start(kStuckMs);
    drive(bench, wait, fault);
    QVERIFY2(!stuck, "a wait never ended by itself or by the way out");
}

void TstFaultMatrix::drive(Bench& bench, Wait wait, Fault fault) {
    switch (wait) {
    case Wait::Presence:
        return presenceTest(bench, fault);
    case Wait::LoaderCheck:
        return loaderCheck(bench, fault);
    case Wait::Identification:
        return identification(bench, fault);
    case Wait::Configuration:
        return configurationByte(bench, fault);
    case Wait::Extension:
        return extensionCheck(bench, fault);
    case Wait::ModeRead:
        return modeRead(bench, fault);
    case Wait::PaperStatus:
    case Wait::CalibrationEnd:
        return calibrationPage(bench, fault, wait);
    case Wait::ParameterBlock:
    case Wait::FirstReading:
        return monitorOpening(bench, fault, wait);
    case Wait::Tick:
        return tickReadings(bench, fault, Sensor::Printer);
    case Wait::NearEndTick:
        return tickReadings(bench, fault, Sensor::NearEnd);
    }
}

// ---- Detection: bounded waits, one port ----

void TstFaultMatrix::search(Bench& bench) {
    DetectionSteps::shownStep1(bench).Start->click();
}

void TstFaultMatrix::checkSearchEnded(Bench& bench, bool found) {
    SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterFound, found);
    QVERIFY2(DetectionSteps::busyParts(bench).isEmpty(), qPrintable(DetectionSteps::busyParts(bench)));
    QVERIFY(!bench.wizard().link().isWaiting());
    if (found) {
        QCOMPARE(state.PrinterPort, qint16(3));
        QCOMPARE(state.PrinterSpeed, QString("57600"));
        QVERIFY(bench.wizard().step2().isVisible());
    } else {
        QVERIFY(DetectionSteps::showsNotFound(bench.wizard().step1()));
    }
    // The search passes over a port it cannot use without a word; only the found printer is announced.
    for (const MessageBoxes::Seen& box : bench.boxes().seen())
        QCOMPARE(box.icon, QMessageBox::Information);
}

// A lone byte twice is a printer, whatever its value. A late byte, a cut or a doubled reply is not, and
// a late byte must not pass for a printer at a speed it does not run at.
void TstFaultMatrix::presenceTest(Bench& bench, Fault fault) {
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt57600());
    // The device goes while the first speed is tried, and is back before the printer's own speed.
    inject(printer, fault, kPaperStatus, {.slowMs = 400, .vanishReplyDelayMs = 0, .backAfterMs = 50});
    search(bench);
    checkSearchEnded(bench, fault == Fault::Garbage || fault == Fault::Vanish);
    if (QTest::currentTestFailed()) return;
    exitWizard(bench);
}

// Only a lone CAN within the look is the firmware loader. Anything else is no loader: the search goes
// on, and a printer in its loader answers no status request, so nothing is found and the program lives.
void TstFaultMatrix::loaderCheck(Bench& bench, Fault fault) {
    Sim::PrinterConfig config = printerAt57600();
    // A device that vanishes during the look and comes back is a working printer: the search finds it.
    config.loaderMode = fault != Fault::Vanish;
    Sim::SimulatedPrinter& printer = bench.printer(3, config);
    inject(printer, fault, kCancel, {.slowMs = 400, .vanishReplyDelayMs = 0, .backAfterMs = 50});
    search(bench);
    QVERIFY(!bench.ended());
    checkSearchEnded(bench, fault == Fault::Vanish);
    if (QTest::currentTestFailed()) return;
    exitWizard(bench);
}

PortSelection& TstFaultMatrix::manualDetection(Bench& bench) {
    DetectionSteps::shownStep1(bench).ManualDetect->click();
    PortSelection& page = bench.wizard().portSelection();
    page.control<QRadioButton>(QStringLiteral("COM3"))->setChecked(true);
    return page;
}

void TstFaultMatrix::identification(Bench& bench, Fault fault) {
    Sim::SimulatedPrinter& printer = bench.printer(3);
    PortSelection& page = manualDetection(bench);
    inject(printer, fault, kIdentification, {.shortBy = 10, .slowMs = 400, .vanishReplyDelayMs = 200});
    page.DetectSerialPrinter->click();

    const bool found = fault == Fault::Extra || fault == Fault::Short || fault == Fault::Garbage;
    const QString status = page.DetectedPrinter->text();
    QCOMPARE(bench.wizard().state().PrinterFound, found);
    QCOMPARE(page.Next->isEnabled(), found);
    if (fault == Fault::Extra) QCOMPARE(status, "SIM-80 Receipt found" + kOnCom3At9600);
    if (fault == Fault::Short) QCOMPARE(status, "SIM-80 found" + kOnCom3At9600);
    if (fault == Fault::Garbage) QVERIFY2(status.endsWith(" found" + kOnCom3At9600), qPrintable(status));
    if (!found) QCOMPARE(status, "No printer found" + kOnCom3At9600);
    QCOMPARE(portProblemsTold(bench), fault == Fault::Vanish ? 1 : 0);
    QCOMPARE(int(bench.boxes().seen().size()), found || fault == Fault::Vanish ? 1 : 0);
    QVERIFY(page.DetectSerialPrinter->isEnabled());
    QVERIFY(!bench.wizard().link().isWaiting());
    QVERIFY(portClosed(bench));

    if (fault == Fault::Slow || fault == Fault::Vanish) {
        // The late reply has landed on a closed port, or the device is back under its name: the next
        // try sees the printer as it is.
        QTRY_VERIFY(printer.isPresent());
        printer.setFaults({});
        QTest::qWait(450);
        page.DetectSerialPrinter->click();
        QCOMPARE(page.DetectedPrinter->text(), "SIM-80 Receipt found" + kOnCom3At9600);
        QCOMPARE(bench.wizard().state().PrinterHandshake, qint16(1));
    }
    exitWizard(bench);
}

// A missing or unexpected configuration byte is no failure: the hardware flow control is kept.
void TstFaultMatrix::configurationByte(Bench& bench, Fault fault) {
    Sim::SimulatedPrinter& printer = bench.printer(3); // XON/XOFF
    PortSelection& page = manualDetection(bench);
    inject(printer, fault, kConfiguration, {.slowMs = 300});
    page.DetectSerialPrinter->click();

    SharedState& state = bench.wizard().state();
    QCOMPARE(page.DetectedPrinter->text(), "SIM-80 Receipt found" + kOnCom3At9600);
    QVERIFY(state.PrinterFound);
    if (fault == Fault::Extra) QCOMPARE(state.PrinterHandshake, qint16(1));
    if (fault != Fault::Extra && fault != Fault::Garbage) QCOMPARE(state.PrinterHandshake, qint16(2));
    QCOMPARE(page.serialhandshakeconf->currentIndex(), state.PrinterHandshake - 1);
    QCOMPARE(portProblemsTold(bench), fault == Fault::Vanish ? 1 : 0);
    QVERIFY(page.DetectSerialPrinter->isEnabled());
    QVERIFY(!bench.wizard().link().isWaiting());
    QVERIFY(portClosed(bench));

    if (fault == Fault::Slow || fault == Fault::Vanish) {
        QTRY_VERIFY(printer.isPresent());
        printer.setFaults({});
        QTest::qWait(350);
        page.DetectSerialPrinter->click();
        QCOMPARE(state.PrinterHandshake, qint16(1)); // the late byte did not linger
    }
    exitWizard(bench);
}

// ---- The sensor pages: waits without a time limit ----

// Silence and a cut reply leave Step2 waiting with its buttons alive: Exit ends the program from inside
// the wait, Back returns to Step1.
void TstFaultMatrix::extensionCheck(Bench& bench, Fault fault) {
    Sim::SimulatedPrinter& printer = SensorSteps::printerAtStep2(bench, quickPrinter());
    SensorSteps::choose(bench, Sensor::NearEnd, Action::Monitor);
    Step2& page = SensorSteps::step2(bench);
    inject(printer, fault, kExtensionPresence);
    During during;
    if (leavesWaiting(fault))
        whenHeard(
            printer, kExtensionPresence,
            [&] {
                during = {true, bench.wizard().link().isWaiting(), page.isVisible(), false};
                (fault == Fault::Silence ? page.Exit : page.Back)->click();
            },
            200);
    page.Next->click();
    QTRY_VERIFY(!bench.wizard().link().isWaiting());
    QVERIFY(portClosed(bench));

    if (leavesWaiting(fault)) {
        QVERIFY(during.came && during.waiting && during.shown);
        if (fault == Fault::Silence) {
            QVERIFY(bench.ended());
            return;
        }
        QVERIFY(bench.wizard().step1().isVisible());
        QVERIFY(!page.isVisible());
        return exitWizard(bench);
    }
    if (fault == Fault::Vanish) {
        QCOMPARE(portProblemsTold(bench), 1);
        QVERIFY(page.isVisible());
        QVERIFY(page.Next->isEnabled());
        // The adapter is back: Next asks again and goes on.
        QTRY_VERIFY(printer.isPresent());
        printer.setFaults({});
        page.Next->click();
    }
    const bool absent =
        bench.boxes().texts().contains("The Near End Of Paper extension has not been detected !\r\nCan not "
                                       "calibrate or monitor the Near End Of "
                                       "Paper opto-sensor.");
    QVERIFY(fault == Fault::Garbage || !absent); // only a random 0 says "absent"
    if (!absent) {
        QVERIFY(bench.wizard().loadedMonitorFrm());
        QVERIFY(bench.wizard().loadedMonitorFrm()->isVisible());
    }
    wayOut(bench);
}

// The mode page is shown while Init waits; Next stays off until a mode is known.
void TstFaultMatrix::modeRead(Bench& bench, Fault fault) {
    Sim::SimulatedPrinter& printer = SensorSteps::printerAtStep2(bench, quickPrinter());
    SensorSteps::choose(bench, Sensor::Printer, Action::Calibrate);
    ChanReflectModeFrm& mode = bench.wizard().chanReflectModeFrm();
    inject(printer, fault, kOptoParameters, {.shortBy = 2});
    During during;
    if (leavesWaiting(fault))
        whenHeard(
            printer, kOptoParameters,
            [&] {
                during = {true, bench.wizard().link().isWaiting(), mode.isVisible(), !mode.Next->isEnabled()};
                (fault == Fault::Silence ? mode.Exit : mode.Back)->click();
            },
            200);
    SensorSteps::step2(bench).Next->click();
    QTRY_VERIFY(!bench.wizard().link().isWaiting());
    QVERIFY(portClosed(bench));

    if (leavesWaiting(fault)) {
        QVERIFY(during.came && during.waiting && during.shown);
        QVERIFY2(during.other, "Next was offered before the mode was known");
        if (fault == Fault::Silence) {
            QVERIFY(bench.ended());
            return;
        }
        QVERIFY(SensorSteps::step2(bench).isVisible());
        QVERIFY(!mode.isVisible());
        return exitWizard(bench);
    }
    QVERIFY(mode.isVisible());
    if (fault == Fault::Vanish) {
        QCOMPARE(portProblemsTold(bench), 1);
        QVERIFY(!mode.Next->isEnabled());
        QVERIFY(!mode.Reflect->isChecked() && !mode.Transmit->isChecked());
        // Back, and the next arrival reads the mode from the device that came back.
        QTRY_VERIFY(printer.isPresent());
        printer.setFaults({});
        mode.Back->click();
        SensorSteps::step2(bench).Next->click();
    }
    if (fault == Fault::Garbage)
        QVERIFY(mode.Reflect->isChecked() != mode.Transmit->isChecked());
    else
        QVERIFY(mode.Reflect->isChecked() && !mode.Transmit->isChecked());
    QVERIFY(mode.Next->isEnabled());
    QVERIFY(portClosed(bench));
    wayOut(bench);
}

// Back and Exit are off while the printer works; after a while without an answer they come back, and the
// close box works throughout. Silence: Exit once it is back. A cut reply: the close box.
void TstFaultMatrix::calibrationPage(Bench& bench, Fault fault, Wait wait) {
    Sim::SimulatedPrinter& printer = SensorSteps::printerAtStep2(bench, quickPrinter());
    SensorSteps::choose(bench, Sensor::Printer, Action::Calibrate);
    SensorSteps::step2(bench).Next->click();
    bench.wizard().chanReflectModeFrm().Next->click();
    QPointer<Step3> page = bench.wizard().loadedStep3();
    QVERIFY(page);
    page->setPatienceMs(kPatienceMs);
    const QByteArray command = wait == Wait::PaperStatus ? kPaperStatus : kCalibratePrinter;
    inject(printer, fault, command);
    During during;
    if (leavesWaiting(fault))
        whenHeard(
            printer, command,
            [&] {
                if (!page) return;
                during = {true, bench.wizard().link().isWaiting(), page->isVisible(),
                          page->Exit->isEnabled()};
                if (fault == Fault::Silence && page->Exit->isEnabled())
                    page->Exit->click();
                else
                    page->close();
            },
            kPatienceMs + 250);
    page->Calibrate->click();
    QTRY_VERIFY(!bench.wizard().link().isWaiting());

    if (leavesWaiting(fault)) {
        QVERIFY(during.came && during.waiting && during.shown);
        QVERIFY2(during.other, "Exit did not come back while the printer stayed silent");
        QVERIFY(portClosed(bench));
        if (fault == Fault::Silence) {
            QVERIFY(bench.ended());
            return;
        }
        QVERIFY(!bench.wizard().loadedStep3());
        QVERIFY(SensorSteps::step2(bench).isVisible());
        QTRY_VERIFY(!page);
        return exitWizard(bench);
    }
    QVERIFY(page && page->isVisible());
    if (fault == Fault::Vanish) {
        QCOMPARE(portProblemsTold(bench), 1);
        QCOMPARE(buttons(*page), QString("CBE"));
        QCOMPARE(help(*page), QString("Step3Printer.html"));
        QVERIFY(portClosed(bench));
        QTRY_VERIFY(printer.isPresent());
        printer.setFaults({});
        page->Calibrate->click();
    }
    const bool warned = bench.boxes().texts().contains(QStringLiteral(
        "It seems that the paper is not removed from the printer.\r\nPlease, remove it.\r\n\r\nNote: If the "
        "opto-sensor is not well calibrated, the paper detection\r\nmay not be correct. In that case, click "
        "on "
        "cancel."));
    // A random status with bit 2 clear reads as paper: OK at the warning stops with the port open.
    QVERIFY(!warned || (fault == Fault::Garbage && wait == Wait::PaperStatus));
    if (warned) {
        QCOMPARE(buttons(*page), QString("CBE"));
    } else {
        QCOMPARE(help(*page), QString("Congratulation.html"));
        QCOMPARE(buttons(*page), QString("-BE"));
        QVERIFY(portClosed(bench));
    }
    wayOut(bench);
}

// ---- The monitor ----

void TstFaultMatrix::leaveMonitorMidTick(Bench& bench, Sim::SimulatedPrinter& printer,
                                         const QByteArray& tickCommand) {
    MonitorFrm* monitor = bench.wizard().loadedMonitorFrm();
    QVERIFY(monitor);
    QPointer<MonitorFrm> page(monitor);
    whenHeard(
        printer, tickCommand,
        [page] {
            if (page) page->Back->click();
        },
        20);
    QTRY_VERIFY(!bench.wizard().loadedMonitorFrm());
    QTRY_VERIFY(!bench.wizard().link().isWaiting());
    QVERIFY(portClosed(bench));
    QVERIFY(SensorSteps::step2(bench).isVisible());
    QTRY_VERIFY(!page);
    QTRY_VERIFY(freeForOthers());
}

void TstFaultMatrix::checkSpeedRestored(Bench& bench, Sim::SimulatedPrinter& printer) {
    const Sim::TranscriptEntry last = printer.transcript().last();
    QCOMPARE(last.bytes, setSpeed(0x03));
    QCOMPARE(last.lineSpeed, 57600);
    QCOMPARE(printer.model().speed(), 9600);
    QCOMPARE(bench.wizard().state().PrinterSpeed, QString("9600"));
    QCOMPARE(bench.wizard().state().PrinterHandshake, qint16(1));
}

// The read-out at opening runs before the page is shown: a silent printer is given up after a while and
// told; the page opens all the same and its ticks keep asking.
void TstFaultMatrix::monitorOpening(Bench& bench, Fault fault, Wait wait) {
    Sim::SimulatedPrinter& printer = SensorSteps::printerAtStep2(bench, quickPrinter());
    SensorSteps::choose(bench, Sensor::Printer, Action::Monitor);
    const QByteArray command = wait == Wait::ParameterBlock ? kOptoParameters : kOptoLevel;
    inject(printer, fault, command);
    SensorSteps::step2(bench).Next->click();

    MonitorFrm* monitor = bench.wizard().loadedMonitorFrm();
    QVERIFY(monitor && monitor->isVisible());
    QVERIFY(!SensorSteps::step2(bench).isVisible());
    if (leavesWaiting(fault)) {
        QCOMPARE(bench.boxes().texts(), QStringList{kNotAnswering});
        QVERIFY(monitor->MonitorTimer->isActive());
        if (wait == Wait::ParameterBlock) QVERIFY(!monitor->CheckParam->isEnabled());
    } else if (fault == Fault::Vanish) {
        QTRY_COMPARE(portProblemsTold(bench), 1);
        QCOMPARE(int(bench.boxes().seen().size()), 1);
        QVERIFY(!monitor->MonitorTimer->isActive());
        QTRY_VERIFY(printer.isPresent());
        monitor->Back->click(); // no tick runs on a halted page
        QTRY_VERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(portClosed(bench));
        checkSpeedRestored(bench, printer); // the device came back in time to hear it
        return exitWizard(bench);
    } else {
        QVERIFY(bench.boxes().seen().empty());
        const int before = countOf(printer, kOptoLevel);
        QTRY_VERIFY(countOf(printer, kOptoLevel) >= before + 3);
    }
    leaveMonitorMidTick(bench, printer, kOptoLevel);
    if (QTest::currentTestFailed()) return;
    checkSpeedRestored(bench, printer);
    exitWizard(bench);
}

// Faults that start while the monitor samples. A tick that gets no reply holds the port; the ticks that
// fall due meanwhile are dropped, never stacked, and Back still ends it.
void TstFaultMatrix::tickReadings(Bench& bench, Fault fault, Sensor sensor) {
    Sim::SimulatedPrinter& printer = SensorSteps::printerAtStep2(bench, quickPrinter());
    SensorSteps::choose(bench, sensor, Action::Monitor);
    SensorSteps::step2(bench).Next->click();
    QPointer<MonitorFrm> monitor = bench.wizard().loadedMonitorFrm();
    QVERIFY(monitor);
    const QByteArray command = sensor == Sensor::Printer ? kOptoLevel : kNearEndState;
    QTRY_VERIFY(countOf(printer, command) >= 3);
    const int before = countOf(printer, command);
    inject(printer, fault, command, {.slowMs = 150});

    if (leavesWaiting(fault)) {
        During during;
        whenHeard(
            printer, command,
            [&] {
                during = {true, bench.wizard().link().isWaiting(), monitor && monitor->isVisible(),
                          countOf(printer, command) == before + 1};
                if (monitor) monitor->Back->click();
            },
            300);
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm());
        QTRY_VERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(during.came && during.waiting && during.shown);
        QVERIFY2(during.other, "a tick asked again while another waited for its reply");
        QVERIFY(portClosed(bench));
        QTRY_VERIFY(!monitor);
        checkSpeedRestored(bench, printer);
        return exitWizard(bench);
    }
    if (fault == Fault::Vanish) {
        QTRY_COMPARE(portProblemsTold(bench), 1);
        QTest::qWait(200);
        QCOMPARE(int(bench.boxes().seen().size()), 1); // told once, and the ticks have stopped
        QVERIFY(!monitor->MonitorTimer->isActive());
        QVERIFY(portClosed(bench));
        QTRY_VERIFY(printer.isPresent());
        monitor->Back->click();
        QTRY_VERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(portClosed(bench));
        checkSpeedRestored(bench, printer);
        return exitWizard(bench);
    }
    QTRY_VERIFY(countOf(printer, command) >= before + 4);
    QVERIFY(bench.boxes().seen().empty());
    if (fault == Fault::Slow) {
        QList<qint64> asked;
        for (const Sim::TranscriptEntry& e : printer.transcript())
            if (e.bytes == command) asked << e.timeMs;
        for (qsizetype i = before + 1; i < asked.size(); ++i)
            QVERIFY2(asked[i] - asked[i - 1] >= 150, "asked again before the reply came");
    }
    if (sensor == Sensor::NearEnd)
        QVERIFY(monitor->StateNEOP->isVisible() != monitor->StateEnough->isVisible());
    for (const StripChart::Stroke& s : monitor->Picture1->strokes())
        QVERIFY(s.to.y() >= -20 && s.to.y() <= 290);
    leaveMonitorMidTick(bench, printer, command);
    if (QTest::currentTestFailed()) return;
    checkSpeedRestored(bench, printer);
    exitWizard(bench);
}

void TstFaultMatrix::wayOut(Bench& bench) {
    Wizard& wizard = bench.wizard();
    for (Page* page = visiblePage(wizard);
         page && (page == wizard.loadedMonitorFrm() || page == wizard.loadedStep3() ||
                  page == wizard.loadedChanReflectModeFrm());
         page = visiblePage(wizard)) {
        leave(*page);
        QVERIFY(visiblePage(wizard) != page);
        QTRY_VERIFY(!wizard.link().isWaiting());
        QVERIFY(portClosed(bench));
    }
    exitWizard(bench);
}

QTEST_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
