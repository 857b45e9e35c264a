#include "benchkit.h"

#include "link/portnames.h"
#include "link/serialdevices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numeric>

#include <sys/resource.h>
#include <unistd.h>

namespace BenchKit {

Spread spread(std::vector<double> values) {
    Spread s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    s.count = int(values.size());
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    s.min = values.front();
    s.max = values.back();
    const size_t rank = size_t(std::ceil(0.99 * double(values.size())));
    s.p99 = values[std::clamp<size_t>(rank, 1, values.size()) - 1];
    return s;
}

double processCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

bool serveUntil(const std::function<bool()>& done, int limitMs, int stepMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, stepMs);
    return done();
}

Figure goalFigure(const QString& name, double value, const QString& unit, const QString& goal, bool met) {
    return {name, value, unit, goal, met};
}

Figure floorFigure(const QString& name, double value, const QString& unit, double floor, const QString& goal,
                   bool met) {
    Figure f{name, value, unit, goal, goal.isEmpty() ? std::nullopt : std::optional<bool>(met)};
    f.floor = floor;
    return f;
}

PrinterHost::PrinterHost(Where where) : m_where(where) {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    // The program looks its ports up here; the machine's own serial ports stay out of sight.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    QDir(m_dir.path()).mkpath(QStringLiteral("veltaro/ports"));
    SerialDevices::replaceSystemDevices(QList<SerialDevices::Device>{});
}

PrinterHost::PrinterHost(Where where, int port, const Sim::PrinterConfig& config) : PrinterHost(where) {
    add(port, config);
}

bool PrinterHost::add(int port, const Sim::PrinterConfig& config, bool silent) {
    if (!ready()) return false;
    if (m_where != Where::InProcess) {
        startProcess(port, config, silent);
        return ready();
    }
    auto printer = std::make_unique<Sim::SimulatedPrinter>(config);
    Sim::Faults faults;
    faults.silent = silent;
    printer->setFaults(faults);
    if (!printer->isPresent() || !printer->attach(PortNames::portFolder(), port)) {
        m_error = printer->errorString();
        return false;
    }
    m_printers.push_back(std::move(printer));
    return true;
}

void PrinterHost::startProcess(int port, const Sim::PrinterConfig& config, bool silent) {
#ifdef VELTARO_PRINTER_SIM
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--port"),
                          QString::number(port),
                          QStringLiteral("--port-folder"),
                          m_where == Where::Remote ? m_farSide.path() : PortNames::portFolder(),
                          QStringLiteral("--speed"),
                          QString::number(config.speed),
                          QStringLiteral("--flow"),
                          config.hardwareFlow ? QStringLiteral("hardware") : QStringLiteral("xon")};
    if (silent) arguments << QStringLiteral("--silent");
    process->start(QStringLiteral(VELTARO_PRINTER_SIM), arguments);
    // It names itself as the port, then says so on its first line.
    QEventLoop loop;
    QByteArray said;
    QObject::connect(process.get(), &QProcess::readyReadStandardOutput, &loop, [&] {
        said += process->readAllStandardOutput();
        if (said.contains('\n')) loop.quit();
    });
    QObject::connect(process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!said.contains(QByteArray("COM") + QByteArray::number(port) + " ->"))
        m_error = QStringLiteral("veltaro-printer-sim did not start: ") + QString::fromLocal8Bit(said);
    m_processes.push_back(std::move(process));
    if (m_where == Where::Remote && ready()) serve(port, said);
#else
    Q_UNUSED(port);
    Q_UNUSED(config);
    Q_UNUSED(silent);
    m_error = QStringLiteral("veltaro-printer-sim is not built");
#endif
}

// "COM3 -> /dev/pts/7 at ..." on the printer's first line: that device behind a ser2net, and COM<port>
// of the program's folder its address.
void PrinterHost::serve(int port, const QByteArray& said) {
    const QString device =
        QString::fromLocal8Bit(said).section(QStringLiteral(" -> "), 1).section(QLatin1Char(' '), 0, 0);
    Ser2Net& server = *m_servers.emplace_back(std::make_unique<Ser2Net>(device));
    if (!server.isListening()) {
        m_error = Ser2Net::installed() ? QStringLiteral("ser2net did not start")
                                       : QString::fromLatin1(Ser2Net::missing());
        return;
    }
    QFile entry(PortNames::portFolder() + QStringLiteral("/COM") + QString::number(port));
    if (!entry.open(QIODevice::WriteOnly) || entry.write(server.url().toUtf8() + '\n') < 0)
        m_error = QStringLiteral("cannot write ") + entry.fileName();
}

PrinterHost::~PrinterHost() {
    m_servers.clear(); // before the printers whose devices they hold
    for (const auto& process : m_processes)
        if (process->state() != QProcess::NotRunning) process->terminate(); // it removes its port entry
    for (const auto& process : m_processes) {
        if (!process->waitForFinished(3000)) process->kill();
        process->waitForFinished(1000);
    }
}

QString PrinterHost::description() const {
    switch (m_where) {
    case Where::OwnProcess:
        return QStringLiteral("printer in its own process (veltaro-printer-sim)");
    case Where::Remote:
        return QStringLiteral("printer in its own process behind ser2net (RFC 2217 on loopback)");
    case Where::InProcess:
        break;
    }
    return QStringLiteral("printer in the same process");
}

std::optional<double> PrinterHost::printerCpuMs() const {
    if (m_processes.empty()) return std::nullopt;
    double ticks = 0;
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::Running) return std::nullopt;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process->processId()));
        if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
        // The fields after the command name (which may hold blanks) start with the state, field 3; user
        // and system time are fields 14 and 15, in clock ticks.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13) return std::nullopt;
        ticks += fields[11].toDouble() + fields[12].toDouble();
    }
    return ticks * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

BoxWatcher::BoxWatcher() {
    qApp->installEventFilter(this);
}
BoxWatcher::~BoxWatcher() {
    qApp->removeEventFilter(this);
}

qint64 BoxWatcher::nowNs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.nsecsElapsed();
}

bool BoxWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (!box) return false;
    shownNs.push_back(nowNs());
    texts << box->text();
    const QPointer<QMessageBox> guard(box);
    QTimer::singleShot(0, box, [guard] {
        if (!guard) return;
        QAbstractButton* button = guard->defaultButton();
        if (!button) button = guard->button(QMessageBox::Ok);
        if (button)
            button->click();
        else
            guard->accept();
    });
    return false;
}

} // namespace BenchKit
