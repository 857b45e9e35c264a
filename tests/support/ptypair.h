#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A bare pseudo-terminal for tests that need to put exact bytes on the line or read exactly what the
// application wrote, without a printer model in between.
class RawPty {
public:
    RawPty();
    ~RawPty();
    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    void write(const QByteArray& bytes);
    // Everything the application has written so far (processes events briefly so nothing is in flight).
    QByteArray readAll();
    void closeMaster(); // the device vanishes

private:
    int m_master = -1;
    int m_slave = -1; // held open for the whole life (see the platform notes on EIO loops)
    QString m_slavePath;
};

// A private port folder for one test: COMn entries are created in it, and the machine's own serial ports
// are kept out of sight.
class TestPortFolder {
public:
    TestPortFolder();
    QString path() const { return m_dir.path() + QStringLiteral("/veltaro/ports"); }
    // Makes port n a link to the given device path (or removes the entry when path is empty).
    void setPort(int n, const QString& devicePath);

private:
    QTemporaryDir m_dir;
};
