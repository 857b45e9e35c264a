#include "check.h"

#include "link/portnames.h"
#include "link/protocol.h"
#include "printer/detector.h"
#include "printer/healthcheck.h"
#include "printer/sensorsetup.h"

#include <QJsonDocument>

namespace Cli {

namespace {
// An answer takes milliseconds; a printer silent this long after it gave its name is not going to answer.
constexpr int kReplyLimitMs = 2000;

// The port a check names, as a number of this run, as for the other commands.
qint16 checkedPort(const QString& word) {
    bool number = false;
    const int n = word.toInt(&number);
    if (number) return qint16(n);
    return portNumberFor(word.contains(QLatin1String("://")) ? word : PortNames::systemDeviceName(word));
}

struct Verdict {
    QString reason; // empty: the whole check answered
    QString message;
    int status = kDone;
};

Verdict verdictOf(const Printer::Status& status, const QString& silentText, bool found) {
    switch (status.outcome) {
    case Printer::Outcome::Done:
        return {};
    case Printer::Outcome::FirmwareLoader:
        return {QStringLiteral("firmware loader"), firmwareLoaderText(), kFirmwareLoader};
    case Printer::Outcome::PortProblem:
        return {QStringLiteral("port unusable"), status.problem, kPortUnusable};
    default:
        return {found ? QStringLiteral("stopped answering") : QStringLiteral("no answer"), silentText,
                kNoPrinter};
    }
}

// A port the system does not have, or will not open (another program holds it), is told as such before
// the search, which would only pass it by.
Verdict openable(Session& session, qint16 port) {
    MSComm& comm = session.link().comm();
    const bool exists = session.link().PortExists(port) != 0;
    comm.setCommPort(port);
    comm.setSettings(Protocol::settingsText(QStringLiteral("9600")));
    const MSComm::OpenResult opened = comm.open();
    comm.close();
    if (opened) return {};
    const bool remote = PortNames::devicePath(port).contains(QLatin1String("://"));
    return {remote   ? QStringLiteral("port unusable")
            : exists ? QStringLiteral("port busy")
                     : QStringLiteral("port missing"),
            session.link().portFailureText(opened.reason), kPortUnusable};
}

QJsonObject levelsOf(const OptoParameterBlock& b) {
    return {{"black", b.blackLevel}, {"mark", b.markLevel}, {"paper", b.paperLevel}};
}

// The questions after the printer was found, each with a limit on its silence. Fills `object`.
Verdict readHealth(Session& session, QJsonObject& object) {
    const auto limited = [&](auto read) {
        return session.withReplyLimit<decltype(read())>(kReplyLimitMs, read);
    };
    Link& link = session.link();
    const QString silent =
        QStringLiteral("The printer does not answer at %1 bauds.").arg(session.state().PrinterSpeed);
    const auto paper = limited([&] { return Printer::HealthCheck::paperPresent(link); });
    if (!paper.ok()) return verdictOf(paper, silent, true);
    object.insert("paper", paper.value);
    const auto fitted = limited([&] { return Printer::SensorSetup::extensionFitted(link); });
    if (!fitted.ok()) return verdictOf(fitted, silent, true);
    object.insert("extension", fitted.value);
    object.insert("near_end", QJsonValue::Null);
    if (fitted.value) {
        const auto nearEnd = limited([&] { return Printer::HealthCheck::nearEnd(link); });
        if (!nearEnd.ok()) return verdictOf(nearEnd, silent, true);
        object.insert("near_end", nearEnd.value);
    }
    const auto block = limited([&] { return Printer::SensorSetup::readParameters(link); });
    if (!block.ok()) return verdictOf(block, silent, true);
    const OptoParameterBlock& b = block.value;
    object.insert("sensor_mode", b.optoType == Protocol::kReflective ? "reflective" : "transmissive");
    object.insert("levels", levelsOf(b));
    object.insert("thresholds", QJsonObject{{"paper", b.paperThreshold}, {"mark", b.markThreshold}});
    return {};
}

Printer::Detector::Detection detection(Session& session, qint16 port, const QString& speed,
                                       const QString& flow) {
    Printer::Detector detector(session.link());
    if (!speed.isEmpty())
        return detector.probe(port, speed,
                              flow == QLatin1String("hardware") ? Printer::Detector::kHardware
                                                                : Printer::Detector::kXonXoff);
    if (port != 0) detector.searchOnly(port);
    return detector.search();
}
} // namespace

int checkOne(Session& session, const QString& given, const QString& speed, const QString& flow) {
    const qint16 port = given.isEmpty() ? 0 : checkedPort(given);
    QJsonObject object{{"port", given}, {"found", false}};
    if (port != 0) object.insert("device", PortNames::devicePath(port));
    Verdict verdict = port != 0 ? openable(session, port) : Verdict{};
    if (verdict.reason.isEmpty()) {
        const Printer::Detector::Detection found = detection(session, port, speed, flow);
        verdict = verdictOf(found, found.status, false);
        if (found.ok()) {
            const Printer::Detector::Found& p = found.printer;
            if (given.isEmpty()) object.insert("port", PortNames::portName(p.port));
            object.insert("device", PortNames::devicePath(p.port));
            object.insert("found", true);
            object.insert("name", p.name);
            object.insert("speed", p.speed.toInt());
            object.insert("flow", flowName(p.handshake));
            verdict = readHealth(session, object);
        }
    }
    if (session.interrupted()) verdict = {QStringLiteral("interrupted"), {}, kInterrupted};
    object.insert("reason",
                  verdict.reason.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(verdict.reason));
    if (!verdict.message.isEmpty()) object.insert("message", verdict.message);
    object.insert("status", verdict.status);
    printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    return verdict.status;
}

} // namespace Cli
