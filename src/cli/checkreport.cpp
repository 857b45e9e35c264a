#include "check.h"

#include "link/portnames.h"
#include "link/rfc2217.h"
#include "printer/detector.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>

namespace Cli {

QString portProblem(const QString& port) {
    bool number = false;
    const int n = port.toInt(&number);
    if (number)
        return n >= Printer::Detector::kFirstPort && n <= Printer::Detector::kLastPort
                   ? QString()
                   : QStringLiteral("a port number is 1 to 6");
    if (port.contains(QLatin1String("://")))
        return Rfc2217::parseUrl(port) ? QString() : QStringLiteral("an address is rfc2217://HOST:PORT");
    return PortNames::systemDeviceName(port).isEmpty()
               ? QStringLiteral("not a serial device as this system names one")
               : QString();
}

PortsFile readPortsFile(const QString& path) {
    PortsFile read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        read.problem = QStringLiteral("%1: %2").arg(path, file.errorString());
        return read;
    }
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QString port = line.section(blanks, 0, 0);
        const QString problem = portProblem(port);
        if (!problem.isEmpty()) {
            read.problem = QStringLiteral("%1 line %2: %3: %4").arg(path).arg(number).arg(port, problem);
            return read;
        }
        read.targets.append({port, line.section(blanks, 1).trimmed()});
    }
    return read;
}

namespace {
// The state a person reads first: what went wrong, or what the paper is like.
QString stateOf(const QJsonObject& r) {
    if (!r.value("reason").isNull()) return r.value("reason").toString();
    if (!r.value("paper").toBool()) return QStringLiteral("paper out");
    if (r.value("near_end").toBool()) return QStringLiteral("near end");
    return QStringLiteral("ok");
}

QString yesNo(const QJsonValue& value) {
    if (value.isBool()) return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    return QStringLiteral("-");
}
} // namespace

QString checkTable(const QList<QJsonObject>& results) {
    QList<QStringList> rows{
        {"PORT", "LABEL", "STATE", "NAME", "SPEED", "FLOW", "PAPER", "NEAR END", "SECONDS", "STATUS"}};
    for (const QJsonObject& r : results) {
        const int speed = r.value("speed").toInt();
        rows.append({r.value("port").toString(), r.value("label").toString(), stateOf(r),
                     r.value("name").toString(), speed ? QString::number(speed) : QString(),
                     r.value("flow").toString(), yesNo(r.value("paper")),
                     r.value("extension").toBool() ? yesNo(r.value("near_end")) : yesNo(r.value("extension")),
                     QString::number(r.value("seconds").toDouble(), 'f', 1),
                     QString::number(r.value("status").toInt())});
    }
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c)
            line += row[c].leftJustified(widths[c] + 2);
        text += line.trimmed() + QLatin1Char('\n');
    }
    return text;
}

namespace {
QString escaped(QString value) {
    return value.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

struct Metric {
    const char* name;
    const char* help;
    // The samples of one result: extra label text (",level=\"black\"") and value; none when unknown.
    std::function<QList<std::pair<QString, double>>(const QJsonObject&)> samples;
};

QList<std::pair<QString, double>> one(double value) {
    return {{QString(), value}};
}
QList<std::pair<QString, double>> ifFound(const QJsonObject& r, const QString& key) {
    const QJsonValue v = r.value(key);
    if (v.isBool()) return one(v.toBool() ? 1 : 0);
    if (v.isDouble()) return one(v.toDouble());
    return {};
}
QList<std::pair<QString, double>> perLevel(const QJsonObject& r, const QString& key) {
    QList<std::pair<QString, double>> list;
    const QJsonObject levels = r.value(key).toObject();
    for (const char* level : {"black", "mark", "paper"})
        if (levels.contains(level))
            list.append({QStringLiteral(",level=\"%1\"").arg(level), levels.value(level).toDouble()});
    return list;
}

const QList<Metric>& metrics() {
    static const QList<Metric> list{
        {"veltaro_check_success",
         "1 when the printer answered the whole check (paper out and near end included).",
         [](const QJsonObject& r) { return one(r.value("status").toInt() == kDone ? 1 : 0); }},
        {"veltaro_check_status",
         "The check's exit status: 0 done, 1 no answer, 2 firmware loader, 3 port unusable.",
         [](const QJsonObject& r) { return one(r.value("status").toInt()); }},
        {"veltaro_printer_found", "1 when a printer answered with its name on the port.",
         [](const QJsonObject& r) { return one(r.value("found").toBool() ? 1 : 0); }},
        {"veltaro_firmware_loader", "1 when the printer is stuck in its firmware loader and must be flashed.",
         [](const QJsonObject& r) {
             return one(r.value("reason").toString() == QLatin1String("firmware loader"));
         }},
        {"veltaro_paper_present", "1 when paper is at the printer's paper sensor.",
         [](const QJsonObject& r) { return ifFound(r, "paper"); }},
        {"veltaro_near_end_extension", "1 when the near-end extension is fitted.",
         [](const QJsonObject& r) { return ifFound(r, "extension"); }},
        {"veltaro_near_end", "1 when the near-end extension says the roll is near its end.",
         [](const QJsonObject& r) { return ifFound(r, "near_end"); }},
        {"veltaro_sensor_transmissive", "The paper sensor's mode: 0 reflective, 1 transmissive.",
         [](const QJsonObject& r) {
             return r.contains("sensor_mode")
                        ? one(r.value("sensor_mode").toString() == QLatin1String("transmissive"))
                        : QList<std::pair<QString, double>>{};
         }},
        {"veltaro_sensor_level", "The paper sensor's stored levels (0-255): black, mark or backing, paper.",
         [](const QJsonObject& r) { return perLevel(r, "levels"); }},
        {"veltaro_sensor_threshold", "The paper sensor's stored thresholds (0-255): mark or backing, paper.",
         [](const QJsonObject& r) { return perLevel(r, "thresholds"); }},
        {"veltaro_speed_bauds", "The line speed the printer answered at.",
         [](const QJsonObject& r) { return ifFound(r, "speed"); }},
        {"veltaro_check_duration_seconds", "How long the check of the port took.",
         [](const QJsonObject& r) { return one(r.value("seconds").toDouble()); }},
    };
    return list;
}
} // namespace

QString exposition(const QList<QJsonObject>& results, qint64 timestampMs) {
    QString text;
    const auto header = [&](const char* name, const char* help) {
        text +=
            QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n").arg(QLatin1String(name), QLatin1String(help));
    };
    const auto labels = [](const QJsonObject& r) {
        return QStringLiteral("port=\"%1\",device=\"%2\",name=\"%3\",label=\"%4\"")
            .arg(escaped(r.value("port").toString()), escaped(r.value("device").toString()),
                 escaped(r.value("name").toString()), escaped(r.value("label").toString()));
    };
    for (const Metric& metric : metrics()) {
        header(metric.name, metric.help);
        for (const QJsonObject& r : results)
            for (const auto& [extra, value] : metric.samples(r))
                text += QStringLiteral("%1{%2%3} %4\n")
                            .arg(QLatin1String(metric.name), labels(r), extra)
                            .arg(value);
    }
    // node_exporter's textfile collector refuses samples with time stamps: the time is a value of its own.
    header("veltaro_check_timestamp_seconds", "When the check ended, in seconds since the epoch.");
    for (const QJsonObject& r : results)
        text += QStringLiteral("veltaro_check_timestamp_seconds{%1} %2\n")
                    .arg(labels(r), QString::number(double(timestampMs) / 1000.0, 'f', 3));
    return text;
}

} // namespace Cli
