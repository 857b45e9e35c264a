// veltaro-cli: the command line. Every command checks all its words before anything goes out on the
// line: a wrong word ends with a usage line and exit status 64, the printer having heard nothing.
#include "check.h"
#include "commands.h"
#include "console.h"
#include "headless.h"

#include "link/portnames.h"
#include "link/protocol.h"
#include "link/rfc2217.h"
#include "printer/detector.h"
#include "record/identity.h"
#include "record/recordfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>
#include <optional>

using namespace Cli;

namespace {

const QString kUsageLine = QStringLiteral(
    "usage: veltaro-cli ports|detect|check|params|mode|calibrate|monitor [options]   (veltaro-cli --help)");

const QString kOverview = QStringLiteral(
    "veltaro-cli: find, calibrate and monitor a receipt printer on a serial line.\n\n"
    "  veltaro-cli ports     [--json]\n"
    "  veltaro-cli detect    [LINK] [--json]\n"
    "  veltaro-cli check     [LINK] [--port P]... [--ports-from FILE] [--jobs N] [--timeout SECONDS]\n"
    "                        [--json] [--prometheus FILE]\n"
    "  veltaro-cli params    [LINK] [--json] [--record FILE.png|FILE.pdf]\n"
    "  veltaro-cli mode      [reflective|transmissive] [LINK]\n"
    "  veltaro-cli calibrate printer|neop [LINK] [--timeout SECONDS]\n"
    "  veltaro-cli monitor   printer|neop [LINK] [--seconds N] [--csv] [--record FILE] [--reconnect [SECONDS]]\n\n"
    "LINK = --port N --speed S --flow xon-xoff|hardware (all three: that link, no search).\n"
    "Without LINK every command but ports runs the automatic search first.\n"
    "--port also takes a serial device as the system names it (COM12 or \\\\.\\COM12 on Windows;\n"
    "/dev/ttyUSB0 or /dev/serial/by-id/... on Linux), or rfc2217://HOST:PORT, a serial port shared over\n"
    "the network (ser2net). It is called by the COM number the ports give it, or else by one lent for the\n"
    "run: the first COM number that does not exist, COM6 when all six do. Given alone, the search looks\n"
    "there too.\n\n"
    "--record FILE writes a record for a service ticket as FILE's suffix says: .png a picture, .pdf one\n"
    "page (chart, printer, sensor, parameters, time), .csv the samples. Drawn without a display.\n\n"
    "Exit status: 0 done; 1 no printer found or no answer, or the record not written; 2 printer in its\n"
    "firmware loader; 3 the port cannot be used; 4 a precondition refused (paper present, extension\n"
    "absent); 64 wrong usage (a record's suffix included); 130 interrupted. check of several ports: 0 when\n"
    "every printer answered the whole check (paper out and near end are results), else 1; each result\n"
    "carries its own port's status.\n\n"
    "veltaro-cli COMMAND --help tells more about a command.\n");

struct Command {
    QString name;
    QString synopsis;
    QString argument; // the positional argument's name, empty if none
    QStringList choices;
    bool argumentRequired = false;
    bool link = true;
    QList<QCommandLineOption> options;
};

QList<QCommandLineOption> checkOptions() {
    QCommandLineOption one(QStringLiteral("one"),
                           QStringLiteral("Checks the one port here (what each check runs)."));
    one.setFlags(QCommandLineOption::HiddenFromHelp);
    return {
        {QStringLiteral("json"), QStringLiteral("One JSON object a line, one per port, as each check ends.")},
        {QStringLiteral("ports-from"),
         QStringLiteral("Checks the ports in FILE: one a line (COMn, a device, rfc2217://HOST:PORT), a label "
                        "after white space, # comments. --port may also be given many times."),
         QStringLiteral("FILE")},
        {QStringLiteral("jobs"), QStringLiteral("Checks at most N ports at a time (64)."),
         QStringLiteral("N"), QStringLiteral("64")},
        {QStringLiteral("timeout"), QStringLiteral("Cuts a port's check off after SECONDS (30)."),
         QStringLiteral("SECONDS"), QStringLiteral("30")},
        {QStringLiteral("prometheus"),
         QStringLiteral("Also writes the results to FILE in Prometheus' text format (node_exporter's "
                        "textfile collector), replacing it at once."),
         QStringLiteral("FILE")},
        one,
    };
}

const QList<Command>& commands() {
    static const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("One JSON object on standard output."));
    static const QCommandLineOption record(QStringLiteral("record"),
                                           QStringLiteral("Also writes a record to FILE (.png, .pdf; monitor: .csv)."),
                                           QStringLiteral("FILE"));
    static const QList<Command> list{
        {"ports", "Lists COM1..COM6 and the device each one leads to.", {}, {}, false, false, {json}},
        {"detect", "Finds the printer: its port, speed, flow control and name. With LINK: the probe on that link.",
         {}, {}, false, true, {json}},
        {"check",
         "Checks printers without changing them: found or why not, paper, near end, sensor levels. Many "
         "ports are checked at once.",
         {}, {}, false, true, checkOptions()},
        {"params", "Reads the printer sensor's stored parameters (type, levels, thresholds).", {}, {}, false, true,
         {json, record}},
        {"mode", "Reads the printer sensor's mode, or writes the one given.", "mode", {"reflective", "transmissive"},
         false, true, {}},
        {"calibrate", "Calibrates a sensor. The printer sensor needs the paper out, the near-end sensor its extension.",
         "sensor", {"printer", "neop"}, true, true,
         {QCommandLineOption(QStringLiteral("timeout"), QStringLiteral("Waits at most SECONDS for the end (60)."),
                             QStringLiteral("SECONDS"), QStringLiteral("60"))}},
        {"monitor", "Samples a sensor every 50 ms, then puts the printer back at its speed.", "sensor",
         {"printer", "neop"}, true, true,
         {QCommandLineOption(QStringLiteral("seconds"), QStringLiteral("Stops after N seconds (default: Ctrl-C)."),
                             QStringLiteral("N"), QStringLiteral("0")),
          QCommandLineOption(QStringLiteral("csv"), QStringLiteral("A header, then ms,value[,near_end] per sample.")),
          QCommandLineOption(QStringLiteral("reconnect"),
                             QStringLiteral("After a port problem, waits up to SECONDS for the port to come back "
                                            "(no value: as long as the monitor runs) and goes on; without it a "
                                            "port problem ends the monitor with status 3."),
                             QStringLiteral("SECONDS")),
          record}},
    };
    return list;
}

[[noreturn]] void usage(const QString& problem) {
    printError(QStringLiteral("veltaro-cli: ") + problem);
    printError(kUsageLine);
    std::exit(Cli::kUsage);
}

void addLinkOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("Port number, 1 to 6, a serial device (COM12, /dev/ttyUSB0) or "
                                     "rfc2217://HOST:PORT."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("speed"), QStringLiteral("Line speed: ") + Protocol::speeds().join(QLatin1Char(' ')),
                      QStringLiteral("S")});
    parser.addOption({QStringLiteral("flow"), QStringLiteral("Flow control: xon-xoff or hardware."), QStringLiteral("F")});
}

const QString kPortWords = QStringLiteral(
    "--port takes a number from 1 to 6, rfc2217://HOST:PORT or a serial device as the system names it");

// A remote port or a device named on the command line, said once with the COM number it goes by.
qint16 namedPort(const QString& device) {
    bool lent = false;
    const qint16 port = portNumberFor(device, &lent);
    printError(QStringLiteral("%1 is %2%3")
                   .arg(PortNames::portName(port), device,
                        lent ? QStringLiteral(", a number lent for this run") : QString()));
    return port;
}

// The port that --port names: a number, an address or a device; 0 for anything else.
qint16 portValue(const QString& value, bool* named) {
    bool number = false;
    const int n = value.toInt(&number);
    *named = !number;
    if (number) return n < Printer::Detector::kFirstPort || n > Printer::Detector::kLastPort ? 0 : qint16(n);
    if (value.contains(QLatin1String("://"))) return Rfc2217::parseUrl(value) ? namedPort(value) : 0;
    const QString device = PortNames::systemDeviceName(value);
    return device.isEmpty() ? 0 : namedPort(device);
}

LinkChoice linkChoice(const QCommandLineParser& parser) {
    const bool port = parser.isSet(QStringLiteral("port"));
    const bool speed = parser.isSet(QStringLiteral("speed"));
    const bool flow = parser.isSet(QStringLiteral("flow"));
    if (!port && !speed && !flow) return {};
    LinkChoice choice;
    bool named = false;
    const qint16 n = port ? portValue(parser.value(QStringLiteral("port")), &named) : 0;
    if (port && n == 0) usage(kPortWords);
    if (named) choice.named = n;
    if (named && !speed && !flow) return choice; // one more port for the search
    if (!port || !speed || !flow) usage(QStringLiteral("--port, --speed and --flow go together"));
    choice.port = n;
    choice.speed = parser.value(QStringLiteral("speed"));
    if (!Protocol::speeds().contains(choice.speed))
        usage(QStringLiteral("--speed takes one of ") + Protocol::speeds().join(QLatin1Char(' ')));
    const QString flowName = parser.value(QStringLiteral("flow"));
    if (flowName == QLatin1String("xon-xoff"))
        choice.handshake = Printer::Detector::kXonXoff;
    else if (flowName == QLatin1String("hardware"))
        choice.handshake = Printer::Detector::kHardware;
    else
        usage(QStringLiteral("--flow takes xon-xoff or hardware"));
    return choice;
}

int wholeSeconds(const QCommandLineParser& parser, const QString& option, int least) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < least) usage(QStringLiteral("--%1 takes a whole number from %2").arg(option).arg(least));
    return value;
}

// A record's file is checked with the other words, before the printer hears anything.
QString recordFile(const Command& command, const QCommandLineParser& parser) {
    // Asked of a command without the option, the parser would warn on standard error ("option not defined").
    const bool takesRecord =
        std::any_of(command.options.begin(), command.options.end(),
                    [](const QCommandLineOption& o) { return o.names().contains(QStringLiteral("record")); });
    if (!takesRecord || !parser.isSet(QStringLiteral("record"))) return {};
    const QString path = parser.value(QStringLiteral("record"));
    const Record::Format format = Record::formatOf(path);
    if (format == Record::Format::Unknown) usage(Record::unknownSuffixText(path));
    if (format == Record::Format::Csv && command.name == QLatin1String("params"))
        usage(QStringLiteral("params records the block as a picture: %1 must end in .png or .pdf").arg(path));
    return path;
}

// --reconnect takes its SECONDS only when a whole number follows; alone it waits as long as the monitor
// runs. The parser knows options with a value or without, so the bare form is given the value 0 first.
QStringList withReconnectValue(QStringList arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--reconnect")) continue;
        bool number = false;
        arguments.value(i + 1).toUInt(&number);
        arguments[i] += QLatin1Char('=') + (number ? arguments.takeAt(i + 1) : QStringLiteral("0"));
    }
    return arguments;
}

int run(const Command& command, const QCommandLineParser& parser, Session& session) {
    const bool json = std::any_of(command.options.begin(), command.options.end(),
                                  [](const QCommandLineOption& o) { return o.names().contains(QStringLiteral("json")); }) &&
                      parser.isSet(QStringLiteral("json"));
    const QStringList words = parser.positionalArguments().mid(1);
    const QString argument = words.value(0);
    if (words.size() > 1 || (command.argument.isEmpty() && !words.isEmpty()))
        usage(QStringLiteral("too many words for ") + command.name);
    if (command.argumentRequired && argument.isEmpty())
        usage(command.name + QStringLiteral(" needs ") + command.argument + QStringLiteral(": ") +
              command.choices.join(QStringLiteral(" or ")));
    if (!argument.isEmpty() && !command.choices.contains(argument))
        usage(command.argument + QStringLiteral(" is one of ") + command.choices.join(QLatin1Char(' ')));
    if (command.name == QLatin1String("check")) return check(parser, session);
    const LinkChoice link = command.link ? linkChoice(parser) : LinkChoice{};
    const QString record = recordFile(command, parser);
    if (link.named != 0)
        if (const int exists = session.requireDevice(link.named); exists != kDone) return exists;
    const Printer::Sensor sensor = argument == QLatin1String("neop") ? Printer::Sensor::NearEnd : Printer::Sensor::PrinterOpto;

    if (command.name == QLatin1String("ports")) return listPorts(json);
    if (command.name == QLatin1String("detect")) return detect(session, link, json);
    if (command.name == QLatin1String("params")) return readParameters(session, link, json, record);
    if (command.name == QLatin1String("mode")) {
        std::optional<quint8> mode;
        if (!argument.isEmpty())
            mode = argument == QLatin1String("reflective") ? Protocol::kReflective : Protocol::kTransmissive;
        return sensorMode(session, link, mode);
    }
    if (command.name == QLatin1String("calibrate"))
        return calibrate(session, link, sensor, wholeSeconds(parser, QStringLiteral("timeout"), 1));
    MonitorOptions options{sensor, wholeSeconds(parser, QStringLiteral("seconds"), 0),
                           parser.isSet(QStringLiteral("csv")), record};
    options.reconnect = parser.isSet(QStringLiteral("reconnect"));
    if (options.reconnect) options.reconnectSeconds = wholeSeconds(parser, QStringLiteral("reconnect"), 0);
    return monitor(session, link, options);
}

} // namespace

namespace {
// A record is drawn with Qt Gui's painter and fonts, on a platform that needs no display; the other
// commands start without loading a platform at all.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (word != "--record" && !word.startsWith("--record=")) continue;
        qputenv("QT_QPA_PLATFORM", headlessPlatform());
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}
} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> owner = makeApplication(argc, argv);
    QCoreApplication& app = *owner;
    QCoreApplication::setApplicationName(QStringLiteral("veltaro-cli"));
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.value(1);
    if (name.isEmpty()) usage(QStringLiteral("a command is needed"));
    if (name == QLatin1String("--version")) {
        std::printf("veltaro-cli %s\n", qPrintable(Identity::kVersionText));
        return kDone;
    }
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        std::fputs(qPrintable(kOverview), stdout);
        return kDone;
    }
    const auto found = std::find_if(commands().begin(), commands().end(),
                                    [&](const Command& c) { return c.name == name; });
    if (found == commands().end()) usage(QStringLiteral("unknown command ") + name);

    QCommandLineParser parser;
    parser.setApplicationDescription(found->synopsis);
    parser.addPositionalArgument(found->name, found->synopsis);
    if (!found->argument.isEmpty())
        parser.addPositionalArgument(found->argument, found->choices.join(QLatin1Char('|')),
                                     found->argumentRequired ? found->argument : QLatin1Char('[') + found->argument + QLatin1Char(']'));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions(found->options);
    if (found->link) addLinkOptions(parser);
    if (!parser.parse(found->name == QLatin1String("monitor") ? withReconnectValue(arguments) : arguments))
        usage(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return kDone;
    }
    // The session is ended before the console: its end lets the last bytes out (the printer put back at
    // its speed), and only then may a console window being closed let the system end the process.
    std::optional<Session> session(std::in_place);
    std::optional<Console> console(std::in_place, app, *session);
    const int status = run(*found, parser, *session);
    session.reset();
    console.reset();
    return status;
}
