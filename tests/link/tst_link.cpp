// The printer link against a bare pseudo-terminal: port numbers, what a read takes and leaves, the waits,
// ports that cannot be used, and the moment a closed port is held for the monitor's next tick.
#include "link/link.h"
#include "link/portnames.h"
#include "link/serialdevices.h"
#include "support/ptypair.h"
#include "support/ser2net.h"

#include <QTest>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

using SerialDevices::Device;

namespace {
qint64 cpuNowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
} // namespace

// COM3 leading to a bare pseudo-terminal, and the link over a port object and a delay timer of its own.
struct Line {
    TestPortFolder folder;
    RawPty pty;
    SharedState state;
    MSComm comm;
    QTimer timer1;
    Link link{state, comm, timer1};
    Line() {
        folder.setPort(3, pty.slavePath());
        state.EscChar = "\x1b";
        state.PrinterPort = 3;
        state.PrinterSpeed = "9600";
        state.PrinterHandshake = 1;
    }
};

// A loopback server that never takes a connection: its backlog is full, so the kernel drops every new
// connection request, as a firewall or a host that is gone would.
struct FullBacklog {
    int server = ::socket(AF_INET, SOCK_STREAM, 0);
    std::vector<int> waiting;
    quint16 port = 0;
    FullBacklog() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(server, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(server, 0);
        ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        for (int i = 0; i < 2; ++i) { // fills the queue; none of them is accepted
            waiting.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
            ::connect(waiting.back(), reinterpret_cast<sockaddr*>(&address), length);
        }
    }
    ~FullBacklog() {
        for (int fd : waiting)
            ::close(fd);
        ::close(server);
    }
};

// A loopback server that counts the connections it takes; it passes each on to `target` (a port on
// loopback), or, without one, holds it and never answers.
struct CountingServer {
    QTcpServer server;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    int taken = 0;
    explicit CountingServer(quint16 target = 0) {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, target] {
            while (QTcpSocket* client = server.nextPendingConnection()) {
                ++taken;
                sockets.emplace_back(client);
                if (target == 0) continue;
                auto* far = sockets.emplace_back(std::make_unique<QTcpSocket>()).get();
                far->connectToHost(QHostAddress::LocalHost, target);
                QObject::connect(client, &QTcpSocket::readyRead, far, [=] { far->write(client->readAll()); });
                QObject::connect(far, &QTcpSocket::readyRead, client, [=] { client->write(far->readAll()); });
                QObject::connect(far, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
                QObject::connect(client, &QTcpSocket::disconnected, far, &QTcpSocket::disconnectFromHost);
            }
        });
    }
    QString url() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort()); }
};

class TstLink : public QObject {
    Q_OBJECT
    std::unique_ptr<Line> line;

private slots:
    void init() { line = std::make_unique<Line>(); }
    void cleanup() { line.reset(); }

    // A dangling entry names no port; without an entry, a lone adapter the system lists is COM1.
    void portExistence() {
        QVERIFY(line->link.PortExists(3) != 0);
        QCOMPARE(line->link.PortExists(4), 0); // no entry, and the system ports are out of sight
        line->folder.setPort(4, line->folder.path() + "/nowhere");
        QCOMPARE(line->link.PortExists(4), 0);
        line->folder.setPort(3, {});
        SerialDevices::replaceSystemDevices(QList{Device{line->pty.slavePath(), "FT232R USB UART"}});
        line->state.PrinterPort = 1;
        QVERIFY(line->link.SendCommand("x"));
        QCOMPARE(line->pty.readAll(), QByteArray("x"));
        QCOMPARE(SerialDevices::describePort(1), line->pty.slavePath() + ", FT232R USB UART");
    }

    // Files of the port folder that are no entry: the lone adapter stays COM1 whatever they say, no file
    // is opened as a device, and each is told by the name of its file.
    void filesThatAreNoEntry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text"); // empty: a link to the pseudo-terminal
        QTest::addColumn<QString>("told");
        QTest::newRow("a text that is no address")
            << "COM1" << QByteArray("printer on the left\n") << "holds no address";
        QTest::newRow("an address without a port")
            << "COM1" << QByteArray("rfc2217://kiosk\n") << "holds no address";
        QTest::newRow("an entry above COM6 naming the adapter")
            << "COM7" << QByteArray() << "only COM1 to COM6";
        QTest::newRow("a link to a text") << "COM2" << QByteArray("link") << "which is no serial device";
    }
    void filesThatAreNoEntry() {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QString, told);
        line->folder.setPort(3, {});
        SerialDevices::replaceSystemDevices(QList{Device{line->pty.slavePath(), {}}});
        const QString entry = line->folder.path() + "/" + name;
        QFile file(text == "link" ? line->folder.path() + "/notes.txt" : entry);
        if (!text.isEmpty()) QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        if (text.isEmpty()) QVERIFY(QFile::link(line->pty.slavePath(), entry));
        if (text == "link") QVERIFY(QFile::link(file.fileName(), entry));
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(PortNames::devicePath(n), n == 1 ? line->pty.slavePath() : QString());
        const QStringList mistakes = PortNames::folderMistakes();
        QCOMPARE(mistakes.size(), 1);
        QVERIFY2(mistakes.front().startsWith(entry) && mistakes.front().contains(told),
                 qPrintable(mistakes.front()));
    }

    // COM1..COM6 over the port folder ("n>device", nothing after ">" when the entry leads nowhere) and the
    // system's devices ("path|description"), as the technician reads them; nothing between ";" for none.
    void numbering_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("ports");
        const auto row = [](const char* name, const char* folder, const char* system, const char* ports) {
            QTest::newRow(name) << QString(folder) << QString(system) << QString(ports);
        };
        row("UARTs keep their numbers, others fill the gaps by name", "",
            "/dev/ttyUSB0|FT;/dev/ttyS2|;/dev/ttyACM0|CDC;/dev/ttyS0|",
            "/dev/ttyS0;/dev/ttyACM0, CDC;/dev/ttyS2;/dev/ttyUSB0, FT;;");
        row("ttyUSB10 after ttyUSB9", "", "/dev/ttyUSB10|;/dev/ttyUSB9|", "/dev/ttyUSB9;/dev/ttyUSB10;;;;");
        row("entries win, one leading nowhere hides its number", "1>/dev/pts/7;2>",
            "/dev/ttyS0|;/dev/ttyS1|;/dev/ttyUSB0|", "/dev/pts/7;;/dev/ttyUSB0;;;");
        row("a device an entry names is not numbered again", "4>/dev/ttyUSB0", "/dev/ttyUSB0|FT",
            ";;;/dev/ttyUSB0, FT;;");
        row("a UART above ttyS5 takes a free number", "", "/dev/ttyS7|;/dev/ttyS0|",
            "/dev/ttyS0;/dev/ttyS7;;;;");
        // The names Windows gives; the rules are the same.
        row("a lone adapter as COM9 is COM1", "", "COM9|USB Serial Port", "COM9, USB Serial Port;;;;;");
        row("COM1..COM6 keep theirs, COM7 and up fill the gaps, COM10 after COM9", "",
            "COM12|USB Serial Port;COM3|;COM10|;COM9|;COM1|Communications Port",
            "COM1, Communications Port;COM9;COM3;COM10;COM12, USB Serial Port;");
        row("seven adapters, six numbers", "", "COM7|;COM8|;COM9|;COM10|;COM11|;COM12|;COM13|",
            "COM7;COM8;COM9;COM10;COM11;COM12");
        row("an entry names COM12, one hides COM3", "4>COM12;3>", "COM12|USB Serial Port;COM3|;COM20|",
            "COM20;;;COM12, USB Serial Port;;");
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
        line->state.PrinterHandshake = 2; // hardware, although the list calls it "DSR/DTR Mode"
        QVERIFY(line->link.SendCommand(line->link.commands().paperStatus()) && line->state.PortIsOpen);
        QCOMPARE(line->pty.readAll(), QByteArray("\x1b\x76"));
        QVERIFY(line->comm.baudRate() == 9600 && line->comm.handshaking() == 2 &&
                line->comm.inputLen() == 50);
        line->state.PrinterSpeed = "57600";
        QVERIFY(line->link.OpenPrinterPort().ok);
        QCOMPARE(line->comm.baudRate(), 9600);
        line->link.ClosePrinterPort();
        QVERIFY(!line->state.PortIsOpen && line->link.OpenPrinterPort().ok);
        QCOMPARE(line->comm.baudRate(), 57600);
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
        QVERIFY(line->link.OpenPrinterPort().ok);
        QByteArray bytes;
        for (int i = 0; i < waiting; ++i)
            bytes.append(char(0xA0 + i));
        line->pty.write(bytes);
        QTRY_COMPARE(line->comm.inBufferCount(), waiting);
        QVERIFY(line->link.SendCommand(line->link.commands().paperStatus()));
        QCOMPARE(line->link.ReadReplyByte(), std::optional<quint8>(0xA0));
        QCOMPARE(line->comm.inBufferCount(), left);
        QCOMPARE(line->comm.inputMode(), MSComm::InputMode::Text);
        if (left) QCOMPARE(quint8(line->comm.input().at(0)), quint8(0xA0 + 50));
    }

    // A wait for input ends timed out after its 31st look, at once when bytes wait, and when cancelled.
    void waitForInputLooks31Times() {
        QVERIFY(line->link.OpenPrinterPort().ok);
        int ticks = 0;
        connect(&line->timer1, &QTimer::timeout, this, [&] {
            if (++ticks == 30) line->pty.write("x"); // arrives during the last delay: not looked at any more
        });
        QCOMPARE(line->link.WaitForInput(), InputWait::TimedOut);
        QCOMPARE(ticks, 31);
        QTRY_COMPARE(line->comm.inBufferCount(), 1);
        ticks = 0;
        QCOMPARE(line->link.WaitForInput(), InputWait::Arrived); // bytes waiting: no delay at all
        QCOMPARE(ticks, 0);
        line->comm.input();
        QTimer::singleShot(30, this, [&] { line->link.cancelWaits(); });
        QCOMPARE(line->link.WaitForInput(), InputWait::Cancelled);
    }

    // One tick, the inner delay's, ends both: the outer one never waits out its own interval.
    void innerDelayEndsTheOuterOne() {
        bool innerRan = false;
        int ticks = 0;
        connect(&line->timer1, &QTimer::timeout, this, [&] { ++ticks; });
        QTimer::singleShot(20, this, [&] { innerRan = line->link.Delay(10) == WaitResult::Done; });
        QCOMPARE(line->link.Delay(2000), WaitResult::Done);
        QVERIFY(innerRan && ticks == 1 && line->timer1.interval() == 10 && !line->timer1.isActive());
    }

    // The application asked to quit in the middle of a wait (a signal's handler, the session's end):
    // every kind of wait ends, as cancelled or with the program's own reason, and sleeps until then.
    // Qt's event loops return at once from then on, which a wait that tries again turns into a spin.
    void quitEndsEveryWait_data() {
        QTest::addColumn<QString>("wait");
        QTest::newRow("bounded: a delay") << "delay";
        QTest::newRow("unbounded: a reply") << "reply";
        QTest::newRow("a remote port's connect") << "connect";
        QTest::newRow("a remote port's answer") << "answer";
    }
    void quitEndsEveryWait() {
        QFETCH(QString, wait);
        FullBacklog full;
        std::unique_ptr<Ser2Net> relay;
        if (wait == "connect")
            line->folder.setRemote(3, QStringLiteral("rfc2217://127.0.0.1:%1").arg(full.port));
        if (wait == "answer") { // a plain relay never answers a speed change
            relay = std::make_unique<Ser2Net>(line->pty.slavePath(), Ser2Net::Accepter::PlainTcp);
            VERIFY_SER2NET(relay->isListening());
            line->folder.setRemote(3, relay->url());
        }
        if (wait == "reply") QVERIFY(line->link.OpenPrinterPort().ok);
        QString outcome;
        qint64 cpuMs = 0, wallMs = 0;
        QTimer::singleShot(0, this, [&] {
            QTimer::singleShot(300, qApp, &QCoreApplication::quit);
            QElapsedTimer wall;
            wall.start();
            const qint64 cpuBefore = cpuNowMs();
            if (wait == "delay")
                outcome = line->link.Delay(30000) == WaitResult::Cancelled ? "cancelled" : "done";
            if (wait == "reply") outcome = line->link.ReadReplyByte() ? "a byte" : "cancelled";
            if (wait == "connect" || wait == "answer") {
                const MSComm::OpenResult opened = line->link.OpenPrinterPort();
                outcome = opened.ok ? "open" : opened.reason;
            }
            cpuMs = cpuNowMs() - cpuBefore;
            wallMs = wall.elapsed();
        });
        QCoreApplication::exec();
        if (wait == "delay" || wait == "reply")
            QCOMPARE(outcome, QString("cancelled"));
        else
            QVERIFY2(outcome.contains("the program is ending"), qPrintable(outcome));
        QVERIFY2(cpuMs * 2 < wallMs, qPrintable(QString("%1 ms of CPU in %2 ms").arg(cpuMs).arg(wallMs)));
        QCOMPARE(line->link.Delay(10), WaitResult::Done); // the next run of the loop waits again
    }

    // Connections counted, not timed: the opens of a search at one speed after another share one
    // connection (ser2net closes the device, and drops DTR with it, when its last client leaves), and a
    // server that never answers is left alone for its pause instead of being waited out at every open.
    void remoteConnections_data() {
        QTest::addColumn<QString>("server");
        QTest::newRow("ser2net, one speed after another") << "ser2net";
        QTest::newRow("a server that never answers, opened twice") << "silent";
    }
    void remoteConnections() {
        QFETCH(QString, server);
        std::unique_ptr<Ser2Net> ser2net;
        if (server == "ser2net") {
            ser2net = std::make_unique<Ser2Net>(line->pty.slavePath());
            VERIFY_SER2NET(ser2net->isListening());
        }
        CountingServer counting(ser2net ? quint16(QUrl(ser2net->url()).port()) : 0);
        QVERIFY(counting.server.isListening());
        line->folder.setRemote(3, counting.url());
        QStringList reasons;
        for (const char* speed : {"115200", "57600", "9600"}) {
            line->comm.setCommPort(3);
            line->comm.setSettings(QString(speed) + ",N,8,1");
            const MSComm::OpenResult opened = line->comm.open();
            reasons << opened.reason;
            QVERIFY2(opened.ok == (server == "ser2net"), qPrintable(opened.reason));
            if (opened.ok) QVERIFY(line->comm.output("x"));
            line->comm.close();
            QTest::qWait(300); // a search's wait for the printer's answer at that speed
        }
        QCOMPARE(counting.taken, 1);
        if (server == "silent") QCOMPARE(reasons.last(), reasons.first()); // told again, not waited for
    }

    // COM3 served by ser2net, at its address or its host's name: every byte both ways, 0xFF and NUL among
    // them; a server that is not there, one that takes no settings, and one that goes away under an open port
    // (told once) or a held one.
    void remotePort_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("reason"); // of the open; empty: it opens
        QTest::newRow("ser2net") << "rfc2217" << QString();
        QTest::newRow("nothing listens") << "none"
                                         << "Connection refused";
        QTest::newRow("a server by its name") << "rfc2217, by name" << QString();
        QTest::newRow("the scheme in capitals, blanks around") << "rfc2217, capitals" << QString();
        QTest::newRow("a plain TCP relay") << "tcp"
                                           << "does not accept speed changes";
        QTest::newRow("a server that never takes the connection") << "full"
                                                                  << "did not take the connection";
        QTest::newRow("server stopped under the open port") << "rfc2217, stopped" << QString();
        QTest::newRow("server stopped while the port is held") << "rfc2217, stopped when held" << QString();
    }
    void remotePort() {
        QFETCH(QString, server);
        QFETCH(QString, reason);
        std::unique_ptr<Ser2Net> ser2net;
        FullBacklog full;
        if (server != "none" && server != "full") {
            ser2net = std::make_unique<Ser2Net>(line->pty.slavePath(), server == "tcp"
                                                                           ? Ser2Net::Accepter::PlainTcp
                                                                           : Ser2Net::Accepter::Rfc2217);
            VERIFY_SER2NET(ser2net->isListening());
        }
        const quint16 port = server == "full" ? full.port : Ser2Net::freePort();
        QString url = ser2net ? ser2net->url() : QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
        if (server.endsWith("by name")) url.replace("127.0.0.1", "localhost");
        if (server.endsWith("capitals")) url.replace("rfc2217://", "RFC2217://");
        line->folder.setRemote(3, server.endsWith("capitals") ? " " + url + " " : url);
        QVERIFY(line->link.PortExists(3) && PortNames::devicePath(3) == url);
        QStringList lost;
        connect(&line->link, &Link::portLost, this, [&](const QString& message) { lost << message; });
        const MSComm::OpenResult opened = line->link.OpenPrinterPort();
        QVERIFY2(opened.ok == reason.isEmpty(), qPrintable(opened.reason));
        if (!reason.isEmpty()) {
            QVERIFY2(opened.reason.contains(reason), qPrintable(opened.reason));
            QVERIFY(line->link.portFailureText(opened.reason).contains("COM3") && !line->state.PortIsOpen);
            QCOMPARE(line->link.OpenPrinterPort().reason, opened.reason); // the same again, not a hang
            return;
        }
        line->pty.readAll();
        QVERIFY(line->link.SendCommand(QByteArray("\xff\x00\x1b\xff\xff", 5)));
        QCOMPARE(line->pty.readAll(), QByteArray("\xff\x00\x1b\xff\xff", 5));
        line->pty.write(QByteArray("\x00\xff\x04", 3));
        QTRY_COMPARE(line->comm.inBufferCount(), 3);
        QCOMPARE(line->comm.input(), QByteArray("\x00\xff\x04", 3));
        if (server.endsWith("when held")) line->link.ClosePrinterPort();
        if (server.contains("stopped")) ser2net->stop();
        QTest::qWait(300);
        QCOMPARE(lost.size(), server == "rfc2217, stopped" ? 1 : 0);
        if (!lost.isEmpty()) QVERIFY2(lost.front().contains("COM3"), qPrintable(lost.front()));
        if (server.contains("stopped")) {
            QVERIFY(!line->comm.portOpen());
            line->state.PortIsOpen = false;
            QVERIFY(line->link.OpenPrinterPort().reason.contains("Connection refused"));
        }
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
        line->comm.setCommPort(3);
        QVERIFY(line->comm.open().ok);
        line->comm.close();
        QVERIFY(!line->comm.portOpen() && !line->comm.output("x"));
        line->pty.write("late");
        QTest::qWait(20);
        MSComm another;
        another.setCommPort(3);
        QVERIFY(!another.open().ok); // still taken when the next tick is due
        RawPty other;
        if (change == "speed") line->comm.setSettings("57600,N,8,1");
        if (change == "device") line->folder.setPort(3, other.slavePath());
        QVERIFY(line->comm.open().ok && line->comm.output("b"));
        QCOMPARE(line->comm.baudRate(), change == "speed" ? 57600 : 9600);
        QCOMPARE((change == "device" ? other : line->pty).readAll(), QByteArray("b"));
        QCOMPARE(line->comm.inBufferCount(), 0);
        line->pty.write("c");
        QTRY_COMPARE(line->comm.inBufferCount(), change == "device" ? 0 : 1);
        line->comm.close();
        QTRY_VERIFY_WITH_TIMEOUT(another.open().ok, 2000); // free once the hold ends
    }
};

QTEST_MAIN(TstLink)
#include "tst_link.moc"
