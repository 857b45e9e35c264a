#include "exchange.h"

#include "link/link.h"

namespace Printer {

Exchange::Exchange(Link& link) : m_link(link) {
    m_watch = QObject::connect(&m_link, &Link::portLost, [this](const QString& message) {
        m_lost = true;
        if (m_problem.isEmpty()) m_problem = message;
    });
}

Exchange::~Exchange() {
    QObject::disconnect(m_watch);
}

bool Exchange::open() {
    const MSComm::OpenResult result = m_link.OpenPrinterPort();
    if (!result) m_problem = m_link.portFailureText(result.reason);
    return bool(result);
}

bool Exchange::send(const QByteArray& command) {
    if (m_link.SendCommand(command)) return true;
    m_link.ClosePrinterPort();
    if (m_problem.isEmpty())
        m_problem = m_link.portFailureText(QObject::tr("the command could not be written to the port"));
    return false;
}

bool Exchange::ask(const QByteArray& command) {
    m_link.comm().discardInput();
    return send(command);
}

std::optional<quint8> Exchange::readByte() {
    return afterWait(m_link.ReadReplyByte());
}

std::optional<QByteArray> Exchange::readBlock(int count) {
    return afterWait(m_link.ReadReplyBlock(count));
}

void Exchange::close() {
    m_link.ClosePrinterPort();
}

Status Exchange::failure() const {
    if (m_problem.isEmpty()) return {Outcome::Cancelled, {}};
    return {Outcome::PortProblem, m_problem};
}

template <class T> std::optional<T> Exchange::afterWait(std::optional<T> reply) {
    // The link closed the port when the device failed; make sure the shared state says so too.
    if (!reply && m_lost) m_link.ClosePrinterPort();
    return reply;
}

} // namespace Printer
