#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// Serves the printers at once while waiting: each must read a command while the tool still holds the line
// at that command's speed (QTest::qWaitFor sleeps between its looks).
inline bool serveUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// How a program ended (-1: it crashed, did not start or was still running at its limit) and what it wrote.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    // Standard output as JSON lines, one object a line.
    QList<QJsonObject> lines() const {
        QList<QJsonObject> list;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
            list << QJsonDocument::fromJson(line.toUtf8()).object();
        return list;
    }
};

// A program while this process serves the printers; `during` runs once it has started.
inline Run runServing(const QString& program, const QStringList& arguments,
                      const std::function<void(QProcess&)>& during, int limitMs,
                      const QProcessEnvironment& environment = {}) {
    QProcess process;
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted()) return {};
    during(process);
    if (!serveUntil([&] { return process.state() == QProcess::NotRunning; }, limitMs)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
