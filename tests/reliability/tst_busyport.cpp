// A port that another program holds open, at every place where the wizard opens the port. The automatic
// search passes over it without a word; everywhere else the technician gets one box with the system's
// reason naming the port, the page stays usable (once the port is free again the same action works),
// and PortIsOpen stays false.
#include "faultbench.h"

#include "detection/detectionsteps.h"
#include "support/sensorsteps.h"

#include <QLabel>
#include <QPointer>
#include <QRadioButton>

using namespace FaultBench;
using SensorSteps::Action;
using SensorSteps::Sensor;

namespace {
enum class Place {
    AutomaticSearch,
    ManualProbe,
    ExtensionCheck,
    ModeRead,
    ModeWrite,
    Calibration,
    MonitorOpening,
    MonitorTick,
    SpeedRestore,
};
constexpr int kPort = SensorSteps::kPort;
} // namespace
Q_DECLARE_METATYPE(Place)

class TstBusyPort : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;
    Sim::SimulatedPrinter* printer = nullptr;

    Wizard& wizard() { return bench->wizard(); }
    SharedState& state() { return wizard().state(); }

    // What the system says when COM3 is opened while the other program holds it.
    QString systemReason() {
        MSComm other;
        other.setCommPort(kPort);
        const MSComm::OpenResult opened = other.open();
        return opened.ok ? QString() : opened.reason;
    }
    // Another program takes the port: COM3 now leads to a device it holds open.
    void takenByAnotherProgram() { bench->holdBusy(kPort); }
    // The other program lets go: COM3 leads to the printer again.
    void freed() { printer->attach(bench->ports().path(), kPort); }

    // One box, critical, titled, naming the port and giving the system's reason.
    void checkTold(const QString& reason) {
        QCOMPARE(int(bench->boxes().seen().size()), 1);
        const MessageBoxes::Seen& box = bench->boxes().seen().front();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QString("Veltaro 1.0"));
        QVERIFY2(box.text.contains("COM3"), qPrintable(box.text));
        QVERIFY2(!reason.isEmpty() && box.text.contains(reason), qPrintable(box.text + " / " + reason));
        QVERIFY(!state().PortIsOpen);
        QVERIFY(!wizard().link().comm().portOpen());
    }

    MonitorFrm& openMonitor() {
        SensorSteps::choose(*bench, Sensor::Printer, Action::Monitor);
        SensorSteps::step2(*bench).Next->click();
        MonitorFrm* monitor = wizard().loadedMonitorFrm();
        Q_ASSERT(monitor);
        return *monitor;
    }

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() {
        printer = nullptr;
        bench.reset();
    }

    void busyPort_data() {
        QTest::addColumn<Place>("place");
        QTest::newRow("automatic search") << Place::AutomaticSearch;
        QTest::newRow("manual probe") << Place::ManualProbe;
        QTest::newRow("extension check") << Place::ExtensionCheck;
        QTest::newRow("mode read") << Place::ModeRead;
        QTest::newRow("mode write") << Place::ModeWrite;
        QTest::newRow("calibration") << Place::Calibration;
        QTest::newRow("monitor opening") << Place::MonitorOpening;
        QTest::newRow("monitor tick") << Place::MonitorTick;
        QTest::newRow("speed restore") << Place::SpeedRestore;
    }

    void busyPort() {
        QFETCH(Place, place);
        Sim::PrinterConfig config;
        config.calibrationTimeMs = 20;
        switch (place) {
        case Place::AutomaticSearch:
        case Place::ManualProbe:
            printer = &bench->printer(kPort, config);
            return detection(place);
        default:
            printer = &SensorSteps::printerAtStep2(*bench, config);
            return sensorPages(place);
        }
    }

private:
    void detection(Place place) {
        takenByAnotherProgram();
        const QString reason = systemReason();
        Step1& step1 = DetectionSteps::shownStep1(*bench);
        if (place == Place::AutomaticSearch) {
            // A second printer on COM4 is found past the busy port; the busy one costs no box.
            Sim::PrinterConfig other;
            other.speed = 115200;
            bench->printer(4, other);
            step1.Start->click();
            QVERIFY(state().PrinterFound);
            QCOMPARE(state().PrinterPort, qint16(4));
            QCOMPARE(bench->boxes().seen().size(), size_t(1));
            QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Information);
            QVERIFY(!wizard().link().comm().portOpen());
            return exitWizard(*bench, 4);
        }
        step1.ManualDetect->click();
        PortSelection& page = wizard().portSelection();
        page.control<QRadioButton>("COM3")->setChecked(true);
        page.DetectSerialPrinter->click();
        checkTold(reason);
        QVERIFY(!state().PrinterFound);
        QVERIFY(!page.Next->isEnabled());
        QVERIFY(DetectionSteps::busyParts(*bench).isEmpty());
        freed();
        page.DetectSerialPrinter->click();
        QVERIFY(state().PrinterFound);
        QCOMPARE(page.DetectedPrinter->text(), QString("SIM-80 Receipt found on COM 3 at 9600 bauds"));
        exitWizard(*bench);
    }

    void sensorPages(Place place) {
        switch (place) {
        case Place::ExtensionCheck:
            return extensionCheck();
        case Place::ModeRead:
        case Place::ModeWrite:
            return modePage(place);
        case Place::Calibration:
            return calibration();
        case Place::MonitorOpening:
            return monitorOpening();
        case Place::MonitorTick:
        case Place::SpeedRestore:
            return monitorRunning(place);
        default:
            QFAIL("not a sensor page");
        }
    }

    void extensionCheck() {
        SensorSteps::choose(*bench, Sensor::NearEnd, Action::Monitor);
        takenByAnotherProgram();
        const QString reason = systemReason();
        Step2& page = SensorSteps::step2(*bench);
        page.Next->click();
        checkTold(reason);
        QVERIFY(page.isVisible());
        QVERIFY(page.Next->isEnabled());
        QVERIFY(!wizard().loadedMonitorFrm());
        freed();
        page.Next->click();
        QVERIFY(wizard().loadedMonitorFrm());
        wizard().loadedMonitorFrm()->Back->click();
        exitWizard(*bench);
    }

    void modePage(Place place) {
        SensorSteps::choose(*bench, Sensor::Printer, Action::Calibrate);
        if (place == Place::ModeRead) takenByAnotherProgram();
        const QString reason = place == Place::ModeRead ? systemReason() : QString();
        SensorSteps::step2(*bench).Next->click();
        ChanReflectModeFrm& mode = wizard().chanReflectModeFrm();
        QVERIFY(mode.isVisible());
        if (place == Place::ModeRead) {
            checkTold(reason);
            QVERIFY(!mode.Next->isEnabled()); // the mode is not known
            freed();
            mode.Back->click();
            SensorSteps::step2(*bench).Next->click();
            QVERIFY(mode.Reflect->isChecked());
            return exitWizard(*bench);
        }
        takenByAnotherProgram();
        const QString busyReason = systemReason();
        mode.Transmit->click();
        mode.Next->click();
        checkTold(busyReason);
        QVERIFY(mode.isVisible());
        QVERIFY(!wizard().loadedStep3());
        QVERIFY(mode.Transmit->isChecked()); // the technician's choice is kept for the next try
        freed();
        mode.Next->click();
        QVERIFY(wizard().loadedStep3());
        QCOMPARE(printer->model().optoParams()[0], quint8(1));
        exitWizard(*bench);
    }

    void calibration() {
        SensorSteps::choose(*bench, Sensor::Printer, Action::Calibrate);
        SensorSteps::step2(*bench).Next->click();
        wizard().chanReflectModeFrm().Next->click();
        Step3* page = wizard().loadedStep3();
        QVERIFY(page);
        takenByAnotherProgram();
        const QString reason = systemReason();
        page->Calibrate->click();
        checkTold(reason);
        QVERIFY(page->Calibrate->isEnabled() && page->Back->isEnabled() && page->Exit->isEnabled());
        QVERIFY(page->helpPane()->currentPath().endsWith("/Step3Printer.html"));
        freed();
        page->Calibrate->click();
        QVERIFY(page->helpPane()->currentPath().endsWith("/Congratulation.html"));
        exitWizard(*bench);
    }

    void monitorOpening() {
        takenByAnotherProgram();
        const QString reason = systemReason();
        MonitorFrm& monitor = openMonitor();
        checkTold(reason);
        QVERIFY(monitor.isVisible());
        QVERIFY(!monitor.MonitorTimer->isActive());
        QCOMPARE(state().PrinterSpeed, QString("9600")); // the printer never heard the switch
        QCOMPARE(state().PrinterHandshake, qint16(1));
        monitor.Back->click();
        QCOMPARE(int(bench->boxes().seen().size()), 1); // nothing to switch back
        QVERIFY(SensorSteps::step2(*bench).isVisible());
        freed();
        MonitorFrm& again = openMonitor();
        QTRY_VERIFY(printer->transcript().size() >= 5);
        QVERIFY(again.MonitorTimer->isActive());
        again.Back->click();
        QCOMPARE(state().PrinterSpeed, QString("9600"));
        exitWizard(*bench);
    }

    // The port is taken while the monitor samples: by the next tick, or while a tick waits for its reply
    // so that Back's speed restore is the first to find it taken.
    void monitorRunning(Place place) {
        MonitorFrm& monitor = openMonitor();
        QPointer<MonitorFrm> page(&monitor);
        QTRY_VERIFY(printer->transcript().size() >= 5); // sampling runs
        QString reason;
        if (place == Place::MonitorTick) {
            takenByAnotherProgram();
            reason = systemReason();
            QTRY_COMPARE(int(bench->boxes().seen().size()), 1);
            QVERIFY(!monitor.MonitorTimer->isActive());
            monitor.Back->click(); // the restore finds the port taken too: told once is enough
        } else {
            printer->setFaults({.onlyFor = kOptoLevel, .delayMs = 200});
            whenHeard(*printer, kOptoLevel, [&] {
                takenByAnotherProgram();
                reason = systemReason();
                if (page) page->Back->click();
            });
            QTRY_VERIFY(!wizard().loadedMonitorFrm());
        }
        QTRY_VERIFY(!wizard().link().isWaiting());
        checkTold(reason);
        // The printer still runs at 57600 with hardware flow control, and the settings say so.
        QCOMPARE(printer->model().speed(), 57600);
        QCOMPARE(state().PrinterSpeed, QString("57600"));
        QCOMPARE(state().PrinterHandshake, qint16(2));
        QVERIFY(SensorSteps::step2(*bench).isVisible());
        QTRY_VERIFY(!page);
        freed();
        exitWizard(*bench);
    }
};

QTEST_MAIN(TstBusyPort)
#include "tst_busyport.moc"
