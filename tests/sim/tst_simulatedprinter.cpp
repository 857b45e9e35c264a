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

struct Exchange {
    bool opened = false;
    QByteArray reply;
};

// Opens the port, writes, collects up to `expected` bytes (waiting at most waitMs), lets the line
// settle and closes.
Exchange exchange(const QString& path, int speed, bool hardware, const QByteArray& command, int expected,
                  int waitMs = 3000) {
    Exchange result;
    QSerialPort port(path);
    port.setBaudRate(speed);
    port.setFlowControl(hardware ? QSerialPort::HardwareControl : QSerialPort::SoftwareControl);
    if (!port.open(QIODevice::ReadWrite)) return result;
    result.opened = true;
    port.clear();
    port.write(command);
    QElapsedTimer waited;
    waited.start();
    while (result.reply.size() < expected && waited.elapsed() < waitMs) {
        QTest::qWait(2);
        result.reply += port.readAll();
    }
    QTest::qWait(5);
    port.close();
    return result;
}

} // namespace

class TestSimulatedPrinter : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_folder.isValid()); }
    void namesItselfAsComPort();
    void answersAtItsSpeedOnly_data();
    void answersAtItsSpeedOnly();
    void followsSpeedSwitch();
    void lateReplyComesWhenDue();
    void unaskedBytesReachTheApplication();
    void vanishesAndComesBack();

private:
    QTemporaryDir m_folder;
};

void TestSimulatedPrinter::namesItselfAsComPort() {
    QString entry;
    {
        SimulatedPrinter printer;
        QVERIFY2(printer.attach(m_folder.path(), 4), qPrintable(printer.errorString()));
        entry = m_folder.path() + "/COM4";
        QCOMPARE(printer.portPath(), entry);
        QCOMPARE(QFileInfo(entry).symLinkTarget(), printer.devicePath());
        QVERIFY(printer.devicePath().startsWith("/dev/pts/"));
    }
    QVERIFY(!QFileInfo::exists(entry));
    QVERIFY(!QFileInfo(entry).isSymLink());
}

void TestSimulatedPrinter::answersAtItsSpeedOnly_data() {
    QTest::addColumn<int>("printerSpeed");
    QTest::addColumn<bool>("hardware");
    QTest::addColumn<int>("lineSpeed");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("9600") << 9600 << false << 9600 << QByteArray(1, 0x03);
    QTest::newRow("28800") << 28800 << false << 28800 << QByteArray(1, 0x05);
    QTest::newRow("38400 hw") << 38400 << true << 38400 << QByteArray(1, char(0x85));
    QTest::newRow("115200 hw") << 115200 << true << 115200 << QByteArray(1, char(0x87));
    QTest::newRow("1200") << 1200 << false << 1200 << QByteArray(1, 0x00);
    QTest::newRow("38400 asked at 28800") << 38400 << false << 28800 << QByteArray();
    QTest::newRow("9600 asked at 19200") << 9600 << false << 19200 << QByteArray();
}

void TestSimulatedPrinter::answersAtItsSpeedOnly() {
    QFETCH(int, printerSpeed);
    QFETCH(bool, hardware);
    QFETCH(int, lineSpeed);
    QFETCH(QByteArray, reply);
    SimulatedPrinter printer({.speed = printerSpeed, .hardwareFlow = hardware});
    QVERIFY(printer.attach(m_folder.path(), 3));
    QSignalSpy received(&printer, &SimulatedPrinter::commandReceived);

    const Exchange got =
        exchange(printer.portPath(), lineSpeed, hardware, kConfig, 1, reply.isEmpty() ? 300 : 3000);
    QVERIFY(got.opened);
    QCOMPARE(got.reply.toHex(), reply.toHex());

    QCOMPARE(printer.transcript().size(), 1);
    const TranscriptEntry entry = printer.transcript().front();
    QCOMPARE(entry.bytes, kConfig);
    QCOMPARE(entry.lineSpeed, lineSpeed);
    QCOMPARE(entry.hardwareFlow, hardware);
    QCOMPARE(entry.heard, !reply.isEmpty());
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.front().front().value<TranscriptEntry>().bytes, kConfig);
}

void TestSimulatedPrinter::followsSpeedSwitch() {
    SimulatedPrinter printer({.speed = 9600});
    QVERIFY(printer.attach(m_folder.path(), 2));
    // As the monitor does it: GS B at the old speed, closed without a reply, reopened at once.
    QVERIFY(exchange(printer.portPath(), 9600, false, QByteArray("\x1d\x42\x86", 3), 0).opened);
    QCOMPARE(exchange(printer.portPath(), 57600, true, kConfig, 1).reply.toHex(), "86");
    QCOMPARE(exchange(printer.portPath(), 9600, false, kStatus, 1, 300).reply, QByteArray());

    QCOMPARE(printer.transcript().size(), 3);
    QCOMPARE(printer.transcript()[0].lineSpeed, 9600);
    QCOMPARE(printer.transcript()[1].lineSpeed, 57600);
    QVERIFY(printer.transcript()[1].hardwareFlow);
    QVERIFY(!printer.transcript()[2].heard);
    printer.clearTranscript();
    QVERIFY(printer.transcript().isEmpty());
}

void TestSimulatedPrinter::lateReplyComesWhenDue() {
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
}

void TestSimulatedPrinter::unaskedBytesReachTheApplication() {
    SimulatedPrinter printer;
    QVERIFY(printer.attach(m_folder.path(), 1));
    QSerialPort port(printer.portPath());
    port.setBaudRate(9600);
    QVERIFY(port.open(QIODevice::ReadWrite));
    const QByteArray noise(3000, '\x55'); // more than one read's worth
    printer.send(noise);
    QByteArray got;
    QTRY_VERIFY((got += port.readAll()).size() >= noise.size());
    QCOMPARE(got, noise);
}

void TestSimulatedPrinter::vanishesAndComesBack() {
    SimulatedPrinter printer;
    QVERIFY(printer.attach(m_folder.path(), 5));
    const QString entry = printer.portPath();
    QSerialPort held(entry);
    held.setBaudRate(9600);
    QVERIFY(held.open(QIODevice::ReadWrite));

    printer.vanish();
    QVERIFY(!printer.isPresent());
    QVERIFY(!QFileInfo(entry).isSymLink());
    QTRY_VERIFY(held.error() != QSerialPort::NoError); // the open port sees the device go
    held.close();
    QVERIFY(!exchange(entry, 9600, false, kStatus, 1).opened);

    QVERIFY(printer.reappear());
    QCOMPARE(printer.portPath(), entry);
    QCOMPARE(QFileInfo(entry).symLinkTarget(), printer.devicePath());
    QCOMPARE(exchange(entry, 9600, false, kStatus, 1).reply.toHex(), "04");
}

QTEST_GUILESS_MAIN(TestSimulatedPrinter)
#include "tst_simulatedprinter.moc"
