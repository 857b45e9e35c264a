#pragma once

// Faults a service bench throws at the wizard, and what must hold however they land: the program goes
// on, the technician has a way out, no port is left open, and a device that went away is told in words
// that name the port.

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "link/link.h"
#include "link/portnames.h"
#include "monitor/monitorfrm.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"
#include "support/bench.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace FaultBench {

inline QByteArray bytes(std::initializer_list<char> list) {
    return QByteArray(list.begin(), int(list.size()));
}
inline const QByteArray kCancel = bytes({0x18});
inline const QByteArray kPaperStatus = bytes({0x1B, 'v'});
inline const QByteArray kIdentification = bytes({0x1B, 'I'});
inline const QByteArray kConfiguration = bytes({0x1D, 'S', 'f', 0x1C});
inline const QByteArray kExtensionPresence = bytes({0x1B, 'n', 'p'});
inline const QByteArray kOptoParameters = bytes({0x1B, 'O'});
inline const QByteArray kCalibratePrinter = bytes({0x1D, 'O', 0x05, 0x05});
inline const QByteArray kOptoLevel = bytes({0x1D, 'o'});
inline const QByteArray kNearEndState = bytes({0x1B, 'n', 's'});
inline const QByteArray kNearEndLevel = bytes({0x1B, 'n', 'l'});
inline QByteArray setSpeed(quint8 configuration) {
    return bytes({0x1D, 'B'}) + char(configuration);
}

enum class Fault { Silence, Extra, Short, Slow, Garbage, Vanish };

inline QString faultName(Fault fault) {
    switch (fault) {
    case Fault::Silence:
        return QStringLiteral("silence");
    case Fault::Extra:
        return QStringLiteral("extra bytes");
    case Fault::Short:
        return QStringLiteral("short reply");
    case Fault::Slow:
        return QStringLiteral("slow reply");
    case Fault::Garbage:
        return QStringLiteral("random bytes");
    case Fault::Vanish:
        return QStringLiteral("device vanishes");
    }
    return {};
}

// How a fault is dealt to one command.
struct Dose {
    int shortBy = 1;  // bytes cut off the end of the reply
    int slowMs = 300; // how late the reply comes
    // The device goes while the reply is on its way (it never comes), and is back this much later.
    int vanishReplyDelayMs = 300;
    int backAfterMs = 100;
};

// Runs the action from the event loop once the printer has heard the command (whether it acted on it
// or not) as many times more as `nth` says, `afterMs` later.
inline void whenHeard(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action,
                      int afterMs = 0, int nth = 1) {
    auto seen = std::make_shared<int>(0);
    Sim::SimulatedPrinter* host = &printer; // the timer dies with the printer, before the test's locals
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                                   [=](const Sim::TranscriptEntry& entry) {
                                       if (entry.bytes != command || ++*seen < nth) return;
                                       QObject::disconnect(*connection);
                                       // Never inside the printer's own read: the action may wait.
                                       QTimer::singleShot(afterMs, host, action);
                                   });
}

// From the next time the printer hears the command on.
inline void inject(Sim::SimulatedPrinter& printer, Fault fault, const QByteArray& command, Dose dose = {}) {
    const QByteArray extra = bytes({0x55, 0x00, char(0xAA)});
    switch (fault) {
    case Fault::Silence:
        printer.setFaults({.silentFrom = command});
        return;
    case Fault::Extra:
        printer.setFaults({.onlyFor = command, .extraBytes = extra});
        return;
    case Fault::Short:
        printer.setFaults({.onlyFor = command, .missingBytes = dose.shortBy});
        return;
    case Fault::Slow:
        printer.setFaults({.onlyFor = command, .delayMs = dose.slowMs});
        return;
    case Fault::Garbage:
        printer.setFaults({.onlyFor = command, .randomReply = true});
        return;
    case Fault::Vanish:
        printer.setFaults({.onlyFor = command, .delayMs = dose.vanishReplyDelayMs});
        whenHeard(printer, command, [&printer, dose] {
            printer.vanish();
            QTimer::singleShot(dose.backAfterMs, &printer, [&printer] { printer.reappear(); });
        });
        return;
    }
}

// Silence and a cut reply leave a wait without a time limit waiting.
inline bool leavesWaiting(Fault fault) {
    return fault == Fault::Silence || fault == Fault::Short;
}

inline bool portClosed(Bench& bench) {
    return !bench.wizard().state().PortIsOpen && !bench.wizard().link().comm().portOpen();
}

// Another program (a terminal, a second wizard) can open the port: the wizard holds nothing of it at the
// system's level any more. A port whose device is gone is nobody's.
inline bool freeForOthers(int port = 3) {
    if (!PortNames::portExists(port)) return true;
    MSComm other;
    other.setCommPort(port);
    const bool opened = other.open().ok;
    other.close();
    return opened;
}

// A critical box that names the port: how a vanished or refused device is told.
inline int portProblemsTold(Bench& bench, int port = 3) {
    int told = 0;
    for (const MessageBoxes::Seen& box : bench.boxes().seen())
        if (box.icon == QMessageBox::Critical && box.title == QLatin1String("Veltaro 1.0") &&
            box.text.contains(QStringLiteral("COM%1").arg(port)))
            ++told;
    return told;
}

// The wizard page the technician sees (the help window and the parameter sheet aside).
inline Page* visiblePage(Wizard& wizard) {
    const QList<Page*> pages{wizard.loadedMonitorFrm(),         wizard.loadedStep3(),
                             wizard.loadedChanReflectModeFrm(), wizard.loadedStep2(),
                             wizard.loadedPortSelection(),      wizard.loadedStep1()};
    for (Page* page : pages)
        if (page && page->isVisible()) return page;
    return nullptr;
}

// The page shown is left for the one before it, or with its close box where Back is not offered now.
inline void leave(Page& page) {
    auto* back = page.findChild<QPushButton*>(QStringLiteral("Back"));
    if (back && back->isEnabled())
        back->click();
    else
        page.close();
}

// The last way out: Exit on the page shown. The end routine runs, nothing waits any more once the
// handlers have returned, the port is closed, and soon another program can open it. Fails the test (the
// caller checks) otherwise.
inline void exitWizard(Bench& bench, int port = 3) {
    Wizard& wizard = bench.wizard();
    Page* page = visiblePage(wizard);
    QVERIFY2(page, "no wizard page is shown");
    auto* exit = page->findChild<QPushButton*>(QStringLiteral("Exit"));
    QVERIFY(exit);
    if (!exit->isEnabled()) { // the calibration page while the printer works: its close box first
        leave(*page);
        return exitWizard(bench, port);
    }
    exit->click();
    QVERIFY(bench.ended());
    QTRY_VERIFY(!wizard.link().isWaiting());
    QVERIFY(portClosed(bench));
    QTRY_VERIFY(freeForOthers(port));
}

} // namespace FaultBench
