#pragma once

#include "outcome.h"

#include <QByteArray>
#include <QMetaObject>

#include <optional>

class Link;

namespace Printer {

// One exchange with the printer on the shared link settings: open, send, wait for the reply, close. A
// port the system refuses, a command the line does not take and a device that vanishes during the wait
// end the exchange with the technician's words in problem(); a cancelled wait ends it with nothing to
// say. The Link outlives every page, so an exchange may safely finish after the page that started it
// is gone.
class Exchange {
public:
    explicit Exchange(Link& link);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    bool open();
    bool send(const QByteArray& command); // false: the port is closed and problem() says why
    // The same, with what the line delivered before dropped first, so that the next byte read is this
    // command's reply: a port left open between two tries may hold a late byte of the first.
    bool ask(const QByteArray& command);
    std::optional<quint8> readByte();     // nothing: cancelled, or the device was lost
    std::optional<QByteArray> readBlock(int count);
    void close();

    bool lost() const { return m_lost; }
    const QString& problem() const { return m_problem; }
    // What a failed step means: a problem to tell, or a cancelled wait.
    Status failure() const;
    template <class T> Result<T> fail() const {
        Result<T> r;
        static_cast<Status&>(r) = failure();
        return r;
    }

private:
    template <class T> std::optional<T> afterWait(std::optional<T> reply);

    Link& m_link;
    QMetaObject::Connection m_watch;
    QString m_problem;
    bool m_lost = false;
};

} // namespace Printer
