#pragma once

// veltaro-cli check: a printer's health in one result, for one port or an estate of them. Every port is
// checked by a process of its own (this program again, `check --one`), so that a port that hangs is cut
// off at its time limit and killed without touching the others, and each check keeps its own link and
// waits. The parent only starts, times and gathers: JSON lines as checks finish, a table at the end, a
// Prometheus text file.

#include "clisession.h"

#include <QJsonObject>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace Cli {

// A port as the ports file or --port names it: a number, a device, an rfc2217:// address, and a label
// (a till's name); an empty port is the search of COM1..COM6.
struct CheckTarget {
    QString port;
    QString label;
};

// The ports file: one port a line, an optional label after white space, `#` comments. `problem` names
// the first line that is not a port.
struct PortsFile {
    QList<CheckTarget> targets;
    QString problem;
};
PortsFile readPortsFile(const QString& path);
// Empty when `port` is a port this system takes; otherwise what is wrong with it.
QString portProblem(const QString& port);

// What the check found, one object per port (documented in the README), and the table of them.
QString checkTable(const QList<QJsonObject>& results);
// Prometheus' text exposition format, for node_exporter's textfile collector.
QString exposition(const QList<QJsonObject>& results, qint64 timestampMs);

// The command: --one checks one port here; otherwise the ports are checked concurrently.
int check(const QCommandLineParser& parser, Session& session);
// The check of one port in this process (its object on standard output); returns its exit status.
int checkOne(Session& session, const QString& port, const QString& speed, const QString& flow);

} // namespace Cli
