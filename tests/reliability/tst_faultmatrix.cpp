// A hostile service bench. The core table hits every wait for the printer with each fault: the wait ends
// as the table says (a bounded one by itself, one without a limit only from outside), the port is closed,
// a vanished device is said once naming the port, and the operation works again once the fault is gone.
// The busy-port table has another program hold the port wherever it is opened. The page table adds what
// only pages do: the ways out of a silent wait on each waiting page, one box for a lost or refused port,
// no port held once a page is left.
#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "printer/calibration.h"
#include "printer/detector.h"
#include "printer/sampler.h"
#include "printer/sensorsetup.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "support/bench.h"
#include "wizard/wizard.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using Printer::Sensor;

namespace {

constexpr int kPort = 3;
const QByteArray kCancel("\x18"), kPaperStatus("\x1bv"), kIdentification("\x1bI"),
    kConfiguration("\x1dSf\x1c"), kExtension("\x1bnp"), kOptoParameters("\x1bO"), kCalibrate("\x1dO\x05\x05"),
    kOptoLevel("\x1do"), kNearEndState("\x1bns");

enum class Fault { Silence, Extra, Short, Slow, Garbage, Vanish, Busy }; // Busy: pages only
const char* const kFaultNames[]{"silence", "extra bytes", "short", "slow", "random bytes", "vanish"};

// How a fault is dealt to one command.
struct Dose {
    int shortBy = 1;  // bytes cut off the end of the reply
    int slowMs = 300; // how late the reply comes (it never comes when the device goes on hearing the command)
};

// Runs the action from the event loop `afterMs` after the printer first hears the command; never inside
// the printer's own read, for the action may wait.
void whenHeard(Sim::SimulatedPrinter& printer, const QByteArray& command, int afterMs,
               std::function<void()> action) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                                   [=, host = &printer](const Sim::TranscriptEntry& entry) {
                                       if (entry.bytes != command) return;
                                       QObject::disconnect(*connection);
                                       QTimer::singleShot(afterMs, host, action);
                                   });
}

// From the next time the printer hears the command on. A vanished device is back, sound, 50 ms later.
void inject(Sim::SimulatedPrinter& printer, Fault fault, const QByteArray& command, Dose dose = {}) {
    Sim::Faults faults{.onlyFor = command};
    if (fault == Fault::Silence) faults = {.silentFrom = command};
    if (fault == Fault::Extra) faults.extraBytes = QByteArray("\x55\x00\xaa", 3);
    if (fault == Fault::Short) faults.missingBytes = dose.shortBy;
    if (fault == Fault::Slow) faults.delayMs = dose.slowMs;
    if (fault == Fault::Garbage) faults.randomReply = true;
    if (fault == Fault::Vanish) {
        faults.delayMs = dose.slowMs;
        whenHeard(printer, command, 0, [&printer] {
            printer.vanish();
            QTimer::singleShot(50, &printer, [&printer] {
                printer.reappear();
                printer.setFaults({});
            });
        });
    }
    printer.setFaults(faults);
}

int countOf(const Sim::SimulatedPrinter& printer, const QByteArray& command) {
    return int(std::count_if(printer.transcript().begin(), printer.transcript().end(),
                             [&](const Sim::TranscriptEntry& e) { return e.bytes == command; }));
}

// Another program opening COM3 now (then letting go).
MSComm::OpenResult openedByAnother() {
    MSComm other;
    other.setCommPort(kPort);
    return other.open();
}

// The link settings say what the printer runs at, or the speed switch they owe it is sent where it runs.
bool agree(const SharedState& state, Sim::SimulatedPrinter& printer) {
    const auto at = [&](const QString& speed, qint16 handshake) {
        return speed == QString::number(printer.model().speed()) &&
               handshake == (printer.model().hardwareFlow() ? 2 : 1);
    };
    return at(state.PrinterSpeed, state.PrinterHandshake) ||
           (state.owedSwitch && at(state.owedSwitch->speed, state.owedSwitch->handshake));
}

Sim::PrinterConfig printerAt(int speed = 9600, bool loader = false) {
    return {.speed = speed, .loaderMode = loader, .calibrationTimeMs = 20};
}

// The core as veltaro-cli holds it (state, port object, delay timer, link), and a printer on COM3 that
// detection found at its speed with XON/XOFF.
struct Core {
    TestPortFolder ports;
    SharedState state;
    MSComm comm;
    QTimer timer1;
    Link link{state, comm, timer1};
    Sim::SimulatedPrinter printer;
    QStringList lost; // what the link said of devices that failed under it
    QTimer pace;      // paces nothing: the rows ask for each reading themselves
    std::unique_ptr<Printer::Sampler> sampler;

    explicit Core(const Sim::PrinterConfig& config) : printer(config) {
        state.EscChar = QByteArray(1, Protocol::kEsc);
        state.GsChar = QByteArray(1, Protocol::kGs);
        state.CanChar = QByteArray(1, Protocol::kCan);
        state.PrinterPort = kPort;
        state.PrinterSpeed = QString::number(config.speed);
        state.PrinterHandshake = 1;
        printer.attach(ports.path(), kPort);
        QObject::connect(&link, &Link::portLost, &link, [this](const QString& text) { lost << text; });
    }
    bool portClosed() const { return !state.PortIsOpen && !comm.portOpen(); }
    // The monitor's sampler, the printer switched to its speed; running: past the opening read-out.
    Printer::Status monitor(Sensor sensor, bool running = false) {
        sampler = std::make_unique<Printer::Sampler>(link, sensor);
        const Printer::Status switched = sampler->switchToMonitorSpeed();
        if (running && switched.ok() && sampler->readOpening().ok()) sampler->start(pace);
        return switched;
    }
};

using Said = std::pair<Printer::Status, QString>; // the outcome, and what was read where a row looks

struct Wait {
    const char* name;
    QByteArray command; // whose reply the fault hits
    Sim::PrinterConfig config;
    Dose dose;
    // Per fault, in Fault's order: D done, N no answer, P a port problem, C still waiting when it was
    // ended from outside (or, the device vanished, ended with nothing to say), R done or refused.
    const char* outcomes;
    QStringList values; // what was read, per fault ("": not looked at); extra bytes read as a healthy reply
    std::function<void(Core&)> prepare;
    std::function<Said(Core&)> run;
};

Said probe(Core& core) {
    const Printer::Detector::Detection found = Printer::Detector(core.link).probe(kPort, "9600", 1);
    return {found, found.ok() ? found.printer.name + '/' + QString::number(found.printer.handshake) : ""};
}

const QList<Wait>& waits() {
    using namespace Printer;
    using enum Printer::Sensor;
    const auto search = [](Core& core) {
        const Detector::Detection found = Detector(core.link).search();
        return Said{found, found.status};
    };
    const QString none = "No printer found", at57600 = "SIM-80 Receipt found on COM 3 at 57600 bauds";
    const auto calibrate = [](Core& core) { return Said{Calibration(core.link, PrinterOpto).run(), {}}; };
    const auto opening = [](Core& core) { return Said{core.sampler->readOpening(), {}}; };
    const auto tick = [](Core& core) { return Said{core.sampler->readSample(), {}}; };
    const auto monitor = [](Sensor sensor, bool running) {
        return [=](Core& core) { core.monitor(sensor, running); };
    };
    // clang-format off
    static const QList<Wait> list{
        // The searches: the printer runs at 57600, below the first speed tried. A lone byte twice is a
        // printer, whatever its value; a late (here: at the next speed), cut or doubled one is not. Only a
        // lone CAN is the loader.
        {"presence test", kPaperStatus, printerAt(57600), {.slowMs = 150}, "NNNNDD",
         {none, none, none, none, at57600, at57600}, {}, search},
        {"loader check", kCancel, printerAt(57600, true), {.slowMs = 400}, "NNNNNN", {}, {}, search},
        {"identification", kIdentification, printerAt(), {.shortBy = 10, .slowMs = 400}, "NDDNDP",
         {"", "SIM-80 Receipt/1", "SIM-80/1", "", "", ""}, {}, probe},
        // A missing configuration byte is no failure: the hardware flow control is kept.
        {"configuration byte", kConfiguration, printerAt(), {.slowMs = 600}, "DDDDDD", {"SIM-80 Receipt/2",
         "SIM-80 Receipt/1", "SIM-80 Receipt/2", "SIM-80 Receipt/2", "", "SIM-80 Receipt/2"}, {}, probe},
        {"extension check", kExtension, printerAt(), {}, "CDCDDP", {"", "1", "", "1", "", ""}, {},
         [](Core& c) {
             const Result<bool> fitted = SensorSetup::extensionFitted(c.link);
             return Said{fitted, QString::number(fitted.value)};
         }},
        {"mode read", kOptoParameters, printerAt(), {.shortBy = 2}, "CDCDDP", {"", "0", "", "0", "", ""}, {},
         [](Core& c) {
             const Result<quint8> mode = SensorSetup::readSensorMode(c.link);
             return Said{mode, QString::number(mode.value)};
         }},
        {"paper status", kPaperStatus, printerAt(), {}, "CDCDRP", {}, {}, calibrate},
        {"calibration end", kCalibrate, printerAt(), {}, "CDCDDP", {}, {}, calibrate},
        // The read-out at opening gives up on a silent printer; of a vanished one the monitor hears from
        // the link.
        {"parameter block", kOptoParameters, printerAt(), {}, "NDNDDC", {}, monitor(PrinterOpto, false),
         opening},
        {"first reading", kOptoLevel, printerAt(), {}, "NDNDDC", {}, monitor(PrinterOpto, false), opening},
        {"tick reading", kOptoLevel, printerAt(), {}, "CDCDDC", {}, monitor(PrinterOpto, true), tick},
        {"near-end tick", kNearEndState, printerAt(), {}, "CDCDDC", {}, monitor(NearEnd, true), tick},
    };
    // clang-format on
    return list;
}

enum class Place { Search, Probe, Extension, ModeRead, ModeWrite, Calibration, Opening, Tick, SpeedRestore };

Printer::Status use(Core& core, Place place) {
    using namespace Printer;
    // clang-format off
    switch (place) {
    case Place::Search: return Detector(core.link).search();
    case Place::Probe: return Detector(core.link).probe(kPort, "9600", 1);
    case Place::Extension: return SensorSetup::extensionFitted(core.link);
    case Place::ModeRead: return SensorSetup::readSensorMode(core.link);
    case Place::ModeWrite: return SensorSetup::writeSensorMode(core.link, Protocol::kTransmissive);
    case Place::Calibration: return Calibration(core.link, Sensor::PrinterOpto).run();
    case Place::Opening: return core.monitor(Sensor::PrinterOpto);
    case Place::Tick: return core.sampler->readSample();
    case Place::SpeedRestore: return core.sampler->restoreSpeed();
    }
    // clang-format on
    return {};
}

// The places where the wizard's pages wait for the printer.
enum class Stop { Probe, Extension, ModeRead, PaperStatus, CalibrationEnd, Opening, Tick, NearEndTick };

// Brings the wizard, with the printer on COM3 at 9600, to the page that waits at `stop`. Returns the
// command that is waited on, and what starts the wait (nothing: the monitor's ticks start it themselves).
std::pair<QByteArray, std::function<void()>> reach(Bench& bench, Stop stop) {
    Wizard& wizard = bench.wizard();
    bench.printer(kPort, printerAt());
    if (stop == Stop::Probe) {
        wizard.step1().show();
        wizard.step1().ManualDetect->click();
        PortSelection& page = wizard.portSelection();
        page.control<QRadioButton>(QStringLiteral("COM3"))->setChecked(true);
        return {kIdentification, [&page] { page.DetectSerialPrinter->click(); }};
    }
    bench.detected(kPort, QStringLiteral("9600"), 1);
    Step2& step2 = wizard.step2();
    const bool nearEnd = stop == Stop::Extension || stop == Stop::NearEndTick;
    (nearEnd ? step2.NEOPOpto : step2.PrinterOpto)->click();
    (stop == Stop::Extension || stop >= Stop::Opening ? step2.Monitor : step2.Calibrate)->click();
    const auto next = [&step2] { step2.Next->click(); };
    if (stop == Stop::Extension) return {kExtension, next};
    if (stop == Stop::ModeRead || stop == Stop::Opening) return {kOptoParameters, next};
    next();
    if (stop >= Stop::Tick) return {nearEnd ? kNearEndState : kOptoLevel, {}};
    wizard.chanReflectModeFrm().Next->click();
    Step3& page = *wizard.loadedStep3();
    page.setPatienceMs(150);
    return {stop == Stop::PaperStatus ? kPaperStatus : kCalibrate, [&page] { page.Calibrate->click(); }};
}

// The wizard page on screen (the help window and the parameter sheet aside).
Page* visiblePage(Wizard& wizard) {
    for (Page* page :
         QList<Page*>{wizard.loadedMonitorFrm(), wizard.loadedStep3(), wizard.loadedChanReflectModeFrm(),
                      wizard.loadedStep2(), wizard.loadedPortSelection(), wizard.loadedStep1()})
        if (page && page->isVisible()) return page;
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(Stop)
Q_DECLARE_METATYPE(Fault)

class TstFaultMatrix : public QObject {
    Q_OBJECT

private slots:
    void core_data() {
        QTest::addColumn<int>("wait");
        QTest::addColumn<int>("fault");
        for (int w = 0; w < waits().size(); ++w)
            for (int f = 0; f <= int(Fault::Vanish); ++f)
                QTest::addRow("%s/%s", waits()[w].name, kFaultNames[f]) << w << f;
    }

    void core() {
        QFETCH(int, wait);
        QFETCH(int, fault);
        const Wait& w = waits()[wait];
        const char expected = w.outcomes[fault];
        const bool vanish = Fault(fault) == Fault::Vanish, search = w.config.speed == 57600;
        bool stuck = false;
        Core core(w.config);
        // A wait that never ends would hang the row with the test under it: it fails instead.
        QTimer::singleShot(20000, &core.link, [&] { stuck = true, core.link.shutDown(); });
        if (w.prepare) w.prepare(core);
        inject(core.printer, Fault(fault), w.command, w.dose);
        if (expected == 'C' && !vanish)
            whenHeard(core.printer, w.command, 400, [&] { core.link.cancelWaits(); });

        const auto [status, value] = w.run(core);
        QVERIFY2(!stuck, "a wait never ended");
        const char got = "DCPNRL"[int(status.outcome)];
        QVERIFY2(got == expected || (expected == 'R' && got == 'D'), qPrintable(QChar(got) + status.problem));
        if (!w.values.isEmpty() && !w.values[fault].isEmpty()) QCOMPARE(value, w.values[fault]);
        // The caller closes the port after a wait it ended, and keeps it open while paper is in the way.
        if ((got != 'C' || vanish) && got != 'R') QVERIFY(core.portClosed());
        QCOMPARE(core.lost.size(), vanish ? 1 : 0);
        if (vanish) QVERIFY(core.lost.front().contains("COM3"));
        QCOMPARE(status.problem.contains("COM3"), vanish && !search && got != 'C'); // the loss is said
        if (search) return;

        // The fault is gone (a late reply has landed on the closed port): the same operation works.
        core.link.ClosePrinterPort();
        QTRY_VERIFY(core.printer.isPresent());
        core.printer.setFaults({});
        if (vanish || Fault(fault) == Fault::Slow) QTest::qWait(w.dose.slowMs + 100);
        const Said again = w.run(core);
        QCOMPARE(again.first.outcome, Printer::Outcome::Done);
        if (!w.values.isEmpty()) QCOMPARE(again.second, w.values[int(Fault::Extra)]);
        QVERIFY(core.portClosed());
        if (core.sampler) QVERIFY(core.sampler->restoreSpeed().ok());
        QVERIFY(agree(core.state, core.printer) && core.printer.model().speed() == 9600);
    }

    void busyPort_data() {
        QTest::addColumn<Place>("place");
        const char* const names[]{"search",    "probe",      "extension check",
                                  "mode read", "mode write", "calibration",
                                  "opening",   "tick",       "speed restore"};
        for (int p = 0; p <= int(Place::SpeedRestore); ++p)
            QTest::newRow(names[p]) << Place(p);
    }

    // The automatic search passes over the busy port without a word; everywhere else the port problem
    // gives the system's reason and names the port, and once the port is free the same step works.
    void busyPort() {
        QFETCH(Place, place);
        Core core(printerAt());
        Sim::SimulatedPrinter beyond(printerAt(115200));
        if (place == Place::Search) beyond.attach(core.ports.path(), 4);
        if (place >= Place::Tick) core.monitor(Sensor::PrinterOpto, true);
        RawPty other;
        core.ports.setPort(kPort, other.slavePath());
        MSComm holder;
        holder.setCommPort(kPort);
        QVERIFY(holder.open().ok);

        const Printer::Status refused = use(core, place);
        QVERIFY(core.portClosed());
        if (place == Place::Search) { // the printer beyond it is found, and not a word of the busy port
            QVERIFY(refused.ok() && refused.problem.isEmpty() && core.state.PrinterPort == 4);
            return;
        }
        QCOMPARE(refused.outcome, Printer::Outcome::PortProblem);
        QVERIFY2(refused.problem.contains("COM3") && refused.problem.contains(openedByAnother().reason),
                 qPrintable(refused.problem));
        QVERIFY(agree(core.state, core.printer));
        core.printer.attach(core.ports.path(), kPort); // the other program lets go
        QVERIFY(use(core, place == Place::Tick ? Place::SpeedRestore : place).ok());
        if (core.sampler) QVERIFY(core.sampler->restoreSpeed().ok());
        QVERIFY(agree(core.state, core.printer) && core.printer.model().speed() == 9600);
        if (place == Place::ModeWrite) QCOMPARE(core.printer.model().optoParams()[0], quint8(1));
    }

    void pages_data() {
        QTest::addColumn<Stop>("stop");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("way");
        QTest::newRow("extension check/silence/Exit") << Stop::Extension << Fault::Silence << "Exit";
        QTest::newRow("extension check/silence/Back") << Stop::Extension << Fault::Silence << "Back";
        QTest::newRow("mode read/silence/Exit") << Stop::ModeRead << Fault::Silence << "Exit";
        QTest::newRow("mode read/silence/Back") << Stop::ModeRead << Fault::Silence << "Back";
        QTest::newRow("paper status/silence/Exit") << Stop::PaperStatus << Fault::Silence << "Exit";
        QTest::newRow("calibration end/silence/close box")
            << Stop::CalibrationEnd << Fault::Silence << "close box";
        QTest::newRow("tick/silence/Back") << Stop::Tick << Fault::Silence << "Back";
        QTest::newRow("near-end tick/silence/Exit") << Stop::NearEndTick << Fault::Silence << "Exit";
        const char* const names[]{"probe",           "extension check", "mode read", "paper status",
                                  "calibration end", "monitor opening", "tick",      "near-end tick"};
        for (int stop = 0; stop <= int(Stop::NearEndTick); ++stop)
            QTest::addRow("%s/vanish", names[stop]) << Stop(stop) << Fault::Vanish << "Back";
        // The tick finds the port taken, and so does the speed restore of Back: told once is enough.
        QTest::newRow("tick/busy") << Stop::Tick << Fault::Busy << "Back";
    }

    void pages() {
        QFETCH(Stop, stop);
        QFETCH(Fault, fault);
        QFETCH(QString, way);
        Bench bench;
        Wizard& wizard = bench.wizard();
        const auto [wanted, start] = reach(bench, stop);
        const QByteArray command = wanted;
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        if (!start) QTRY_VERIFY(countOf(printer, command) >= 3); // the monitor samples
        const int asked = countOf(printer, command);
        if (fault == Fault::Busy) bench.holdBusy(kPort);
        if (fault != Fault::Busy) inject(printer, fault, command);
        const QString reason = fault == Fault::Busy ? openedByAnother().reason : QString();
        const auto leave = [&way](Page& page) { // the close box also where the way named is not offered
            auto* button = page.findChild<QPushButton*>(way);
            if (button && button->isEnabled()) return button->click();
            page.close();
        };
        QPointer<Page> waiting;
        std::optional<QStringList> amiss; // while the wait had no end in sight
        if (fault == Fault::Silence)
            whenHeard(printer, command, 400, [&] {
                waiting = visiblePage(wizard);
                const auto* next = waiting->findChild<QPushButton*>("Next");
                const auto* button = waiting->findChild<QPushButton*>(way);
                amiss = QStringList();
                if (!wizard.link().isWaiting()) *amiss << "not waiting";
                if (next && next->isEnabled()) *amiss << "Next offered";
                if (button && !button->isEnabled()) *amiss << way + " not offered";
                if (countOf(printer, command) != asked + 1) *amiss << "asked again meanwhile";
                leave(*waiting);
            });
        if (fault == Fault::Silence && !start) // a tick forced in the middle of the wait must not ask again
            whenHeard(printer, command, 200, [&] {
                QMetaObject::invokeMethod(wizard.loadedMonitorFrm(), "MonitorTimer_Timer",
                                          Qt::QueuedConnection);
            });
        if (start) start();

        if (fault == Fault::Silence) {
            QTRY_VERIFY(amiss);
            QVERIFY2(amiss->isEmpty(), qPrintable(amiss->join(", ")));
        } else {
            QTRY_COMPARE(bench.boxes().seen().size(), size_t(1));
            const MessageBoxes::Seen box = bench.boxes().seen().front();
            QVERIFY2(box.icon == QMessageBox::Critical && box.title == "Veltaro 1.0" &&
                         box.text.contains("COM3") && box.text.contains(reason),
                     qPrintable(box.text));
            const int before = countOf(printer, command);
            QTest::qWait(200);
            QVERIFY2(countOf(printer, command) == before, "the printer is still asked after the loss");
            if (MonitorFrm* monitor = wizard.loadedMonitorFrm()) QVERIFY(!monitor->MonitorTimer->isActive());
            QVERIFY(!wizard.state().PortIsOpen && !wizard.link().comm().portOpen());
            QTRY_VERIFY(printer.isPresent());
            leave(*(waiting = visiblePage(wizard)));
        }
        // The page is left or the program ended; nothing waits, and another program can have the port.
        QTRY_VERIFY(!wizard.link().isWaiting());
        QVERIFY(!wizard.state().PortIsOpen && !wizard.link().comm().portOpen());
        if (fault == Fault::Busy) printer.attach(bench.ports().path(), kPort); // the other program lets go
        QTRY_VERIFY(openedByAnother().ok);
        QCOMPARE(bench.ended(), way == "Exit");
        if (!bench.ended()) {
            QVERIFY(!waiting || !waiting->isVisible());
            visiblePage(wizard)->findChild<QPushButton*>("Exit")->click();
            QVERIFY(bench.ended());
        }
        QCOMPARE(int(bench.boxes().seen().size()), fault == Fault::Silence ? 0 : 1);
        QVERIFY(!wizard.state().PrinterFound || agree(wizard.state(), printer));
        QCOMPARE(printer.model().speed(), fault == Fault::Busy ? 57600 : 9600);
    }
};

QTEST_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
