// The automatic search: wake every port, look for a printer stuck in its firmware loader, then try every
// port at every speed, fastest first, and probe the first printer that answers.
#include "portselection.h"

#include "link/protocol.h"
#include "shell/messages.h"
#include "shell/wizard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>

namespace {
constexpr qint16 kFirstPort = 1;
constexpr qint16 kLastPort = 6;
constexpr qint16 kWakeUpPauseMs = 1000; // a printer woken by the NUL needs this long before it listens
constexpr qint16 kStatusReplyMs = 100;
// The wake-up and the loader check run here, without flow control: the firmware loader listens at no other.
const QString kLoaderSpeed = QStringLiteral("57600");
constexpr int kNoHandshake = 0;
constexpr qint16 kScanHandshakeIndex = PortSelection::HardwareEntry;

// Fastest first: a printer that answers at several speeds is found at the highest.
const QStringList& scanSpeeds() {
    static const QStringList speeds{"115200", "57600", "38400", "28800", "19200",
                                    "9600",   "4800",  "2400",  "1200"};
    return speeds;
}
} // namespace

void PortSelection::Autodetect_Click() {
    SetBusy(true);
    m_work = Work::Searching;
    m_stopRequested = false;
    state().PrinterFound = false;
    setDetectedPrinter(QStringLiteral("Trying to wake-up the printer"));
    if (!wakeUpPorts() || stopped(link().Delay(kWakeUpPauseMs))) return giveUpSearch();

    const BiosCheck bios = checkBiosMode();
    if (bios == BiosCheck::LoaderFound) return; // the program has ended
    if (bios == BiosCheck::Stopped) return giveUpSearch();

    const ScanResult scan = scanSpeedsAndPorts();
    if (scan.stopped) return giveUpSearch();
    if (state().PrinterFound) {
        const ProbeResult probe = ProbePrinter(scan.port, scan.speed, kScanHandshakeIndex);
        if (probe.abandoned || stopRequested()) return giveUpSearch();
        setDetectedPrinter(probe.status);
    } else {
        setDetectedPrinter(QStringLiteral("No printer found"));
        ClearPrinterFound();
    }
    m_work = Work::Idle;
    SetBusy(false);
}

void PortSelection::giveUpSearch() {
    if (wizard().isEnding()) return;
    giveUpPort();
    m_work = Work::Idle;
    SetBusy(false);
}

bool PortSelection::wakeUpPorts() {
    for (qint16 n = kFirstPort; n <= kLastPort; ++n) {
        // Closing a port lets timers run, and with them whatever ends the program or leaves the page.
        if (stopRequested()) return false;
        // A port that cannot be opened (held by another program) is left alone.
        if (!link().PortExists(n) || !openAt(n, kLoaderSpeed, kNoHandshake)) continue;
        comm().setInputLen(kReadLength);
        comm().output(link().commands().wakeUp());
        comm().close();
    }
    return true;
}

PortSelection::BiosCheck PortSelection::checkBiosMode() {
    for (qint16 n = kFirstPort; n <= kLastPort; ++n) {
        if (stopRequested()) return BiosCheck::Stopped;
        if (!link().PortExists(n)) continue;
        setDetectedPrinter(QStringLiteral("Attempting to contact printer in BIOS mode on COM") +
                           portDigit(n));
        QCoreApplication::processEvents(); // so that the text shows before the port is tried
        if (stopRequested()) return BiosCheck::Stopped;
        if (!openAt(n, kLoaderSpeed, kNoHandshake)) continue;
        comm().setInputLen(kReadLength);
        comm().output(link().commands().cancel());
        const InputWait wait = link().WaitForInput();
        if (wait == InputWait::Cancelled || stopRequested()) return BiosCheck::Stopped;
        // The loader echoes a lone CAN; anything more is a printer saying something else.
        if (wait == InputWait::Arrived && comm().input() == link().commands().cancel()) {
            reportFirmwareLoader();
            return BiosCheck::LoaderFound;
        }
        comm().close();
    }
    return BiosCheck::NoLoader;
}

void PortSelection::reportFirmwareLoader() {
    state().PrinterFound = true;
    comm().close();
    Messages::show(boxParent(),
                   QStringLiteral("The previous firmware upgrade has not been completed \r\n"
                                  "successfully, or the firmware has been corrupted.\r\n\r\n"
                                  "Please, flash the printer firmware."),
                   QMessageBox::Critical);
    wizard().endProgram();
}

PortSelection::ScanResult PortSelection::scanSpeedsAndPorts() {
    ScanResult result;
    const QStringList& speeds = scanSpeeds();
    // Once a printer is found the remaining ports are only looked up; nothing is sent to them.
    for (qint16 n = kFirstPort; n <= kLastPort; ++n) {
        if (!link().PortExists(n)) continue;
        for (qsizetype i = 0; i < speeds.size() && !state().PrinterFound; ++i) {
            if (stopRequested()) {
                result.stopped = true;
                return result;
            }
            setDetectedPrinter(QStringLiteral("Attempting to contact printer on COM ") + portDigit(n) +
                               QStringLiteral(" at ") + speeds[i] + QStringLiteral(" bauds."));
            const Presence presence = testPresence(n, speeds[i]);
            if (presence == Presence::Stopped) {
                result.stopped = true;
                return result;
            }
            if (presence == Presence::Answered) {
                state().PrinterFound = true;
                result.port = n;
                result.speed = speeds[i];
                serialspeed->setCurrentIndex(int(Protocol::speeds().indexOf(speeds[i])));
                portButton(n)->setChecked(true);
            }
        }
    }
    return result;
}

PortSelection::Presence PortSelection::testPresence(qint16 port, const QString& speed) {
    // A port that cannot be opened at this speed is no answer at this speed.
    if (!openAt(port, speed, kNoHandshake)) return Presence::NoAnswer;
    const Protocol::Commands commands = link().commands();
    // One byte to the paper status, twice, with a CAN and an emptied buffer between: a line that
    // happens to deliver one stray byte is not taken for a printer.
    comm().output(commands.paperStatus());
    if (stopped(link().Delay(kStatusReplyMs))) return Presence::Stopped;
    if (comm().inBufferCount() == 1) {
        comm().output(commands.cancel());
        comm().discardInput();
        if (stopped(link().Delay(kStatusReplyMs))) return Presence::Stopped;
        comm().output(commands.paperStatus());
        if (stopped(link().Delay(kStatusReplyMs))) return Presence::Stopped;
        if (comm().inBufferCount() == 1) {
            comm().input();
            comm().close();
            return Presence::Answered;
        }
    }
    comm().close();
    return Presence::NoAnswer;
}
