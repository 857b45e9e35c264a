#include "commands.h"
#include "console.h"

#include "link/portnames.h"
#include "link/serialdevices.h"
#include "printer/calibration.h"
#include "printer/detector.h"
#include "printer/sampler.h"
#include "printer/samplestore.h"
#include "printer/sensorsetup.h"
#include "record/recordfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace Cli {

namespace {
// Outside the monitor, whose opening has its own limit, an answer takes milliseconds; a printer silent
// this long is not going to answer.
constexpr int kReplyLimitMs = 2000;
const QString kExtensionAbsentText = QStringLiteral("The Near End Of Paper extension has not been detected !");

void printJson(const QJsonValue& value) {
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    printOut(QString::fromUtf8(document.toJson(QJsonDocument::Compact)));
}

QString modeName(quint8 mode) {
    return mode == Protocol::kReflective ? QStringLiteral("reflective") : QStringLiteral("transmissive");
}

// The link and the printer as the record names them; the caller adds the rest.
Record::Sheet linkSheet(Session& session, const QString& speed, qint16 handshake) {
    const SharedState& state = session.state();
    Record::Sheet sheet;
    sheet.printerName = state.printerName;
    sheet.port = state.PrinterPort;
    sheet.device = PortNames::devicePath(state.PrinterPort);
    sheet.speed = speed;
    sheet.handshake = handshake;
    sheet.taken = QDateTime::currentDateTime();
    return sheet;
}

// kNotWritten after saying why; what went to standard output stays there.
int writeRecord(const QString& path, const Record::Sheet& sheet) {
    const Record::Written written = Record::write(path, sheet);
    if (written.ok) return kDone;
    printError(written.problem);
    return kNotWritten;
}

// The near-end sensor can be neither calibrated nor monitored without its extension.
int requireExtension(Session& session) {
    const auto fitted = session.withReplyLimit<Printer::Result<bool>>(
        kReplyLimitMs, [&] { return Printer::SensorSetup::extensionFitted(session.link()); });
    if (!fitted.ok()) return session.fail(fitted);
    if (fitted.value) return kDone;
    printError(kExtensionAbsentText);
    return kRefused;
}
} // namespace

int listPorts(bool json) {
    // A file of the port folder that is no entry is told, naming it: the port it was meant for is
    // numbered as if it were not there, which a technician would not guess from the list alone.
    for (const QString& mistake : PortNames::folderMistakes())
        printError(mistake + QStringLiteral("; it is not used."));
    QJsonArray list;
    for (qint16 n = Printer::Detector::kFirstPort; n <= Printer::Detector::kLastPort; ++n) {
        const SerialDevices::Device device = SerialDevices::portDevice(n).value_or(SerialDevices::Device{});
        if (json)
            list.append(QJsonObject{{"port", n}, {"device", device.path}, {"description", device.description}});
        else
            printOut(QStringLiteral("COM%1  %2").arg(n).arg(SerialDevices::describePort(n)));
    }
    if (json) printJson(list);
    return kDone;
}

int detect(Session& session, const LinkChoice& choice, bool json) {
    Printer::Detector detector(session.link());
    QObject::connect(&detector, &Printer::Detector::progress, &printError);
    const Printer::Detector::Detection found = choice.given()
                                                   ? detector.probe(choice.port, choice.speed, choice.handshake)
                                                   : detector.search();
    if (found.outcome != Printer::Outcome::Done) return session.fail(found, found.status);
    printError(found.status);
    const Printer::Detector::Found& p = found.printer;
    const QString device = PortNames::devicePath(p.port);
    if (json) {
        printJson(QJsonObject{{"port", p.port},
                              {"device", device},
                              {"speed", p.speed.toInt()},
                              {"flow", flowName(p.handshake)},
                              {"name", p.name}});
    } else {
        printOut(QStringLiteral("port: %1\ndevice: %2\nspeed: %3\nflow: %4\nname: %5")
                     .arg(p.port)
                     .arg(device, p.speed, flowName(p.handshake), p.name));
    }
    return kDone;
}

int readParameters(Session& session, const LinkChoice& choice, bool json, const QString& record) {
    if (const int found = session.connect(choice); found != kDone) return found;
    const auto block = session.withReplyLimit<Printer::Result<OptoParameterBlock>>(
        kReplyLimitMs, [&] { return Printer::SensorSetup::readParameters(session.link()); });
    if (!block.ok()) return session.fail(block);
    const OptoParameterBlock& b = block.value;
    const QList<std::pair<QString, int>> fields{{"type", b.optoType},
                                                {"black_level", b.blackLevel},
                                                {"mark_level", b.markLevel},
                                                {"paper_level", b.paperLevel},
                                                {"paper_threshold", b.paperThreshold},
                                                {"mark_threshold", b.markThreshold}};
    QJsonObject object;
    for (const auto& [name, value] : fields) {
        if (json)
            object.insert(name, value);
        else
            printOut(name + QStringLiteral(": ") + QString::number(value));
    }
    if (json) printJson(object);
    if (record.isEmpty()) return kDone;
    Record::Sheet sheet = linkSheet(session, session.state().PrinterSpeed, session.state().PrinterHandshake);
    sheet.params = b;
    sheet.chart = false;
    return writeRecord(record, sheet);
}

int sensorMode(Session& session, const LinkChoice& choice, std::optional<quint8> mode) {
    if (const int found = session.connect(choice); found != kDone) return found;
    if (mode) {
        const Printer::Status written = Printer::SensorSetup::writeSensorMode(session.link(), *mode);
        if (!written.ok()) return session.fail(written);
        printOut(modeName(*mode));
        return kDone;
    }
    const auto read = session.withReplyLimit<Printer::Result<quint8>>(
        kReplyLimitMs, [&] { return Printer::SensorSetup::readSensorMode(session.link()); });
    if (!read.ok()) return session.fail(read);
    printOut(modeName(read.value));
    return kDone;
}

int calibrate(Session& session, const LinkChoice& choice, Printer::Sensor sensor, int timeoutSeconds) {
    if (const int found = session.connect(choice); found != kDone) return found;
    if (sensor == Printer::Sensor::NearEnd)
        if (const int fitted = requireExtension(session); fitted != kDone) return fitted;
    Printer::Calibration calibration(session.link(), sensor);
    bool timedOut = false;
    calibration.setSilenceMs(timeoutSeconds * 1000);
    QObject::connect(&calibration, &Printer::Calibration::printerSilent, [&] {
        timedOut = true;
        session.link().cancelWaits();
    });
    // No one to ask at a terminal: paper in the printer refuses the calibration, as the wizard's OK does.
    QObject::connect(&calibration, &Printer::Calibration::starting, [] { printError(QStringLiteral("Calibrating...")); });
    const Printer::Status end = calibration.run();
    session.link().ClosePrinterPort();
    if (end.outcome == Printer::Outcome::Refused) {
        printError(QStringLiteral("It seems that the paper is not removed from the printer. Please, remove it."));
        return kRefused;
    }
    if (timedOut && !session.interrupted()) {
        printError(QStringLiteral("The printer did not finish within %1 seconds.").arg(timeoutSeconds));
        return kNoPrinter;
    }
    if (!end.ok()) return session.fail(end);
    printOut(QStringLiteral("calibrated"));
    return kDone;
}

namespace {
// False when standard output is gone (a closed pipe): the reader has stopped listening. The error flag is
// the one sure sign: on Windows a write to a closed pipe leaves fprintf's count and fflush's result as if it
// had been written, and only marks the stream.
bool printSample(const MonitorOptions& options, bool bar, qint64 ms, const Printer::Sampler::Reading& r) {
    int written = 0;
    if (bar) {
        const int width = r.value * 50 / 255;
        written = std::fprintf(stdout, "\r%6lld ms  %3d  [%-50s]%s", static_cast<long long>(ms), r.value,
                               qPrintable(QString(width, QLatin1Char('#'))),
                               r.nearEnd ? (*r.nearEnd == 1 ? "  near end" : "  paper ok ") : "");
    } else if (options.sensor == Printer::Sensor::NearEnd) {
        written = std::fprintf(stdout, "%lld,%d,%d\n", static_cast<long long>(ms), r.value, r.nearEnd.value_or(0));
    } else {
        written = std::fprintf(stdout, "%lld,%d\n", static_cast<long long>(ms), r.value);
    }
    return written >= 0 && std::fflush(stdout) == 0 && !std::ferror(stdout);
}
int recordRun(Session& session, const MonitorOptions& options, const Printer::Sampler& sampler,
              const std::optional<OptoParameterBlock>& params, const Printer::SampleStore& samples) {
    Record::Sheet sheet = linkSheet(session, sampler.savedSpeed(), sampler.savedHandshake());
    sheet.sensor = options.sensor;
    sheet.params = params;
    sheet.samples = samples.samples();
    return writeRecord(options.record, sheet);
}
} // namespace

namespace {
// What became of the port while the monitor ran: the loss that ends it (a loss without --reconnect, one
// that outlasted the wait, one still on at the end), told on standard error, one line per loss and per
// recovery, while the CSV rows keep their times and so show the gap.
struct Losses {
    QString last;        // the loss in progress or last
    QString ended;       // the loss that ended the sampling
    bool silent = false; // the last loss was a printer that stopped answering, its port still there
    QTimer giveUp;
};

void watchLosses(Printer::Sampler& sampler, const MonitorOptions& options, bool bar, QEventLoop& running,
                 Losses& losses) {
    losses.giveUp.setSingleShot(true);
    QObject::connect(&losses.giveUp, &QTimer::timeout, &running, [&] {
        losses.ended = losses.last;
        running.quit();
    });
    QObject::connect(&sampler, &Printer::Sampler::lost, &running, [&, bar](const QString& problem) {
        losses.last = problem;
        losses.silent = sampler.lostBySilence();
        if (!options.reconnect) {
            losses.ended = problem;
            running.quit();
            return;
        }
        if (bar) std::fprintf(stdout, "\n"); // the notice on a line of its own, not over the bar
        printError(problem.section(QLatin1Char('\r'), 0, 0) + QLatin1Char(' ') + sampler.waitingText());
        if (options.reconnectSeconds > 0) losses.giveUp.start(options.reconnectSeconds * 1000);
    });
    QObject::connect(&sampler, &Printer::Sampler::resumed, &running, [&] {
        losses.giveUp.stop();
        losses.last.clear();
        if (bar) std::fprintf(stdout, "\n");
        printError(sampler.backText());
    });
}
} // namespace

int monitor(Session& session, const LinkChoice& choice, const MonitorOptions& options) {
    if (const int found = session.connect(choice); found != kDone) return found;
    if (options.sensor == Printer::Sensor::NearEnd)
        if (const int fitted = requireExtension(session); fitted != kDone) return fitted;
    Printer::Sampler sampler(session.link(), options.sensor);
    sampler.setReconnect(options.reconnect);
    const bool bar = !options.csv && Console::outputIsTerminal();
    QEventLoop running;
    Losses losses;
    watchLosses(sampler, options, bar, running, losses);
    const Printer::Status switched = sampler.switchToMonitorSpeed();
    if (!switched.ok()) return session.fail(switched);
    const auto opening = sampler.readOpening();
    const QString silentAtOpening = QStringLiteral("The printer does not answer at 57600 bauds.");
    if (opening.outcome == Printer::Outcome::NoAnswer) {
        // It did not take the switch: without reconnecting there is nothing to wait for.
        if (options.reconnect) {
            printError(silentAtOpening);
        } else {
            losses.ended = silentAtOpening;
            losses.silent = true;
        }
    }

    if (!bar)
        printOut(options.sensor == Printer::Sensor::NearEnd ? QStringLiteral("ms,value,near_end")
                                                            : QStringLiteral("ms,value"));
    Printer::SampleStore samples;
    QTimer pace;
    QElapsedTimer clock;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (!sampler.tickDue()) return;
        const auto sample = sampler.readSample();
        // One time for the row and the record: read twice, a millisecond could pass between them.
        const qint64 at = clock.elapsed();
        if (sample.ok())
            samples.add(at, sample.value.value, sample.value.nearEnd);
        else if (sampler.active()) // not the end of the run: a tick without its reading
            samples.addMissing(at);
        // A reader that went away (`| head`) ends the sampling like Ctrl-C, with the printer put back.
        if (sample.ok() && !printSample(options, bar, at, sample.value)) session.interrupt();
    });
    QTimer end;
    end.setSingleShot(true);
    // The end also ends a tick that still waits for its reply.
    QObject::connect(&end, &QTimer::timeout, &running, [&] {
        if (sampler.waiting()) losses.ended = losses.last; // the printer could not be put back
        sampler.stop();
        running.quit();
    });
    session.setInterruptHandler([&running] { running.quit(); });
    if (options.seconds > 0) end.start(options.seconds * 1000);
    clock.start();
    // A loss said before the loop runs has asked it to quit already, and Qt forgets a quit asked before
    // exec(): the loop would never end.
    if (!session.interrupted() && losses.ended.isEmpty() &&
        (opening.outcome != Printer::Outcome::Cancelled || sampler.waiting())) {
        sampler.start(pace);
        if (sampler.active()) running.exec();
    }
    session.setInterruptHandler({});
    if (bar) std::fprintf(stdout, "\n");
    if (sampler.waiting() && losses.ended.isEmpty()) losses.ended = losses.last;
    sampler.stop();
    const Printer::Status restored = sampler.restoreSpeed();
    int status = kDone;
    // A port that failed under a tick fails the restore as well: that is told once.
    if (!losses.ended.isEmpty())
        status = session.fail(
            {losses.silent ? Printer::Outcome::NoAnswer : Printer::Outcome::PortProblem, losses.ended},
            losses.ended);
    else if (!restored.ok())
        status = session.fail(restored);
    // The samples taken so far are recorded also when the run was interrupted.
    if (!options.record.isEmpty() && recordRun(session, options, sampler, opening.value.params, samples) != kDone &&
        status == kDone)
        status = kNotWritten;
    return session.interrupted() ? kInterrupted : status;
}

} // namespace Cli
