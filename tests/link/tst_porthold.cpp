// A closed port is held for a moment so that the monitor's next tick finds it its own without a new
// lock: what the program sees meanwhile is a closed port, another program still finds it taken, and the
// next open is the device and the settings asked for, never the held ones by mistake.
#include "link/mscomm.h"
#include "link/portnames.h"
#include "support/ptypair.h"

#include <QSignalSpy>
#include <QTest>

class TstPortHold : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPortFolder> folder;
    std::unique_ptr<RawPty> pty;
    std::unique_ptr<MSComm> comm;

    void openAt(const QString& settings) {
        comm->setSettings(settings);
        QVERIFY(comm->open().ok);
        QVERIFY(comm->portOpen());
    }

private slots:
    void init() {
        folder = std::make_unique<TestPortFolder>();
        pty = std::make_unique<RawPty>();
        QVERIFY(pty->isValid());
        folder->setPort(3, pty->slavePath());
        comm = std::make_unique<MSComm>();
        comm->setCommPort(3);
        comm->setHandshaking(0);
    }
    void cleanup() { comm.reset(); }

    void reopenFindsTheRightDeviceAndSettings_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("same device and settings") << "none";
        QTest::newRow("another speed") << "speed";
        QTest::newRow("the port now leads to another device") << "device";
    }
    void reopenFindsTheRightDeviceAndSettings() {
        QFETCH(QString, change);
        openAt("9600,N,8,1");
        QVERIFY(comm->output("a"));
        QCOMPARE(pty->readAll(), QByteArray("a"));
        comm->close();
        QVERIFY(!comm->portOpen());
        QVERIFY(!comm->output("x")); // closed for the program, held or not
        pty->write("late");          // reaches a closed port: lost
        QTest::qWait(20);

        RawPty other;
        QString settings = "9600,N,8,1";
        if (change == "speed") settings = "57600,N,8,1";
        if (change == "device") folder->setPort(3, other.slavePath());
        openAt(settings);
        QCOMPARE(comm->baudRate(), settings.section(',', 0, 0).toInt());
        QTest::qWait(20);
        QCOMPARE(comm->inBufferCount(), 0);
        QVERIFY(comm->output("b"));
        RawPty& reached = change == "device" ? other : *pty;
        QCOMPARE(reached.readAll(), QByteArray("b"));
        if (change == "device") QCOMPARE(pty->readAll(), QByteArray());
        pty->write("c");
        QTRY_COMPARE(comm->inBufferCount(), change == "device" ? 0 : 1);
        comm->close();
    }

    void anotherProgramWaitsUntilTheHoldEnds() {
        openAt("9600,N,8,1");
        comm->close();
        MSComm another;
        another.setCommPort(3);
        QVERIFY(!another.open().ok); // still taken: nobody slips in between two ticks
        QTRY_VERIFY_WITH_TIMEOUT(another.open().ok, 2000);
        another.close();
    }

    void deviceVanishingWhileHeldIsNoLoss() {
        QSignalSpy lost(comm.get(), &MSComm::deviceLost);
        openAt("9600,N,8,1");
        comm->close();
        pty->closeMaster();
        folder->setPort(3, QString());
        QTest::qWait(50);
        QCOMPARE(lost.count(), 0); // the program had closed it: nothing to tell
        QVERIFY(!comm->open().ok);
        RawPty back;
        folder->setPort(3, back.slavePath());
        openAt("9600,N,8,1");
        QVERIFY(comm->output("d"));
        QCOMPARE(back.readAll(), QByteArray("d"));
    }
};

QTEST_MAIN(TstPortHold)
#include "tst_porthold.moc"
