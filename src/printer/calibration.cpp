#include "calibration.h"

#include "exchange.h"
#include "link/link.h"

#include <QPointer>
#include <QTimer>

namespace Printer {

namespace {
constexpr quint8 kNoPaperBit = 0x04; // paper status: set when the sensor sees no paper
} // namespace

Calibration::Calibration(Link& link, Sensor sensor, QObject* parent)
    : QObject(parent), m_link(link), m_sensor(sensor) {}

Status Calibration::run() {
    const QPointer<Calibration> self(this);
    Exchange exchange(m_link);
    if (!exchange.open()) return exchange.failure();
    const Protocol::Commands commands = m_link.commands();
    if (m_sensor == Sensor::PrinterOpto) {
        switch (checkPaper(exchange)) {
        case Paper::Cancelled:
        case Paper::Failed:
            return exchange.failure();
        case Paper::Present:
            return {Outcome::Refused, {}};
        case Paper::Clear:
            break;
        }
    }
    emit starting();
    if (!self) return {Outcome::Cancelled, {}};
    const QByteArray command = m_sensor == Sensor::PrinterOpto ? commands.calibratePrinterOpto()
                                                                : commands.calibrateNearEndOpto();
    // The end mark is the next byte: a late one of the paper check would end it before the printer has.
    if (!exchange.ask(command) || !waitWithPatience(exchange)) return exchange.failure();
    exchange.close();
    return {Outcome::Done, {}};
}

Calibration::Paper Calibration::checkPaper(Exchange& exchange) {
    // The port stays open after a refusal, and a byte may have come since.
    if (!exchange.ask(m_link.commands().paperStatus())) return Paper::Failed;
    const QPointer<Calibration> self(this);
    const std::optional<quint8> status = waitWithPatience(exchange);
    if (!status) return Paper::Cancelled;
    if (*status & kNoPaperBit) return Paper::Clear;
    const PaperDecision decision = m_paperQuestion ? m_paperQuestion() : PaperDecision::Stop;
    if (!self || decision == PaperDecision::Abandon) return Paper::Cancelled;
    return decision == PaperDecision::Stop ? Paper::Present : Paper::Clear;
}

std::optional<quint8> Calibration::waitWithPatience(Exchange& exchange) {
    QTimer patience;
    patience.setSingleShot(true);
    connect(&patience, &QTimer::timeout, this, &Calibration::printerSilent);
    patience.start(m_silenceMs);
    return exchange.readByte();
}

} // namespace Printer
