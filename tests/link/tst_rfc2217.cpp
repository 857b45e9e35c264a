// The bytes of a remote port, without a network: data with 0xFF doubled both ways, the settings as
// subnegotiations, negotiation answered without loops, and a server's answers cut anywhere by the network.
#include "link/remoteline.h"
#include "link/rfc2217.h"

#include <QTest>

using Rfc2217::Answer;
using Rfc2217::Command;

namespace {
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
} // namespace

class TstRfc2217 : public QObject {
    Q_OBJECT

private slots:
    void commands_data() {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("data: 0xFF doubled") << Rfc2217::escape(hex("41ff42ffff")) << hex("41ffff42ffffffff");
        QTest::newRow("115200") << Rfc2217::setBaudRate(115200) << hex("fffa2c010001c200fff0");
        QTest::newRow("a speed with 0xFF in it")
            << Rfc2217::setBaudRate(0x1ff) << hex("fffa2c01000001fffffff0");
        QTest::newRow("hardware flow")
            << Rfc2217::setControl(Rfc2217::kFlowControl[2]) << hex("fffa2c0503fff0");
        QTest::newRow("purge what was received")
            << Rfc2217::purgeData(Rfc2217::kPurgeReceived) << hex("fffa2c0c01fff0");
    }
    void commands() {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, bytes);
        QCOMPARE(built.toHex(' '), bytes.toHex(' '));
    }

    // What the server sends, read in the pieces given (split at each '|').
    void decoder_data() {
        QTest::addColumn<QString>("pieces");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QByteArray>("reply");
        const QList<Answer> none;
        QTest::newRow("data with a doubled 0xFF")
            << QString("61ffff62") << hex("61ff62") << none << QByteArray();
        QTest::newRow("a doubled 0xFF cut in two")
            << QString("61ff|ff62") << hex("61ff62") << none << QByteArray();
        // ser2net 4.3's greeting: only its offer to echo is refused, the rest agrees with ours.
        QTest::newRow("ser2net's greeting")
            << QString("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c") << QByteArray() << none << hex("fffe01");
        QTest::newRow("an answer cut in three, data around it")
            << QString("41fffa|2c65000025|80fff042") << hex("4142")
            << QList<Answer>{{Command::SetBaudRate, hex("00002580")}} << QByteArray();
        QTest::newRow("0xFF inside an answer")
            << QString("fffa2c650000ffff00fff0") << QByteArray()
            << QList<Answer>{{Command::SetBaudRate, hex("0000ff00")}} << QByteArray();
        QTest::newRow("every answer of an open")
            << QString("fffa2c6500002580fff0fffa2c6608fff0fffa2c6901fff0fffa2c7001fff0") << QByteArray()
            << QList<Answer>{{Command::SetBaudRate, hex("00002580")},
                             {Command::SetDataSize, hex("08")},
                             {Command::SetControl, hex("01")},
                             {Command::PurgeData, hex("01")}}
            << QByteArray();
        QTest::newRow("notices and other options' subnegotiations are no answers")
            << QString("fffa2c6b00fff0fffa1801fff0fff143") << hex("43") << none << QByteArray();
        QTest::newRow("unknown options refused, each time asked")
            << QString("fffd18fffb05|fffd18") << QByteArray() << none << hex("fffc18fffe05fffc18");
        QTest::newRow("binary given up: confirmed once")
            << QString("fffe00fffe00fffc00") << QByteArray() << none << hex("fffc00fffe00");
        QTest::newRow("binary asked for again after it was given up")
            << QString("fffe00|fffd00") << QByteArray() << none << hex("fffc00fffb00");
    }
    void decoder() {
        QFETCH(QString, pieces);
        QFETCH(QByteArray, data);
        QFETCH(QList<Answer>, answers);
        QFETCH(QByteArray, reply);
        Rfc2217::Decoder decoder;
        Rfc2217::Decoder::Decoded all;
        for (const QString& piece : pieces.split(QLatin1Char('|'))) {
            const Rfc2217::Decoder::Decoded decoded = decoder.feed(QByteArray::fromHex(piece.toLatin1()));
            all.data += decoded.data;
            all.answers += decoded.answers;
            all.reply += decoded.reply;
        }
        QCOMPARE(all.data.toHex(' '), data.toHex(' '));
        QCOMPARE(all.answers, answers);
        QCOMPARE(all.reply.toHex(' '), reply.toHex(' '));
    }

    void addresses_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("host"); // empty: not an address
        QTest::addColumn<int>("port");
        const auto row = [](const char* name, const char* url, const char* host, int port) {
            QTest::newRow(name) << QString(url) << QString(host) << port;
        };
        row("IPv4", "rfc2217://127.0.0.1:7000", "127.0.0.1", 7000);
        row("IPv6", "rfc2217://[::1]:7001", "::1", 7001);
        row("a name, a blank after it", "rfc2217://kiosk.local:2000 ", "kiosk.local", 2000);
        row("no port", "rfc2217://127.0.0.1", "", 0);
        row("another scheme", "telnet://127.0.0.1:7000", "", 0);
        row("a path", "rfc2217://127.0.0.1:7000/dev/ttyS0", "", 0);
        row("a device", "/dev/ttyUSB0", "", 0);
        // As a technician types it into an entry or --port: the port must open as the remote one it is
        // listed as, never as a file of that name.
        row("upper-case scheme", "RFC2217://127.0.0.1:7000", "127.0.0.1", 7000);
        row("mixed case, blanks around", " Rfc2217://[::1]:7001\t", "::1", 7001);
        row("upper case, no port", "RFC2217://127.0.0.1", "", 0);
    }
    void addresses() {
        QFETCH(QString, url);
        QFETCH(QString, host);
        QFETCH(int, port);
        const std::optional<Rfc2217::Address> address = Rfc2217::parseUrl(url);
        QCOMPARE(address.has_value(), !host.isEmpty());
        QCOMPARE(RemoteLine::isRemote(url), url.contains("://") && !url.startsWith("telnet"));
        if (address) QVERIFY(address->host == host && address->port == port);
    }

    // The text of a port folder entry, as a technician's editor leaves it.
    void entries_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("url"); // empty: no remote port
        const QString url = "rfc2217://127.0.0.1:7000";
        QTest::newRow("one line") << QByteArray("rfc2217://127.0.0.1:7000\n") << url;
        QTest::newRow("no line end, blanks around") << QByteArray("  rfc2217://127.0.0.1:7000 ") << url;
        QTest::newRow("CR LF") << QByteArray("rfc2217://127.0.0.1:7000\r\n") << url;
        QTest::newRow("only the first line counts")
            << QByteArray("/dev/ttyUSB0\nrfc2217://127.0.0.1:7000\n") << QString();
        QTest::newRow("UTF-8 signature") << QByteArray("\xef\xbb\xbfrfc2217://127.0.0.1:7000\r\n") << url;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void entries() {
        QFETCH(QByteArray, text);
        QFETCH(QString, url);
        QCOMPARE(Rfc2217::urlInEntryText(text), url);
    }
};

QTEST_MAIN(TstRfc2217)
#include "tst_rfc2217.moc"
