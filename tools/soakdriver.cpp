// veltaro-soak: the wizard monitoring a printer for as long as it is told, for scripts/soak, which
// samples this process's memory and descriptors meanwhile. The link is left as detection leaves it (the
// printer found on COM<port> at its speed with XON/XOFF); the sensor page's Next opens the monitor, and
// at the end the monitor's Exit switches the printer back and ends the program. Not a test: it runs
// for minutes.
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>

namespace {

int number(const QCommandLineParser& parser, const QString& option, int low, int high) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < low || value > high) {
        std::fprintf(stderr, "veltaro-soak: --%s wants a number from %d to %d\n", qPrintable(option), low,
                     high);
        std::exit(2);
    }
    return value;
}

// Nobody is at the bench to answer a box: one that comes up is the soak's failure, told and ended.
void failOnMessageBoxes(Wizard& wizard, int& exitCode) {
    auto* watch = new QTimer(&wizard);
    QObject::connect(watch, &QTimer::timeout, &wizard, [&wizard, &exitCode] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        std::printf("message box: %s\n", qPrintable(box->text().replace(QStringLiteral("\r\n"), " ")));
        exitCode = 1;
        box->done(QMessageBox::Ok);
        wizard.endProgram();
    });
    watch->start(200);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The wizard monitoring a printer, for scripts/soak."));
    parser.addHelpOption();
    parser.addOptions({
        {"seconds", "How long to monitor (default 600).", "S", "600"},
        {"port", "The printer's COM port (default 3).", "N", "3"},
        {"speed", "The speed detection found it at (default 9600).", "BAUD", "9600"},
        {"near-end", "Monitor the near-end-of-paper sensor instead of the printer's own."},
    });
    parser.process(app);
    const int seconds = number(parser, "seconds", 1, 86400);

    Wizard wizard;
    wizard.takeEndRequests(true);
    int exitCode = 0;
    SharedState& state = wizard.state();
    wizard.step1();
    state.PrinterFound = true;
    state.PrinterPort = qint16(number(parser, "port", 1, 6));
    state.PrinterSpeed = QString::number(number(parser, "speed", 1200, 115200));
    state.PrinterHandshake = 1;
    Step2& step2 = wizard.step2();
    step2.show();
    (parser.isSet("near-end") ? step2.NEOPOpto : step2.PrinterOpto)->click();
    step2.Monitor->click();
    failOnMessageBoxes(wizard, exitCode);
    step2.Next->click();

    MonitorFrm* monitor = wizard.loadedMonitorFrm();
    if (!monitor || !monitor->MonitorTimer->isActive() || wizard.isEnding()) {
        std::fprintf(stderr, "veltaro-soak: the monitor did not start\n");
        return 1;
    }
    std::printf("monitoring COM%d for %d s\n", int(state.PrinterPort), seconds);
    QTimer::singleShot(seconds * 1000, &wizard, [&wizard] {
        if (MonitorFrm* page = wizard.loadedMonitorFrm())
            page->Exit->click();
        else
            wizard.endProgram();
    });
    const int appCode = app.exec();
    wizard.letPortGo();
    std::printf("ended, printer switched back to %s\n", qPrintable(state.PrinterSpeed));
    return exitCode != 0 ? exitCode : appCode;
}
