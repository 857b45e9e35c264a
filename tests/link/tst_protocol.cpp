// The command set as bytes and the small decisions made on reply bytes.
#include "link/protocol.h"

#include <QTest>

class TstProtocol : public QObject {
    Q_OBJECT
    SharedState state;

private slots:
    void initTestCase() {
        state.EscChar = "\x1b";
        state.GsChar = "\x1d";
        state.CanChar = "\x18";
    }

    void commandBytes_data() {
        const Protocol::Commands c{state};
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wake-up") << c.wakeUp() << QByteArray::fromHex("00");
        QTest::newRow("cancel") << c.cancel() << QByteArray::fromHex("18");
        QTest::newRow("paper status") << c.paperStatus() << QByteArray::fromHex("1b76");
        QTest::newRow("identification") << c.identification() << QByteArray::fromHex("1b49");
        QTest::newRow("configuration query") << c.configurationQuery() << QByteArray::fromHex("1d53661c");
        QTest::newRow("extension presence") << c.extensionPresence() << QByteArray::fromHex("1b6e70");
        QTest::newRow("opto parameters") << c.optoParameterQuery() << QByteArray::fromHex("1b4f");
        QTest::newRow("mode reflective") << c.setSensorMode(0) << QByteArray::fromHex("1b6f00");
        QTest::newRow("mode transmissive") << c.setSensorMode(1) << QByteArray::fromHex("1b6f01");
        QTest::newRow("mode store") << c.modeStore() << QByteArray::fromHex("1b73");
        QTest::newRow("printer opto level") << c.printerOptoLevel() << QByteArray::fromHex("1d6f");
        QTest::newRow("near-end state") << c.nearEndState() << QByteArray::fromHex("1b6e73");
        QTest::newRow("near-end level") << c.nearEndOptoLevel() << QByteArray::fromHex("1b6e6c");
        QTest::newRow("speed 57600 hardware") << c.setSpeed(0x86) << QByteArray::fromHex("1d4286");
        QTest::newRow("calibrate printer") << c.calibratePrinterOpto() << QByteArray::fromHex("1d4f0505");
        QTest::newRow("calibrate near-end") << c.calibrateNearEndOpto() << QByteArray::fromHex("1b6e63");
    }
    void commandBytes() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, bytes);
        QCOMPARE(command.toHex(), bytes.toHex());
    }

    // The probe counts an unknown speed as code 0, the speed restore as 3.
    void speedCodes_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("probe");
        QTest::addColumn<int>("restore");
        const int codes[] = {0, 1, 2, 3, 4, 5, 5, 6, 7};
        for (int i = 0; i < 9; ++i)
            QTest::newRow(qPrintable(Protocol::speeds()[i])) << Protocol::speeds()[i] << codes[i] << codes[i];
        QTest::newRow("unknown") << QString("300") << 0 << 3;
    }
    void speedCodes() {
        QFETCH(QString, speed);
        QFETCH(int, probe);
        QFETCH(int, restore);
        QVERIFY(Protocol::speedCode(speed) == probe && Protocol::restoreSpeedCode(speed) == restore);
        QCOMPARE(Protocol::settingsText(speed), speed + ",N,8,1");
    }

    // "This speed with XON/XOFF" in a configuration byte read back: bit 7 is hardware flow, bits 3-6 unused.
    void configuration() {
        const auto xon = [](int byte, const char* speed) {
            return Protocol::configurationMeansXonXoff(quint8(byte), speed);
        };
        QVERIFY(xon(0x06, "57600") && xon(0x05, "38400") && xon(0x05, "28800") && xon(0x7B, "9600"));
        QVERIFY(!xon(0x86, "57600") && !xon(0x05, "57600"));
        QCOMPARE(Protocol::configurationByte(6, 2), quint8(0x86));
    }
};

QTEST_MAIN(TstProtocol)
#include "tst_protocol.moc"
