#include "check.h"
#include "console.h"

#include "link/protocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace Cli {

namespace {
const QString kCheckUsage =
    QStringLiteral("usage: veltaro-cli check [--port P]... [--ports-from FILE] [--speed S "
                   "--flow F] [--jobs N] [--timeout SECONDS] [--json] [--prometheus FILE]");

[[noreturn]] void usage(const QString& problem) {
    printError(QStringLiteral("veltaro-cli: ") + problem);
    printError(kCheckUsage);
    std::exit(kUsage);
}

int atLeastOne(const QCommandLineParser& parser, const QString& option) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 1) usage(QStringLiteral("--%1 takes a whole number from 1").arg(option));
    return value;
}

struct CheckOptions {
    QList<CheckTarget> targets;
    QStringList link; // --speed S --flow F for every port, or nothing
    int jobs = 64;
    int timeoutSeconds = 30;
    bool json = false;
    QString prometheus;
};

// Every word is checked before the first port is: a wrong one ends the run with nothing sent anywhere.
CheckOptions optionsOf(const QCommandLineParser& parser) {
    CheckOptions options;
    for (const QString& port : parser.values(QStringLiteral("port"))) {
        if (const QString problem = portProblem(port); !problem.isEmpty())
            usage(QStringLiteral("--port %1: %2").arg(port, problem));
        options.targets.append({port, {}});
    }
    if (parser.isSet(QStringLiteral("ports-from"))) {
        const PortsFile file = readPortsFile(parser.value(QStringLiteral("ports-from")));
        if (!file.problem.isEmpty()) usage(file.problem);
        options.targets += file.targets;
    }
    const bool speed = parser.isSet(QStringLiteral("speed"));
    const bool flow = parser.isSet(QStringLiteral("flow"));
    if (speed != flow || ((speed || flow) && options.targets.isEmpty()))
        usage(QStringLiteral("--port, --speed and --flow go together"));
    if (speed) {
        const QString s = parser.value(QStringLiteral("speed"));
        const QString f = parser.value(QStringLiteral("flow"));
        if (!Protocol::speeds().contains(s))
            usage(QStringLiteral("--speed takes one of ") + Protocol::speeds().join(QLatin1Char(' ')));
        if (f != QLatin1String("xon-xoff") && f != QLatin1String("hardware"))
            usage(QStringLiteral("--flow takes xon-xoff or hardware"));
        options.link = {QStringLiteral("--speed"), s, QStringLiteral("--flow"), f};
    }
    if (options.targets.isEmpty()) options.targets.append(CheckTarget{}); // the search of COM1..COM6
    options.jobs = atLeastOne(parser, QStringLiteral("jobs"));
    options.timeoutSeconds = atLeastOne(parser, QStringLiteral("timeout"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.prometheus = parser.value(QStringLiteral("prometheus"));
    return options;
}

// The checks, each in a process of its own, at most `jobs` at a time, each killed at its time limit.
class Estate {
public:
    Estate(const CheckOptions& options, Session& session)
        : m_options(options), m_results(options.targets.size()) {
        m_progress = Console::errorIsTerminal();
        session.setInterruptHandler([this] {
            m_interrupted = true;
            for (auto& job : m_jobs)
                job->process.kill();
            m_wake.quit();
        });
    }

    QList<QJsonObject> run() {
        while (!m_interrupted && (m_next < m_results.size() || m_running > 0)) {
            while (!m_interrupted && m_running < m_options.jobs && m_next < m_results.size())
                start(m_next++);
            showProgress();
            // A check that ended while the next ones were started is counted without waiting.
            if (!std::exchange(m_changed, false)) m_wake.exec();
        }
        if (m_progress) std::fputs("\r\033[K", stderr);
        return m_results;
    }
    bool interrupted() const { return m_interrupted; }

private:
    struct Job {
        qsizetype index = 0;
        QProcess process;
        QTimer limit;
        QElapsedTimer clock;
        bool timedOut = false;
        bool ended = false;
    };

    void start(qsizetype index) {
        const CheckTarget& target = m_options.targets[index];
        auto job = std::make_unique<Job>();
        Job& j = *job;
        j.index = index;
        QStringList arguments{QStringLiteral("check"), QStringLiteral("--one")};
        if (!target.port.isEmpty()) arguments << QStringLiteral("--port") << target.port << m_options.link;
        j.process.setStandardErrorFile(QProcess::nullDevice());
        j.limit.setSingleShot(true);
        QObject::connect(&j.limit, &QTimer::timeout, [&j] {
            j.timedOut = true;
            j.process.kill();
        });
        QObject::connect(&j.process, &QProcess::finished, [this, &j] { finish(j); });
        QObject::connect(&j.process, &QProcess::errorOccurred, [this, &j](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) finish(j);
        });
        m_jobs.push_back(std::move(job));
        ++m_running;
        j.clock.start();
        j.limit.start(m_options.timeoutSeconds * 1000);
        j.process.start(QCoreApplication::applicationFilePath(), arguments);
    }

    QJsonObject resultOf(Job& j) const {
        const CheckTarget& target = m_options.targets[j.index];
        const QByteArray out = j.process.readAllStandardOutput().trimmed();
        QJsonObject r = QJsonDocument::fromJson(out.mid(out.lastIndexOf('\n') + 1)).object();
        if (j.timedOut || r.isEmpty()) {
            r = {{"port", target.port}, {"found", false}, {"status", kNoPrinter}};
            r.insert("reason", j.timedOut ? "timed out" : "failed");
            r.insert(
                "message",
                j.timedOut
                    ? QStringLiteral("The check did not end within %1 seconds.").arg(m_options.timeoutSeconds)
                    : QStringLiteral("The check ended without a result: ") + j.process.errorString());
        }
        if (!target.port.isEmpty()) r.insert("port", target.port);
        if (!target.label.isEmpty()) r.insert("label", target.label);
        r.insert("seconds", double(j.clock.elapsed()) / 1000.0);
        return r;
    }

    void finish(Job& j) {
        if (std::exchange(j.ended, true)) return; // a start that failed, then its end
        j.limit.stop();
        const QJsonObject r = resultOf(j);
        m_results[j.index] = r;
        --m_running;
        ++m_done;
        if (m_options.json && !m_interrupted) {
            if (m_progress) std::fputs("\r\033[K", stderr);
            printOut(QString::fromUtf8(QJsonDocument(r).toJson(QJsonDocument::Compact)));
        }
        // The process object is let go once its signal handlers have returned.
        QTimer::singleShot(0, &m_wake, [this, index = j.index] {
            std::erase_if(m_jobs, [index](const std::unique_ptr<Job>& job) { return job->index == index; });
        });
        m_changed = true;
        m_wake.quit();
    }

    // n of N, and which are still running, on a line of its own that is rewritten.
    void showProgress() {
        if (!m_progress) return;
        QStringList running;
        for (const auto& job : m_jobs)
            if (!job->ended) {
                const QString port = m_options.targets[job->index].port;
                running << (port.isEmpty() ? QStringLiteral("search") : port);
            }
        QString line = QStringLiteral("%1 of %2 checked; running: %3")
                           .arg(m_done)
                           .arg(m_results.size())
                           .arg(running.join(QLatin1String(", ")));
        if (line.size() > 118) line = line.left(115) + QStringLiteral("...");
        std::fprintf(stderr, "\r\033[K%s", qPrintable(line));
        std::fflush(stderr);
    }

    const CheckOptions& m_options;
    QList<QJsonObject> m_results;
    std::vector<std::unique_ptr<Job>> m_jobs;
    QEventLoop m_wake;
    qsizetype m_next = 0;
    int m_running = 0;
    int m_done = 0;
    bool m_progress = false;
    bool m_interrupted = false;
    bool m_changed = false;
};

// Written beside the old file and put in its place: node_exporter never reads half a file.
int writeExposition(const QString& path, const QList<QJsonObject>& results) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(exposition(results, QDateTime::currentMSecsSinceEpoch()).toUtf8()) >= 0 && file.commit())
        return kDone;
    printError(QStringLiteral("The metrics could not be written to %1: %2").arg(path, file.errorString()));
    return kNotWritten;
}
} // namespace

int check(const QCommandLineParser& parser, Session& session) {
    if (parser.isSet(QStringLiteral("one")))
        return checkOne(session, parser.value(QStringLiteral("port")), parser.value(QStringLiteral("speed")),
                        parser.value(QStringLiteral("flow")));
    const CheckOptions options = optionsOf(parser);
    Estate estate(options, session);
    const QList<QJsonObject> results = estate.run();
    session.setInterruptHandler({});
    if (estate.interrupted()) return kInterrupted;
    if (!options.json) std::fputs(qPrintable(checkTable(results)), stdout);
    int status = kDone;
    for (const QJsonObject& r : results)
        if (r.value("status").toInt() != kDone)
            status = results.size() == 1 ? r.value("status").toInt() : kNoPrinter;
    if (!options.prometheus.isEmpty() && writeExposition(options.prometheus, results) != kDone &&
        status == kDone)
        status = kNotWritten;
    return status;
}

} // namespace Cli
