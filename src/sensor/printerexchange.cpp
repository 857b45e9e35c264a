#include "printerexchange.h"

#include "link/link.h"
#include "shell/messages.h"
#include "shell/page.h"
#include "shell/wizard.h"

PrinterExchange::PrinterExchange(Page& page)
    : m_page(&page), m_wizard(page.wizard()), m_link(page.wizard().link()) {
    m_watch = QObject::connect(&m_link, &Link::portLost, [this](const QString& message) {
        m_lost = true;
        m_lostMessage = message;
    });
}

PrinterExchange::~PrinterExchange() {
    QObject::disconnect(m_watch);
}

bool PrinterExchange::open() {
    const MSComm::OpenResult result = m_link.OpenPrinterPort();
    if (!result) report(m_link.portFailureText(result.reason));
    return bool(result);
}

bool PrinterExchange::send(const QByteArray& command) {
    if (m_link.SendCommand(command)) return true;
    m_link.ClosePrinterPort();
    if (m_lost)
        report(m_lostMessage);
    else
        report(m_link.portFailureText(QObject::tr("the command could not be written to the port")));
    return false;
}

std::optional<quint8> PrinterExchange::readByte() {
    return afterWait(m_link.ReadReplyByte());
}

std::optional<QByteArray> PrinterExchange::readBlock(int count) {
    return afterWait(m_link.ReadReplyBlock(count));
}

void PrinterExchange::close() {
    m_link.ClosePrinterPort();
}

template <class T> std::optional<T> PrinterExchange::afterWait(std::optional<T> reply) {
    if (reply || !m_lost) return reply;
    // The link closed the port when the device failed; make sure the shared state says so too.
    m_link.ClosePrinterPort();
    report(m_lostMessage);
    return std::nullopt;
}

void PrinterExchange::report(const QString& text) {
    if (m_wizard.isEnding()) return;
    Messages::portProblem(m_page, text);
}
