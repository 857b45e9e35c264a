#pragma once

#include <QByteArray>
#include <QMetaObject>
#include <QPointer>
#include <QString>

#include <optional>

class Link;
class Page;
class Wizard;

// One exchange of a sensor page with the printer, inside one handler: open the port with the shared
// settings, send, wait for the reply, close. A port the system refuses, a command the line does not take
// and a device that vanishes during the wait are told to the user here, once, in a message box; the
// handler then only stops. A wait that was cancelled (the page left, the program ending) is told to
// nobody: the handler returns at once and touches nothing.
class PrinterExchange {
public:
    explicit PrinterExchange(Page& page);
    ~PrinterExchange();
    PrinterExchange(const PrinterExchange&) = delete;
    PrinterExchange& operator=(const PrinterExchange&) = delete;

    // False: the port could not be opened (told); PortIsOpen stays false.
    bool open();
    // False: the bytes did not go out (told); the port is closed.
    bool send(const QByteArray& command);
    // No reply: the wait was cancelled, or the device was lost (told; see lost()).
    std::optional<quint8> readByte();
    std::optional<QByteArray> readBlock(int count);
    void close();

    // The device failed during this exchange; the user has been told and the port is closed.
    bool lost() const { return m_lost; }

private:
    void report(const QString& text);
    template <class T> std::optional<T> afterWait(std::optional<T> reply);

    QPointer<Page> m_page;
    Wizard& m_wizard;
    Link& m_link;
    QMetaObject::Connection m_watch;
    QString m_lostMessage;
    bool m_lost = false;
};
