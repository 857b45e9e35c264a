#pragma once

// Steps shared by the detection page tests: the detection page shown, what it offers after a search,
// whether anything is still busy, and clicks that land while a search waits.

#include "detection/portselection.h"
#include "detection/step1.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "support/bench.h"
#include "wizard/wizard.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace DetectionSteps {

inline Step1& shownStep1(Bench& bench) {
    Step1& step1 = bench.wizard().step1();
    step1.show();
    return step1;
}

// Step1 after a search that found nothing: three buttons, "Search again", its help page.
inline bool offersSearchAgain(Step1& page) {
    return page.Start->text() == QLatin1String("Search again") && !page.ManualDetect->isHidden() &&
           page.Exit->x() == Layout::toPixels(120) && page.ManualDetect->x() == Layout::toPixels(1920) &&
           page.Start->x() == Layout::toPixels(3720) &&
           page.WebBrowser->currentPath().endsWith(QLatin1String("/Step1NotFound.html"));
}
// ... right after that search: no status.
inline bool showsNotFound(Step1& page) {
    return offersSearchAgain(page) && page.ScanStatus->text().isEmpty();
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

// Runs `action` from the event loop, as a click comes, 40 ms after the status line shows `text`: by then
// the bytes of that step have reached the printer, and the step's shortest wait (100 ms) goes on.
inline void whenStatus(Wizard& wizard, const QString& text, std::function<void()> action) {
    PortSelection& page = wizard.portSelection();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection =
        QObject::connect(&page, &PortSelection::detectedPrinterChanged, &page, [=](const QString& t) {
            if (t != text) return;
            QTimer::singleShot(40, action);
            QObject::disconnect(*connection);
        });
}

} // namespace DetectionSteps
