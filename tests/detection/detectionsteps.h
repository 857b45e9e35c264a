#pragma once

// Steps shared by the detection tests: what the printer heard, the status texts as the technician saw
// them, and clicks that land while a search or probe is waiting.

#include "detection/portselection.h"
#include "detection/step1.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "wizard/wizard.h"
#include "support/bench.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

namespace DetectionSteps {

inline QByteArray bytes(std::initializer_list<char> list) {
    return QByteArray(list.begin(), int(list.size()));
}
inline const QByteArray kNul = bytes({0x00});
inline const QByteArray kCan = bytes({0x18});
inline const QByteArray kStatus = bytes({0x1B, 'v'});
inline const QByteArray kIdentify = bytes({0x1B, 'I'});
inline const QByteArray kConfiguration = bytes({0x1D, 'S', 'f', 0x1C});

// One command as the printer heard it: "1b 76 @19200", with " hw" when hardware flow control was on.
inline QString line(const QByteArray& command, int speed, bool hardware = false) {
    return QString::fromLatin1(command.toHex(' ')) + QStringLiteral(" @") + QString::number(speed) +
           (hardware ? QStringLiteral(" hw") : QString());
}

inline QStringList heard(Sim::SimulatedPrinter& printer) {
    QStringList list;
    for (const Sim::TranscriptEntry& e : printer.transcript())
        list << line(e.bytes, e.lineSpeed, e.hardwareFlow);
    return list;
}

inline const QList<int>& scanOrder() {
    static const QList<int> speeds{115200, 57600, 38400, 28800, 19200, 9600, 4800, 2400, 1200};
    return speeds;
}

// What the search sends to a port that has no loader on it: the wake-up and the loader check at 57600,
// then one status request per speed down to `lastSpeed`.
inline QStringList searchedDownTo(int lastSpeed) {
    QStringList list{line(kNul, 57600), line(kCan, 57600)};
    for (int speed : scanOrder()) {
        list << line(kStatus, speed);
        if (speed == lastSpeed) break;
    }
    return list;
}

// The presence test's second look and the probe with hardware flow control, at the printer's speed.
inline QStringList presenceAndProbe(int speed) {
    return {line(kCan, speed),
            line(kStatus, speed),
            line(kIdentify, speed, true),
            line(kStatus, speed, true),
            line(kConfiguration, speed, true),
            line(kCan, speed, true)};
}

// Every text the status line took, with what Step1's status line showed at that moment.
struct StatusLog {
    QStringList texts;
    QStringList onStep1;
    void watch(Wizard& wizard) {
        PortSelection& page = wizard.portSelection();
        QObject::connect(&page, &PortSelection::detectedPrinterChanged, &page,
                         [this, &wizard](const QString& t) {
                             texts << t;
                             onStep1 << wizard.step1().ScanStatus->text();
                         });
    }
};

// Runs `action` from the event loop, as a click comes, a moment after the status line shows `text`: by
// then the bytes written at that step have reached the printer.
constexpr int kMomentMs = 40; // well inside the shortest wait of the search (100 ms)

inline void whenStatus(Wizard& wizard, const QString& text, std::function<void()> action) {
    PortSelection& page = wizard.portSelection();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&page, &PortSelection::detectedPrinterChanged, &page,
                                   [connection, text, action](const QString& t) {
                                       if (t != text) return;
                                       QTimer::singleShot(kMomentMs, action);
                                       QObject::disconnect(*connection);
                                   });
}

inline Step1& shownStep1(Bench& bench) {
    Step1& step1 = bench.wizard().step1();
    step1.show();
    return step1;
}

// Step1 after a search that found nothing: three buttons, "Search again", its help page, no status.
inline bool showsNotFound(Step1& page) {
    return page.Start->text() == QLatin1String("Search again") && !page.ManualDetect->isHidden() &&
           page.Exit->x() == Layout::toPixels(120) && page.ManualDetect->x() == Layout::toPixels(1920) &&
           page.Start->x() == Layout::toPixels(3720) &&
           page.WebBrowser->currentPath().endsWith(QLatin1String("/Step1NotFound.html")) &&
           page.ScanStatus->text().isEmpty();
}

// Neither page is busy any more, and the port is closed. Says what is still busy, for the failure report.
inline QString busyParts(Bench& bench) {
    Step1& step1 = bench.wizard().step1();
    PortSelection& selection = bench.wizard().portSelection();
    QStringList busy;
    if (!step1.Start->isEnabled() || !step1.Exit->isEnabled()) busy << "Step1's buttons";
    if (step1.cursor().shape() == Qt::WaitCursor) busy << "Step1's pointer";
    if (!selection.DetectSerialPrinter->isEnabled()) busy << "Detect Printer";
    if (selection.cursor().shape() == Qt::WaitCursor) busy << "the port selection pointer";
    if (bench.wizard().link().comm().portOpen() || bench.wizard().state().PortIsOpen) busy << "the port";
    return busy.join(", ");
}

} // namespace DetectionSteps
