// The printer link against a bare pseudo-terminal: which device a port number names, what the port object
// reads and keeps, how the waits count and end, how a port that cannot be used is reported, and the
// moment a closed port is held for the monitor's next tick.
#include "link/link.h"
#include "link/serialdevices.h"
#include "support/ptypair.h"

#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using SerialDevices::Device;

class TstLink : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPortFolder> folder;
    std::unique_ptr<RawPty> pty;
    SharedState state;
    std::unique_ptr<MSComm> comm;
    std::unique_ptr<QTimer> timer1;
    std::unique_ptr<Link> link;

private slots:
    void init() {
        folder = std::make_unique<TestPortFolder>();
        pty = std::make_unique<RawPty>();
        folder->setPort(3, pty->slavePath());
        state = SharedState{};
        state.EscChar = "\x1b";
        state.PrinterPort = 3;
        state.PrinterSpeed = "9600";
        state.PrinterHandshake = 1;
        comm = std::make_unique<MSComm>();
        timer1 = std::make_unique<QTimer>();
        link = std::make_unique<Link>(state, *comm, *timer1);
    }
    void cleanup() {
        link.reset();
        comm.reset();
        timer1.reset();
    }

    // A dangling entry names no port; without an entry, a lone adapter the system lists is COM1.
    void portExistence() {
        QVERIFY(link->PortExists(3) != 0);
        QCOMPARE(link->PortExists(4), 0); // no entry, and the system ports are out of sight
        folder->setPort(4, folder->path() + "/nowhere");
        QCOMPARE(link->PortExists(4), 0);
        folder->setPort(3, {});
        SerialDevices::replaceSystemDevices(QList{Device{pty->slavePath(), "FT232R USB UART"}});
        state.PrinterPort = 1;
        QVERIFY(link->SendCommand("x"));
        QCOMPARE(pty->readAll(), QByteArray("x"));
        QCOMPARE(SerialDevices::describePort(1), pty->slavePath() + ", FT232R USB UART");
        SerialDevices::replaceSystemDevices(QList<Device>{});
    }

    // COM1..COM6 over the port folder ("n>device", nothing after ">" when the entry leads nowhere) and the
    // system's devices ("path|description"), as the technician reads them; nothing between ";" for none.
    void numbering_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("ports");
        QTest::newRow("UARTs keep their numbers, others fill the gaps by name")
            << ""
            << "/dev/ttyUSB0|FT;/dev/ttyS2|;/dev/ttyACM0|CDC;/dev/ttyS0|"
            << "/dev/ttyS0;/dev/ttyACM0, CDC;/dev/ttyS2;/dev/ttyUSB0, FT;;";
        QTest::newRow("ttyUSB10 after ttyUSB9") << ""
                                                << "/dev/ttyUSB10|;/dev/ttyUSB9|"
                                                << "/dev/ttyUSB9;/dev/ttyUSB10;;;;";
        QTest::newRow("entries win, one leading nowhere hides its number")
            << "1>/dev/pts/7;2>"
            << "/dev/ttyS0|;/dev/ttyS1|;/dev/ttyUSB0|"
            << "/dev/pts/7;;/dev/ttyUSB0;;;";
        QTest::newRow("a device an entry names is not numbered again") << "4>/dev/ttyUSB0"
                                                                       << "/dev/ttyUSB0|FT"
                                                                       << ";;;/dev/ttyUSB0, FT;;";
    }
    void numbering() {
        QFETCH(QString, folder);
        QFETCH(QString, system);
        QFETCH(QString, ports);
        SerialDevices::FolderEntries entries;
        for (const QString& entry : folder.split(';', Qt::SkipEmptyParts))
            entries[entry.section('>', 0, 0).toInt()] = entry.section('>', 1);
        QList<Device> devices;
        for (const QString& device : system.split(';'))
            devices << Device{device.section('|', 0, 0), device.section('|', 1)};
        const SerialDevices::Numbering numbering = SerialDevices::number(entries, devices);
        QStringList described, expected = ports.split(';');
        for (int n = 1; n <= 6; ++n) {
            described << SerialDevices::describe(n, numbering);
            if (expected[n - 1].isEmpty()) expected[n - 1] = QString("No device has the number COM%1").arg(n);
        }
        QCOMPARE(described, expected);
    }

    // The first send opens the port with the shared settings; opening an open port leaves the line alone.
    void sendOpensWithSharedSettings() {
        state.PrinterHandshake = 2; // hardware, although the list calls it "DSR/DTR Mode"
        QVERIFY(link->SendCommand(link->commands().paperStatus()) && state.PortIsOpen);
        QCOMPARE(pty->readAll(), QByteArray("\x1b\x76"));
        QVERIFY(comm->baudRate() == 9600 && comm->handshaking() == 2 && comm->inputLen() == 50);
        state.PrinterSpeed = "57600";
        QVERIFY(link->OpenPrinterPort().ok);
        QCOMPARE(comm->baudRate(), 9600);
        link->ClosePrinterPort();
        QVERIFY(!state.PortIsOpen && link->OpenPrinterPort().ok);
        QCOMPARE(comm->baudRate(), 57600);
    }

    // The reply is the first byte of one read of up to 50; bytes nobody asked for wait for that read.
    void readTakesFirstByteAndLeavesTheRest_data() {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("left");
        QTest::newRow("three bytes") << 3 << 0;
        QTest::newRow("sixty bytes: 50 read, 10 left") << 60 << 10;
    }
    void readTakesFirstByteAndLeavesTheRest() {
        QFETCH(int, waiting);
        QFETCH(int, left);
        QVERIFY(link->OpenPrinterPort().ok);
        QByteArray bytes;
        for (int i = 0; i < waiting; ++i)
            bytes.append(char(0xA0 + i));
        pty->write(bytes);
        QTRY_COMPARE(comm->inBufferCount(), waiting);
        QVERIFY(link->SendCommand(link->commands().paperStatus()));
        QCOMPARE(link->ReadReplyByte(), std::optional<quint8>(0xA0));
        QCOMPARE(comm->inBufferCount(), left);
        QCOMPARE(comm->inputMode(), MSComm::InputMode::Text);
        if (left) QCOMPARE(quint8(comm->input().at(0)), quint8(0xA0 + 50));
    }

    void waitForInputLooks31Times() {
        QVERIFY(link->OpenPrinterPort().ok);
        int ticks = 0;
        connect(timer1.get(), &QTimer::timeout, this, [&] {
            if (++ticks == 30) pty->write("x"); // arrives during the last delay: not looked at any more
        });
        QCOMPARE(link->WaitForInput(), InputWait::TimedOut);
        QCOMPARE(ticks, 31);
        QTRY_COMPARE(comm->inBufferCount(), 1);
        ticks = 0;
        QCOMPARE(link->WaitForInput(), InputWait::Arrived); // bytes waiting: no delay at all
        QCOMPARE(ticks, 0);
    }

    // One tick, the inner delay's, ends both: the outer one never waits out its own interval.
    void innerDelayEndsTheOuterOne() {
        bool innerRan = false;
        int ticks = 0;
        connect(timer1.get(), &QTimer::timeout, this, [&] { ++ticks; });
        QTimer::singleShot(20, this, [&] { innerRan = link->Delay(10) == WaitResult::Done; });
        QCOMPARE(link->Delay(2000), WaitResult::Done);
        QVERIFY(innerRan && ticks == 1 && timer1->interval() == 10 && !timer1->isActive());
    }

    void cancelEndsEveryWait() {
        QVERIFY(link->OpenPrinterPort().ok);
        QTimer::singleShot(30, this, [&] { link->cancelWaits(); });
        QCOMPARE(link->ReadReplyByte(), std::nullopt);
        QVERIFY(!link->isWaiting());
        QTimer::singleShot(30, this, [&] { link->cancelWaits(); });
        QCOMPARE(link->WaitForInput(), InputWait::Cancelled);
    }

    // Only a user without the right to the device is told how to get it, not one whose port is busy.
    void unusablePortIsReported_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("permitted");
        QTest::newRow("busy") << 3 << true;
        QTest::newRow("missing") << 5 << true;
        QTest::newRow("not permitted") << 3 << false;
    }
    void unusablePortIsReported() {
        QFETCH(int, port);
        QFETCH(bool, permitted);
        MSComm other;
        other.setCommPort(3);
        if (permitted) QVERIFY(other.open().ok); // another program holds COM3
        // Not even its owner may use the device; root may, so the test acts as "nobody" (the saved root
        // identity takes it back), with the port folder open to it.
        const bool root = ::geteuid() == 0;
        if (!permitted) {
            QVERIFY(::chmod(qPrintable(pty->slavePath()), 0) == 0 &&
                    ::chmod(qPrintable(folder->path() + "/../.."), 0755) == 0);
            if (root && ::setresuid(65534, 65534, 0) != 0) QSKIP("cannot act as another user");
        }
        state.PrinterPort = qint16(port);
        const MSComm::OpenResult result = link->OpenPrinterPort();
        const bool sent = link->SendCommand(link->commands().paperStatus());
        if (!permitted && root) QVERIFY(::setresuid(0, 0, 0) == 0);
        QVERIFY(!result.ok && !sent && !state.PortIsOpen);
        QCOMPARE(result.reason.contains("sudo adduser"), !permitted);
        QCOMPARE(link->ReadReplyByte(), std::nullopt); // nothing to wait for on a closed port
        QVERIFY(link->portFailureText(result.reason).contains("COM" + QString::number(port)));
    }

    // A closed port is held a moment so that the monitor's next tick finds it its own: closed for the
    // program meanwhile (what arrives is lost), taken for another program, and the next open is the device
    // and the settings asked for, never the held ones.
    void heldPortReopens_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("same device and settings") << "none";
        QTest::newRow("another speed") << "speed";
        QTest::newRow("the port now leads to another device") << "device";
    }
    void heldPortReopens() {
        QFETCH(QString, change);
        comm->setCommPort(3);
        QVERIFY(comm->open().ok);
        comm->close();
        QVERIFY(!comm->portOpen() && !comm->output("x"));
        MSComm another;
        another.setCommPort(3);
        QVERIFY(!another.open().ok);
        pty->write("late");
        QTest::qWait(20);
        RawPty other;
        if (change == "speed") comm->setSettings("57600,N,8,1");
        if (change == "device") folder->setPort(3, other.slavePath());
        QVERIFY(comm->open().ok && comm->output("b"));
        QCOMPARE(comm->baudRate(), change == "speed" ? 57600 : 9600);
        QCOMPARE((change == "device" ? other : *pty).readAll(), QByteArray("b"));
        QCOMPARE(comm->inBufferCount(), 0);
        pty->write("c");
        QTRY_COMPARE(comm->inBufferCount(), change == "device" ? 0 : 1);
        comm->close();
        QTRY_VERIFY_WITH_TIMEOUT(another.open().ok, 2000); // free once the hold ends
    }

    void deviceVanishingWhileHeldIsNoLoss() {
        QSignalSpy lost(comm.get(), &MSComm::deviceLost);
        comm->setCommPort(3);
        QVERIFY(comm->open().ok);
        comm->close();
        pty->closeMaster();
        folder->setPort(3, QString());
        QTest::qWait(50);
        QVERIFY(lost.isEmpty() && !comm->open().ok); // the program had closed it: nothing to tell
        RawPty back;
        folder->setPort(3, back.slavePath());
        QVERIFY(comm->open().ok && comm->output("d"));
        QCOMPARE(back.readAll(), QByteArray("d"));
    }
};

QTEST_MAIN(TstLink)
#include "tst_link.moc"
