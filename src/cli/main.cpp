// veltaro-cli: the command line. Every command checks all its words before anything goes out on the
// line: a wrong word ends with a usage line and exit status 64, the printer having heard nothing.
#include "commands.h"
#include "console.h"

#include "link/portnames.h"
#include "link/protocol.h"
#include "link/rfc2217.h"
#include "printer/detector.h"

#include <QCommandLineParser>
#include <QCoreApplication>

using namespace Cli;

namespace {

const QString kUsageLine = QStringLiteral(
    "usage: veltaro-cli ports|detect|params|mode|calibrate|monitor [options]   (veltaro-cli --help)");

const QString kOverview = QStringLiteral(
    "veltaro-cli: find, calibrate and monitor a receipt printer on a serial line.\n\n"
    "  veltaro-cli ports     [--json]\n"
    "  veltaro-cli detect    [LINK] [--json]\n"
    "  veltaro-cli params    [LINK] [--json]\n"
    "  veltaro-cli mode      [reflective|transmissive] [LINK]\n"
    "  veltaro-cli calibrate printer|neop [LINK] [--timeout SECONDS]\n"
    "  veltaro-cli monitor   printer|neop [LINK] [--seconds N] [--csv] [--reconnect [SECONDS]]\n\n"
    "LINK = --port N --speed S --flow xon-xoff|hardware (all three: that link, no search).\n"
    "Without LINK every command but ports runs the automatic search first.\n"
    "--port also takes rfc2217://HOST:PORT, a serial port shared over the network (ser2net), named as\n"
    "the first COM number that does not exist; given alone, the search looks there too.\n\n"
    "Exit status: 0 done; 1 no printer found or no answer; 2 printer in its firmware loader;\n"
    "3 the port cannot be used; 4 a precondition refused (paper present, extension absent);\n"
    "64 wrong usage; 130 interrupted.\n\n"
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

const QList<Command>& commands() {
    static const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("One JSON object on standard output."));
    static const QList<Command> list{
        {"ports", "Lists COM1..COM6 and the device each one leads to.", {}, {}, false, false, {json}},
        {"detect", "Finds the printer: its port, speed, flow control and name. With LINK: the probe on that link.",
         {}, {}, false, true, {json}},
        {"params", "Reads the printer sensor's stored parameters (type, levels, thresholds).", {}, {}, false, true,
         {json}},
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
                             QStringLiteral("SECONDS"))}},
    };
    return list;
}

[[noreturn]] void usage(const QString& problem) {
    printError(QStringLiteral("veltaro-cli: ") + problem);
    printError(kUsageLine);
    std::exit(Cli::kUsage);
}

void addLinkOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port number, 1 to 6, or rfc2217://HOST:PORT."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("speed"), QStringLiteral("Line speed: ") + Protocol::speeds().join(QLatin1Char(' ')),
                      QStringLiteral("S")});
    parser.addOption({QStringLiteral("flow"), QStringLiteral("Flow control: xon-xoff or hardware."), QStringLiteral("F")});
}

// A remote port takes the first number that names nothing, so that every text can call it COMn.
qint16 remotePort(const QString& url) {
    if (!Rfc2217::parseUrl(url))
        usage(QStringLiteral("--port takes a number from 1 to 6 or rfc2217://HOST:PORT"));
    for (qint16 n = Printer::Detector::kFirstPort; n <= Printer::Detector::kLastPort; ++n) {
        if (PortNames::portExists(n)) continue;
        PortNames::assignRemote(n, url);
        return n;
    }
    usage(QStringLiteral("COM1 to COM6 all exist: no number is left for ") + url);
}

LinkChoice linkChoice(const QCommandLineParser& parser) {
    const bool port = parser.isSet(QStringLiteral("port"));
    const bool speed = parser.isSet(QStringLiteral("speed"));
    const bool flow = parser.isSet(QStringLiteral("flow"));
    const QString portValue = parser.value(QStringLiteral("port"));
    const bool remote = portValue.contains(QLatin1String("://"));
    if (remote && !speed && !flow) {
        remotePort(portValue); // one more port for the search
        return {};
    }
    if (!port && !speed && !flow) return {};
    if (!port || !speed || !flow) usage(QStringLiteral("--port, --speed and --flow go together"));
    LinkChoice choice;
    bool ok = false;
    const int n = remote ? remotePort(portValue) : portValue.toInt(&ok);
    if ((!remote && !ok) || n < Printer::Detector::kFirstPort || n > Printer::Detector::kLastPort)
        usage(QStringLiteral("--port takes a number from 1 to 6 or rfc2217://HOST:PORT"));
    choice.port = qint16(n);
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
    if (command.argumentRequired && argument.isEmpty()) usage(command.name + QStringLiteral(" needs ") + command.argument);
    if (!argument.isEmpty() && !command.choices.contains(argument))
        usage(command.argument + QStringLiteral(" is one of ") + command.choices.join(QLatin1Char(' ')));
    const LinkChoice link = command.link ? linkChoice(parser) : LinkChoice{};
    const Printer::Sensor sensor = argument == QLatin1String("neop") ? Printer::Sensor::NearEnd : Printer::Sensor::PrinterOpto;

    if (command.name == QLatin1String("ports")) return listPorts(json);
    if (command.name == QLatin1String("detect")) return detect(session, link, json);
    if (command.name == QLatin1String("params")) return readParameters(session, link, json);
    if (command.name == QLatin1String("mode")) {
        std::optional<quint8> mode;
        if (!argument.isEmpty())
            mode = argument == QLatin1String("reflective") ? Protocol::kReflective : Protocol::kTransmissive;
        return sensorMode(session, link, mode);
    }
    if (command.name == QLatin1String("calibrate"))
        return calibrate(session, link, sensor, wholeSeconds(parser, QStringLiteral("timeout"), 1));
    MonitorOptions options{sensor, wholeSeconds(parser, QStringLiteral("seconds"), 0),
                           parser.isSet(QStringLiteral("csv"))};
    options.reconnect = parser.isSet(QStringLiteral("reconnect"));
    if (options.reconnect) options.reconnectSeconds = wholeSeconds(parser, QStringLiteral("reconnect"), 0);
    return monitor(session, link, options);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltaro-cli"));
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.value(1);
    if (name.isEmpty()) usage(QStringLiteral("a command is needed"));
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
    Session session;
    const Console console(app, session);
    return run(*found, parser, session);
}
