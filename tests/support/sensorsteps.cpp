#include "sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/page.h"
#include "wizard/wizard.h"

#include <QRadioButton>
#include <QTimer>

#include <memory>

namespace SensorSteps {

Sim::SimulatedPrinter& printerAtStep2(Bench& bench, const Sim::PrinterConfig& config) {
    Sim::SimulatedPrinter& printer = bench.printer(kPort, config);
    bench.detected(kPort, QString::number(config.speed), config.hardwareFlow ? 2 : 1);
    return printer;
}

Step2& step2(Bench& bench) {
    return bench.wizard().step2();
}

void choose(Bench& bench, Sensor sensor, Action action) {
    Step2& page = step2(bench);
    (sensor == Sensor::Printer ? page.PrinterOpto : page.NEOPOpto)->click();
    (action == Action::Monitor ? page.Monitor : page.Calibrate)->click();
}

void onCommand(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                                   [connection, command, action](const Sim::TranscriptEntry& entry) {
                                       if (entry.bytes != command) return;
                                       QObject::disconnect(*connection);
                                       // Not inside the printer's own read: the action may wait.
                                       QTimer::singleShot(0, action);
                                   });
}

QStringList heard(Bench& bench) {
    return bench.commandsHex(kPort);
}

QStringList shownPages(Bench& bench) {
    Wizard& w = bench.wizard();
    const QList<Page*> pages{w.loadedStep1(), w.loadedPortSelection(),
                             w.loadedStep2(), w.loadedChanReflectModeFrm(),
                             w.loadedStep3(), w.loadedMonitorFrm()};
    QStringList names;
    for (Page* page : pages)
        if (page && page->isVisible()) names << page->objectName();
    return names;
}

bool portClosedAndIdle(Bench& bench) {
    Link& link = bench.wizard().link();
    return !bench.wizard().state().PortIsOpen && !link.comm().portOpen() && !link.isWaiting();
}

QList<QMessageBox::Icon> boxIcons(Bench& bench) {
    QList<QMessageBox::Icon> icons;
    for (const MessageBoxes::Seen& box : bench.boxes().seen())
        icons << box.icon;
    return icons;
}

} // namespace SensorSteps
