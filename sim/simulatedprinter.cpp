#include "simulatedprinter.h"

#include "linesettings.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

namespace {

// The slave rests at 50 baud while nobody holds it open, a speed the application never uses. The
// application's serial port restores it on close, so bytes read after a close show up as heard at no
// speed instead of at whatever the last application happened to leave.
constexpr speed_t kRestingSpeed = B50;
constexpr int kRestingBaud = 50;

QString systemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

SimulatedPrinter::SimulatedPrinter(const PrinterConfig& config, QObject* parent)
    : QObject(parent), m_model(config) {
    m_clock.start();
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &SimulatedPrinter::sendLateReplies);
    openPty();
}

SimulatedPrinter::~SimulatedPrinter() {
    removePortEntry();
    closePty();
}

bool SimulatedPrinter::fail(const QString& what) {
    m_error = systemError(what);
    return false;
}

bool SimulatedPrinter::openPty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) return fail(QStringLiteral("posix_openpt"));
    const char* slaveName =
        ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0 ? ::ptsname(m_master) : nullptr;
    if (slaveName) m_slave = ::open(slaveName, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &t) != 0) {
        fail(QStringLiteral("opening the pseudo-terminal"));
        closePty();
        return false;
    }
    // Raw, so that nothing the printer sends is echoed back to it or translated on the way.
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, kRestingSpeed);
    ::tcsetattr(m_slave, TCSANOW, &t);
    m_devicePath = QString::fromLocal8Bit(slaveName);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &SimulatedPrinter::readLine);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &SimulatedPrinter::flushOutbox);
    return true;
}

void SimulatedPrinter::closePty() {
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_outbox.clear();
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
    m_devicePath.clear();
}

bool SimulatedPrinter::attach(const QString& portFolder, int portNumber) {
    removePortEntry();
    m_portFolder = portFolder;
    m_portNumber = portNumber;
    return makePortEntry();
}

bool SimulatedPrinter::makePortEntry() {
    if (m_portFolder.isEmpty() || m_devicePath.isEmpty()) return false;
    if (!QDir().mkpath(m_portFolder)) {
        m_error = QStringLiteral("cannot create the port folder ") + m_portFolder;
        return false;
    }
    const QString entry = QDir(m_portFolder).filePath(QStringLiteral("COM%1").arg(m_portNumber));
    // Made aside and renamed over the entry, so that an application looking at the port folder never
    // sees the port missing while an old entry is replaced.
    const QByteArray fresh = QFile::encodeName(entry + QStringLiteral(".new"));
    ::unlink(fresh.constData());
    if (::symlink(QFile::encodeName(m_devicePath).constData(), fresh.constData()) != 0)
        return fail(QStringLiteral("creating ") + entry);
    if (::rename(fresh.constData(), QFile::encodeName(entry).constData()) != 0) {
        ::unlink(fresh.constData());
        return fail(QStringLiteral("creating ") + entry);
    }
    m_portPath = entry;
    return true;
}

void SimulatedPrinter::removePortEntry() {
    if (m_portPath.isEmpty()) return;
    // Only our own entry: another printer may have taken the name since.
    const QString target = QFile::symLinkTarget(m_portPath);
    if (!m_devicePath.isEmpty() && target == m_devicePath) QFile::remove(m_portPath);
    m_portPath.clear();
}

void SimulatedPrinter::setPowered(bool on) {
    m_model.setPowered(on);
    if (on) return;
    m_outbox.clear();
    m_replyTimer.stop();
}

void SimulatedPrinter::vanish() {
    if (!isPresent()) return;
    removePortEntry();
    closePty();
    m_model.dropPending();
    m_replyTimer.stop();
}

bool SimulatedPrinter::reappear() {
    if (isPresent()) return true;
    if (!openPty()) return false;
    return m_portFolder.isEmpty() || makePortEntry();
}

void SimulatedPrinter::readLine() {
    // The speed is read before the bytes: it is the application's only while it holds the port open,
    // and it writes, lets the line settle a few milliseconds, and closes.
    LineSettings settings;
    if (!readLineSettings(m_master, &settings)) {
        m_readNotifier->setEnabled(false);
        return;
    }
    const LineState line{settings.speed == kRestingBaud ? 0 : settings.speed, settings.hardwareFlow};

    QByteArray chunk;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            chunk.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_readNotifier->setEnabled(false); // never spin on a broken line
        break;
    }
    if (chunk.isEmpty()) return;

    const qint64 before = m_model.recordedCount();
    m_model.receive(chunk, line, m_clock.elapsed());
    const QByteArray replied = writeDue(); // at once: the application is waiting with the port open
    // Copies: a handler may clear the transcript. Counted from its end, which stays where it was when the
    // window moves.
    const qsizetype count = std::min<qsizetype>(m_model.recordedCount() - before, m_model.transcript().size());
    const QList<TranscriptEntry> added = m_model.transcript().mid(m_model.transcript().size() - count);
    for (const TranscriptEntry& entry : added)
        emit commandReceived(entry);
    if (!replied.isEmpty()) emit replySent(replied);
}

QByteArray SimulatedPrinter::writeDue() {
    const QByteArray due = m_model.takeDue(m_clock.elapsed());
    if (!due.isEmpty()) write(due);
    if (const auto next = m_model.nextDueMs())
        m_replyTimer.start(int(std::max<qint64>(0, *next - m_clock.elapsed())));
    return due;
}

void SimulatedPrinter::sendLateReplies() {
    const QByteArray replied = writeDue();
    if (!replied.isEmpty()) emit replySent(replied);
}

void SimulatedPrinter::send(const QByteArray& bytes) {
    write(bytes);
}

void SimulatedPrinter::write(const QByteArray& bytes) {
    if (!isPresent()) return;
    m_outbox.append(bytes);
    flushOutbox();
}

void SimulatedPrinter::flushOutbox() {
    while (!m_outbox.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outbox.constData(), size_t(m_outbox.size()));
        if (n > 0) {
            m_outbox.remove(0, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break; // the line is full: the rest goes when it drains
        } else {
            m_outbox.clear(); // a broken line takes nothing more
        }
    }
    m_writeNotifier->setEnabled(!m_outbox.isEmpty());
}

} // namespace Sim
