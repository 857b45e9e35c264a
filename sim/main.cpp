// veltaro-printer-sim: the simulated printer as a program of its own, for demos and benchmarks.
// It names itself as a COM port in the port folder, answers until SIGINT or SIGTERM, and then removes
// its port entry.
#include "simulatedprinter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Sim;

namespace {

// Half a minute to a minute of monitoring, more than a demo or a bench looks back on.
constexpr qsizetype kTranscriptEntries = 600;

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop from inside it, so the port entry is removed on the way out.
void quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

QString defaultPortFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/veltaro/ports");
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "veltaro-printer-sim: %s\n", qPrintable(message));
    std::exit(2);
}

int number(const QCommandLineParser& parser, const QString& option, int low, int high) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok, 0);
    if (!ok || value < low || value > high)
        usageError(QStringLiteral("--%1 wants a number from %2 to %3").arg(option).arg(low).arg(high));
    return value;
}

OptoParams optoParams(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    OptoParams params{};
    bool ok = parts.size() == 6;
    for (int i = 0; ok && i < 6; ++i) {
        const int value = parts[i].trimmed().toInt(&ok);
        ok = ok && value >= 0 && value <= 255;
        params[i] = quint8(value);
    }
    if (!ok) usageError(QStringLiteral("--opto wants six numbers 0-255 separated by commas"));
    return params;
}

const QList<QCommandLineOption>& options() {
    static const QList<QCommandLineOption> list{
        {"port", "COM port number to appear as (default 3).", "N", "3"},
        {"speed", "Its own line speed (default 9600).", "S", "9600"},
        {"flow", "Its own flow control: xon or hardware (default xon).", "xon|hardware", "xon"},
        {"loader", "Stuck in the firmware loader: listens at 57600 and answers CAN with CAN only."},
        {"no-extension", "The near-end-of-paper extension is not fitted."},
        {"paper", "Paper is loaded: the paper status says so and the opto-sensor sees marks pass."},
        {"near-end", "The paper roll is near its end."},
        {"ident", "Identification text (default \"SIM-80 Receipt  \").", "TEXT"},
        {"opto", "The six opto parameters: type,black,mark,paper,paper threshold,mark threshold.", "LIST"},
        {"status", "Paper status byte to answer, whatever the paper.", "BYTE"},
        {"calibration-time", "Milliseconds a calibration takes (default 1500).", "MS"},
        {"silent", "Never answers."},
        {"silent-from", "Answers nothing from the first time this command (hex) is heard.", "HEX"},
        {"extra", "Sends these bytes (hex) after every reply.", "HEX"},
        {"short", "Cuts every reply short by N bytes.", "N"},
        {"slow", "Every reply comes MS milliseconds late.", "MS"},
        {"garble", "Replies with random bytes instead of the right ones."},
        {"keep-speed", "Hears a speed switch (GS B) and stays at its own speed."},
        {"silent-after", "Falls silent after MS milliseconds, its port staying.", "MS"},
        {"power-cycle-after", "Is switched off after MS milliseconds, its port staying...", "MS"},
        {"off-for", "... and on again at its own speed MS milliseconds later (default 1000).", "MS", "1000"},
        {"only-for", "The reply faults (extra, short, slow, garble) touch this command (hex) only.", "HEX"},
        {"vanish-after", "The device disappears after MS milliseconds.", "MS"},
        {"reappear-after", "With --vanish-after: it comes back MS milliseconds later.", "MS"},
        {"port-folder", "Folder of the COMn entries (default $XDG_CONFIG_HOME/veltaro/ports).", "DIR"},
        {"verbose", "Prints every command received with its line speed, and every reply."},
    };
    return list;
}

PrinterConfig configFrom(const QCommandLineParser& parser) {
    PrinterConfig config;
    config.speed = number(parser, "speed", 1200, 115200);
    if (speedCode(config.speed) < 0) usageError(QStringLiteral("no such speed: %1").arg(config.speed));
    const QString flow = parser.value("flow");
    if (flow != "xon" && flow != "hardware") usageError(QStringLiteral("--flow is xon or hardware"));
    config.hardwareFlow = flow == "hardware";
    config.loaderMode = parser.isSet("loader");
    config.extensionFitted = !parser.isSet("no-extension");
    config.paperPresent = parser.isSet("paper");
    config.nearEnd = parser.isSet("near-end");
    if (parser.isSet("ident")) config.identification = parser.value("ident").toLatin1();
    if (parser.isSet("opto")) config.optoParams = optoParams(parser.value("opto"));
    if (parser.isSet("calibration-time"))
        config.calibrationTimeMs = number(parser, "calibration-time", 0, 600000);
    return config;
}

Faults faultsFrom(const QCommandLineParser& parser) {
    Faults faults;
    faults.silent = parser.isSet("silent");
    faults.silentFrom = QByteArray::fromHex(parser.value("silent-from").toLatin1());
    faults.onlyFor = QByteArray::fromHex(parser.value("only-for").toLatin1());
    faults.extraBytes = QByteArray::fromHex(parser.value("extra").toLatin1());
    if (parser.isSet("short")) faults.missingBytes = number(parser, "short", 0, 1000);
    if (parser.isSet("slow")) faults.delayMs = number(parser, "slow", 0, 600000);
    faults.randomReply = parser.isSet("garble");
    faults.keepsSpeed = parser.isSet("keep-speed");
    return faults;
}

// What becomes of the printer while its port stays: silence, or a power cycle.
void scheduleSilence(const QCommandLineParser& parser, SimulatedPrinter& printer) {
    if (parser.isSet("silent-after"))
        QTimer::singleShot(number(parser, "silent-after", 0, 86400000), &printer, [&printer] {
            Faults faults = printer.model().faults();
            faults.silent = true;
            printer.setFaults(faults);
            std::printf("silent\n");
        });
    if (!parser.isSet("power-cycle-after")) return;
    const int offMs = number(parser, "power-cycle-after", 0, 86400000);
    QTimer::singleShot(offMs, &printer, [&printer] {
        printer.setPowered(false);
        std::printf("switched off\n");
    });
    QTimer::singleShot(offMs + number(parser, "off-for", 0, 86400000), &printer, [&printer] {
        printer.setPowered(true);
        std::printf("switched on at %d\n", printer.model().speed());
    });
}

void scheduleVanishing(const QCommandLineParser& parser, SimulatedPrinter& printer) {
    if (!parser.isSet("vanish-after")) return;
    const int vanishMs = number(parser, "vanish-after", 0, 86400000);
    QTimer::singleShot(vanishMs, &printer, [&printer] {
        printer.vanish();
        std::printf("vanished\n");
    });
    if (parser.isSet("reappear-after")) {
        const int backMs = vanishMs + number(parser, "reappear-after", 0, 86400000);
        QTimer::singleShot(backMs, &printer, [&printer] {
            if (printer.reappear())
                std::printf("back on %s\n", qPrintable(printer.devicePath()));
            else
                std::printf("could not come back: %s\n", qPrintable(printer.errorString()));
        });
    }
}

void printCommands(SimulatedPrinter& printer) {
    QObject::connect(&printer, &SimulatedPrinter::commandReceived, [](const TranscriptEntry& e) {
        std::printf("%8lld ms  %-14s at %6d, %-8s %s\n", static_cast<long long>(e.timeMs),
                    qPrintable(hex(e.bytes)), e.lineSpeed, e.hardwareFlow ? "hardware" : "xon",
                    e.heard ? "" : "(not heard)");
    });
    QObject::connect(&printer, &SimulatedPrinter::replySent, [&printer](const QByteArray& bytes) {
        std::printf("%8lld ms    -> %s\n", static_cast<long long>(printer.elapsedMs()),
                    qPrintable(hex(bytes)));
    });
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltaro-printer-sim"));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A simulated receipt printer on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions(options());
    parser.process(app);

    const int port = number(parser, "port", 1, 99);
    const QString folder = parser.isSet("port-folder") ? parser.value("port-folder") : defaultPortFolder();
    SimulatedPrinter printer(configFrom(parser));
    // Run for a day at 20 samples a second, a whole transcript would grow by megabytes an hour; --verbose
    // streams every command to the log instead.
    printer.model().setTranscriptLimit(kTranscriptEntries);
    printer.setFaults(faultsFrom(parser));
    if (parser.isSet("status")) printer.setStatusOverride(quint8(number(parser, "status", 0, 255)));
    if (!printer.isPresent() || !printer.attach(folder, port)) {
        std::fprintf(stderr, "veltaro-printer-sim: %s\n", qPrintable(printer.errorString()));
        return 1;
    }

    quitOnSignals(app);
    scheduleVanishing(parser, printer);
    scheduleSilence(parser, printer);
    if (parser.isSet("verbose")) printCommands(printer);
    const PrinterModel& model = printer.model();
    std::printf("COM%d -> %s at %d, %s%s\n", port, qPrintable(printer.devicePath()), model.speed(),
                model.hardwareFlow() ? "hardware flow control" : "XON/XOFF",
                model.loaderMode() ? ", in the firmware loader" : "");
    return app.exec();
}
