// The printer link against a bare pseudo-terminal: what the port object reads and keeps, how the waits
// count and end, and how a port that cannot be used is reported.
#include "link/link.h"
#include "link/portnames.h"
#include "support/ptypair.h"

#include <QTest>

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

    void busyOrMissingPortIsReported_data() {
        QTest::addColumn<int>("port");
        QTest::newRow("busy") << 3;
        QTest::newRow("missing") << 5;
    }
    void busyOrMissingPortIsReported() {
        QFETCH(int, port);
        MSComm other;
        other.setCommPort(3);
        QVERIFY(other.open().ok); // another program holds COM3
        state.PrinterPort = qint16(port);
        const MSComm::OpenResult result = link->OpenPrinterPort();
        QVERIFY(!result.ok && !result.reason.isEmpty());
        QVERIFY(!state.PortIsOpen);
        QVERIFY(!link->SendCommand(link->commands().paperStatus()));
        QCOMPARE(link->ReadReplyByte(), std::nullopt); // nothing to wait for on a closed port
        QVERIFY(link->portFailureText(result.reason).contains("COM" + QString::number(port)));
    }
};

QTEST_MAIN(TstLink)
#include "tst_link.moc"
