#pragma once

#include <QString>
#include <QTemporaryDir>

// A bare pseudo-terminal: exact bytes on the line, no printer model in between.
class RawPty {
public:
    RawPty();
    ~RawPty();
    QString slavePath() const { return m_slavePath; }
    void write(const QByteArray& bytes);
    QByteArray readAll(); // what the application wrote, once the line has been quiet for a moment

private:
    int m_master = -1;
    int m_slave = -1; // held open for the whole life (see the platform notes on EIO loops)
    QString m_slavePath;
};

// A private port folder of COMn entries for one test; the machine's own serial ports are out of sight.
class TestPortFolder {
public:
    TestPortFolder();
    QString path() const { return m_dir.path() + QStringLiteral("/veltaro/ports"); }
    void setPort(int n, const QString& devicePath); // COMn -> the device; an empty path removes COMn
    void setRemote(int n, const QString& url);      // COMn: a text file holding the server's address

private:
    QTemporaryDir m_dir;
};
