// The simulated printer over a real pseudo-terminal, driven the way the application drives the port:
// QSerialPort on the COM entry, a speed, a write, a wait on the event loop, a short settle, a close.
#include "simulatedprinter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Sim;

namespace {

const QByteArray kStatus("\x1b\x76", 2);
const QByteArray kConfig("\x1d\x53\x66\x1c", 4);

// Opens the port (nothing when it cannot), writes, collects up to `expected` bytes (waiting at most
// waitMs), lets the line settle and closes.
std::optional<QByteArray> exchange(const QString& path, int speed, bool hardware, const QByteArray& command,
                                   int expected, int waitMs = 3000) {
    QSerialPort port(path);
    port.setBaudRate(speed);
    port.setFlowControl(hardware ? QSerialPort::HardwareControl : QSerialPort::SoftwareControl);
    if (!port.open(QIODevice::ReadWrite)) return std::nullopt;
    port.clear();
    port.write(command);
    QByteArray reply;
    QElapsedTimer waited;
    waited.start();
    while (reply.size() < expected && waited.elapsed() < waitMs) {
        QTest::qWait(2);
        reply += port.readAll();
    }
    QTest::qWait(5);
    return reply;
}

} // namespace

class TestSimulatedPrinter : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    // Each chunk is heard with the line speed and flow control read off the pseudo-terminal at that
    // moment (28800 and 115200 included), and a GS B switches the printer, as the monitor does it: GS B
    // at the old speed, closed without a reply, reopened at once at the new one.
    void answersAtItsSpeedOnly() {
        SimulatedPrinter printer({.speed = 38400});
        QVERIFY(printer.attach(m_folder.path(), 2));
        QSignalSpy received(&printer, &SimulatedPrinter::commandReceived);
        const QString port = printer.portPath();
        QCOMPARE(exchange(port, 28800, false, kConfig, 1, 300).value_or("-"), QByteArray());
        QCOMPARE(exchange(port, 38400, false, kConfig, 1).value_or("-").toHex(), "05");
        QVERIFY(exchange(port, 38400, false, QByteArray("\x1d\x42\x87", 3), 0));
        QCOMPARE(exchange(port, 57600, true, kStatus, 1, 300).value_or("-"), QByteArray());
        QCOMPARE(exchange(port, 115200, true, kConfig, 1).value_or("-").toHex(), "87");
        QStringList heard;
        for (const TranscriptEntry& e : printer.transcript())
            heard << QString("%1 %2%3 %4")
                         .arg(QString(e.bytes.toHex()))
                         .arg(e.lineSpeed)
                         .arg(e.hardwareFlow ? " hw" : "")
                         .arg(e.heard);
        QCOMPARE(heard, (QStringList{"1d53661c 28800 0", "1d53661c 38400 1", "1d4287 38400 1",
                                     "1b76 57600 hw 0", "1d53661c 115200 hw 1"}));
        QCOMPARE(received.size(), 5);
        QCOMPARE(received.back().front().value<TranscriptEntry>().bytes, kConfig);
    }

    // A reply held back by a calibration comes when due, with its extra bytes; bytes sent unasked come
    // whole, more than one read's worth.
    void bytesComeWhenDue() {
        SimulatedPrinter printer;
        QVERIFY(printer.attach(m_folder.path(), 1));
        printer.setCalibrationTimeMs(150);
        printer.setFaults({.onlyFor = kStatus, .extraBytes = "xy"});
        QSerialPort port(printer.portPath());
        port.setBaudRate(9600);
        QVERIFY(port.open(QIODevice::ReadWrite));
        port.write(QByteArray("\x1d\x4f\x05\x05", 4) + kStatus);
        QTRY_COMPARE(port.bytesAvailable(), 4);
        QCOMPARE(port.readAll().toHex(), QByteArray("00047879"));
        const QByteArray noise(3000, '\x55');
        printer.send(noise);
        QByteArray got;
        QTRY_VERIFY((got += port.readAll()).size() >= noise.size());
        QCOMPARE(got, noise);
    }

    // Named as a COM port by its entry; pulled, the entry goes and an open port sees it go; back, under
    // the same name; gone for good, the entry goes with it.
    void vanishesAndComesBack() {
        auto printer = std::make_unique<SimulatedPrinter>();
        QVERIFY2(printer->attach(m_folder.path(), 5), qPrintable(printer->errorString()));
        const QString entry = m_folder.path() + "/COM5";
        QCOMPARE(printer->portPath(), entry);
        QVERIFY(printer->devicePath().startsWith("/dev/pts/"));
        QSerialPort held(entry);
        QVERIFY(held.open(QIODevice::ReadWrite));
        printer->vanish();
        QVERIFY(!printer->isPresent() && !QFileInfo(entry).isSymLink());
        QTRY_VERIFY(held.error() != QSerialPort::NoError);
        held.close();
        QVERIFY(!exchange(entry, 9600, false, kStatus, 1));
        QVERIFY(printer->reappear());
        QCOMPARE(QFileInfo(entry).symLinkTarget(), printer->devicePath());
        QCOMPARE(exchange(entry, 9600, false, kStatus, 1).value_or("-").toHex(), "04");
        printer.reset();
        QVERIFY(!QFileInfo(entry).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestSimulatedPrinter)
#include "tst_simulatedprinter.moc"
