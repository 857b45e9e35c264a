#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real ser2net, started by the test, serving one device on a free loopback port: as an RFC 2217
// server, or as a plain TCP relay that passes bytes and takes no settings. ser2net opens the device when
// a client connects.
class Ser2Net {
public:
    enum class Accepter { Rfc2217, PlainTcp };
    static bool installed();
    // The text a test skips with when ser2net is not installed (scripts/setup installs it).
    static const char* missing();
    // A loopback port that nothing listens on at the moment.
    static quint16 freePort();

    Ser2Net(const QString& devicePath, Accepter accepter = Accepter::Rfc2217);
    ~Ser2Net();
    bool isListening() const { return m_listening; }
    QString url() const;
    void stop(); // as if the server went away: killed, its connections dropped
    // Started again on the same address, as a server that comes back. False when it does not listen.
    bool restart();

private:
    bool start();

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_listening = false;
};

// In a test function: a row whose servers did not start is skipped where ser2net is not installed,
// and fails where it is.
#define VERIFY_SER2NET(ready)                                                                                \
    do {                                                                                                     \
        const bool started = (ready);                                                                        \
        if (!started && !Ser2Net::installed()) QSKIP(Ser2Net::missing());                                    \
        QVERIFY2(started, "ser2net did not start");                                                          \
    } while (false)
