#include "benchkit.h"

#include "link/portnames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
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

PrinterHost::PrinterHost(Where where, int port, const Sim::PrinterConfig& config) : m_where(where) {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    // The program looks its ports up here; the machine's own serial ports stay out of sight.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    QDir(m_dir.path()).mkpath(QStringLiteral("veltaro/ports"));
    PortNames::setSystemDevicePattern(m_dir.path() + QStringLiteral("/no-system-port-%1"));
    if (where == Where::OwnProcess) {
        startProcess(port, config);
        return;
    }
    m_printer = std::make_unique<Sim::SimulatedPrinter>(config);
    if (!m_printer->isPresent() || !m_printer->attach(PortNames::portFolder(), port))
        m_error = m_printer->errorString();
}

void PrinterHost::startProcess(int port, const Sim::PrinterConfig& config) {
#ifdef VELTARO_PRINTER_SIM
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(VELTARO_PRINTER_SIM),
                     {QStringLiteral("--port"), QString::number(port), QStringLiteral("--port-folder"),
                      PortNames::portFolder(), QStringLiteral("--speed"), QString::number(config.speed),
                      QStringLiteral("--flow"),
                      config.hardwareFlow ? QStringLiteral("hardware") : QStringLiteral("xon")});
    // It names itself as the port, then says so on its first line.
    QEventLoop loop;
    QByteArray said;
    QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, &loop, [&] {
        said += m_process->readAllStandardOutput();
        if (said.contains('\n')) loop.quit();
    });
    QObject::connect(m_process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!said.contains(QByteArray("COM") + QByteArray::number(port) + " ->"))
        m_error = QStringLiteral("veltaro-printer-sim did not start: ") + QString::fromLocal8Bit(said);
#else
    Q_UNUSED(port);
    Q_UNUSED(config);
    m_error = QStringLiteral("veltaro-printer-sim is not built");
#endif
}

PrinterHost::~PrinterHost() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate(); // SIGTERM: it removes its port entry on the way out
        if (!m_process->waitForFinished(3000)) m_process->kill();
        m_process->waitForFinished(1000);
    }
}

QString PrinterHost::description() const {
    return m_where == Where::OwnProcess ? QStringLiteral("printer in its own process (veltaro-printer-sim)")
                                        : QStringLiteral("printer in the same process");
}

std::optional<double> PrinterHost::printerCpuMs() const {
    if (!m_process || m_process->state() != QProcess::Running) return std::nullopt;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process->processId()));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    // The fields after the command name (which may hold blanks) start with the state, field 3; user and
    // system time are fields 14 and 15, in clock ticks.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return std::nullopt;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

} // namespace BenchKit
