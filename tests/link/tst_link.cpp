// The printer link against a bare pseudo-terminal: what the port object reads and keeps, how the waits
// count and end, and how a port that cannot be used is reported.
#include "link/link.h"
#include "link/portnames.h"
#include "link/serialdevices.h"
#include "support/ptypair.h"

#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using SerialDevices::Device;

class TstLink : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPortFolder> folder;
    std::unique_ptr<RawPty> pty;
    SharedState state;
    MSComm* comm = nullptr;
    QTimer* timer1 = nullptr;
    Link* link = nullptr;

    void openLink() {
        QVERIFY(link->OpenPrinterPort().ok);
        QVERIFY(state.PortIsOpen);
    }

private slots:
    void init() {
        folder = std::make_unique<TestPortFolder>();
        pty = std::make_unique<RawPty>();
        QVERIFY(pty->isValid());
        folder->setPort(3, pty->slavePath());
        state = SharedState{};
        state.EscChar = QByteArray(1, 27);
        state.GsChar = QByteArray(1, 29);
        state.CanChar = QByteArray(1, 24);
        state.PrinterPort = 3;
        state.PrinterSpeed = "9600";
        state.PrinterHandshake = 1;
        comm = new MSComm(this);
        timer1 = new QTimer(this);
        link = new Link(state, *comm, *timer1, this);
    }
    void cleanup() {
        delete link;
        delete timer1;
        delete comm;
        pty.reset();
        folder.reset();
    }

    void portExistence() {
        QVERIFY(link->PortExists(3) != 0);
        QCOMPARE(link->PortExists(4), 0); // no entry, and the system ports are out of sight
        folder->setPort(4, folder->path() + "/nowhere");
        QCOMPARE(link->PortExists(4), 0); // a link that leads nowhere
        // Without an entry, a lone adapter the system lists is COM1, and opening COM1 reaches it.
        folder->setPort(3, {});
        SerialDevices::replaceSystemDevices(QList{Device{pty->slavePath(), "FT232R USB UART"}});
        state.PrinterPort = 1;
        openLink();
        QCOMPARE(SerialDevices::describePort(1), pty->slavePath() + ", FT232R USB UART");
        SerialDevices::replaceSystemDevices(QList<Device>{});
    }

    // COM1..COM6 as the technician reads them, over the port folder ("n>device", nothing after ">" when
    // the entry leads nowhere) and the system's devices ("path=description"); an empty field: no device.
    void numbering_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("ports");
        const QString ft = "/dev/ttyUSB0=FT232R USB UART";
        QTest::newRow("one adapter, no UART") << "" << ft << "/dev/ttyUSB0, FT232R USB UART;;;;;";
        QTest::newRow("UARTs keep their numbers, others fill the gaps by name")
            << ""
            << "/dev/ttyUSB0;/dev/ttyS2;/dev/ttyACM0=CDC;/dev/ttyS0"
            << "/dev/ttyS0;/dev/ttyACM0, CDC;/dev/ttyS2;/dev/ttyUSB0;;";
        QTest::newRow("adapter back under a new name") << ""
                                                       << "/dev/ttyS0;/dev/ttyUSB1"
                                                       << "/dev/ttyS0;/dev/ttyUSB1;;;;";
        QTest::newRow("ttyUSB10 after ttyUSB9") << ""
                                                << "/dev/ttyUSB10;/dev/ttyUSB9"
                                                << "/dev/ttyUSB9;/dev/ttyUSB10;;;;";
        QTest::newRow("entries win, one leading nowhere hides its number")
            << "1>/dev/pts/7;2>"
            << "/dev/ttyS0;/dev/ttyS1;/dev/ttyUSB0"
            << "/dev/pts/7;;/dev/ttyUSB0;;;";
        QTest::newRow("a device an entry names is not numbered again")
            << "4>/dev/ttyUSB0" << ft << ";;;/dev/ttyUSB0, FT232R USB UART;;";
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
            devices << Device{device.section('=', 0, 0), device.section('=', 1)};
        const SerialDevices::Numbering numbering = SerialDevices::number(entries, devices);
        for (int n = 1; n <= 6; ++n) {
            const QString expected = ports.section(';', n - 1, n - 1);
            QCOMPARE(SerialDevices::describe(n, numbering),
                     expected.isEmpty() ? QString("No device has the number COM%1").arg(n) : expected);
        }
    }

    void readTakesFirstByteAndLeavesTheRest_data() {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("left");
        QTest::newRow("three bytes") << 3 << 0;
        QTest::newRow("sixty bytes: 50 read, 10 left") << 60 << 10;
    }
    void readTakesFirstByteAndLeavesTheRest() {
        QFETCH(int, waiting);
        QFETCH(int, left);
        openLink();
        QByteArray bytes;
        for (int i = 0; i < waiting; ++i)
            bytes.append(char(0xA0 + i));
        pty->write(bytes);
        QTRY_COMPARE(comm->inBufferCount(), waiting);
        QCOMPARE(link->ReadReplyByte(), std::optional<quint8>(0xA0));
        QCOMPARE(comm->inBufferCount(), left);
        QCOMPARE(comm->inputMode(), MSComm::InputMode::Text);
        if (left) QCOMPARE(quint8(comm->input().at(0)), quint8(0xA0 + 50));
    }

    void sendOpensWithSharedSettingsAndOpenTwiceLeavesLineAlone() {
        state.PrinterHandshake = 2;
        QVERIFY(link->SendCommand(link->commands().paperStatus()));
        QVERIFY(state.PortIsOpen);
        QCOMPARE(comm->baudRate(), 9600);
        QCOMPARE(comm->handshaking(), 2); // hardware, although the list calls it "DSR/DTR Mode"
        QCOMPARE(comm->inputLen(), 50);
        state.PrinterSpeed = "57600";
        QVERIFY(link->OpenPrinterPort().ok);
        QCOMPARE(comm->baudRate(), 9600);
        QCOMPARE(pty->readAll(), QByteArray("\x1b\x76"));
        link->ClosePrinterPort();
        QVERIFY(!state.PortIsOpen);
        link->ClosePrinterPort(); // closing a closed port does nothing
        QVERIFY(link->OpenPrinterPort().ok);
        QCOMPARE(comm->baudRate(), 57600);
    }

    void unaskedBytesWaitForALaterRead() {
        openLink();
        pty->write(QByteArray("\x01\x02", 2));
        QTRY_COMPARE(comm->inBufferCount(), 2);
        QVERIFY(link->SendCommand(link->commands().printerOptoLevel()));
        QCOMPARE(link->ReadReplyByte(), std::optional<quint8>(1));
    }

    void waitForInputLooks31Times() {
        openLink();
        int ticks = 0;
        connect(timer1, &QTimer::timeout, this, [&] {
            if (++ticks == 30) pty->write("x"); // arrives during the last delay: not looked at any more
        });
        QCOMPARE(link->WaitForInput(), InputWait::TimedOut);
        QCOMPARE(ticks, 31);
        QTRY_COMPARE(comm->inBufferCount(), 1);
        ticks = 0;
        QCOMPARE(link->WaitForInput(), InputWait::Arrived); // bytes waiting: no delay at all
        QCOMPARE(ticks, 0);
    }

    void innerDelayEndsTheOuterOne() {
        bool innerRan = false;
        int ticks = 0;
        connect(timer1, &QTimer::timeout, this, [&] { ++ticks; });
        QTimer::singleShot(20, this, [&] {
            QCOMPARE(link->Delay(10), WaitResult::Done);
            innerRan = true;
        });
        QCOMPARE(link->Delay(2000), WaitResult::Done);
        QVERIFY(innerRan);
        // One tick, the inner delay's, ended both: the outer one never waited out its own interval.
        QCOMPARE(ticks, 1);
        QCOMPARE(timer1->interval(), 10);
        QVERIFY(!timer1->isActive());
    }

    void cancelEndsEveryWait() {
        openLink();
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
};

QTEST_MAIN(TstLink)
#include "tst_link.moc"
