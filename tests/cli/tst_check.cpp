// veltaro-cli check as an estate meets it: printers in every state on pseudo-terminals and behind a real
// ser2net, judged by the results, the exit status and what each printer heard. The programs that watch
// estates reading the results: tests/scripts/estate.sh.
#include "link/mscomm.h"
#include "simulatedprinter.h"
#include "support/cliprocess.h"
#include "support/ptypair.h"
#include "support/ser2net.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {
constexpr int kPort = 3;

// The commands that change a printer: mode, mode store, speed switch, the two calibrations.
QStringList writingCommandsHeard(const Sim::SimulatedPrinter& printer) {
    static const QList<QByteArray> writing{"\x1bo", "\x1bs",
                                           "\x1d"
                                           "B",
                                           "\x1dO", "\x1bnc"};
    QStringList heard;
    for (const Sim::TranscriptEntry& e : printer.transcript())
        for (const QByteArray& command : writing)
            if (e.bytes.startsWith(command)) heard << QString::fromLatin1(e.bytes.toHex(' '));
    return heard;
}

// Stops the check of `port` where it is, as a check stuck in a wait without end would be.
void freezeCheckOf(const QString& port) {
    for (const QFileInfo& entry : QDir("/proc").entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline(entry.filePath() + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> words = cmdline.readAll().split('\0');
        if (words.contains("--one") && words.contains(port.toUtf8()))
            ::kill(entry.fileName().toInt(), SIGSTOP);
    }
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPortFolder> m_ports;
    QTemporaryDir m_farSide; // the printers' own entries, out of the tool's sight
    std::vector<std::unique_ptr<Sim::SimulatedPrinter>> m_printers;
    std::vector<std::unique_ptr<Ser2Net>> m_servers;

    // A printer the tool reaches by its device (or, remote, by its ser2net's address): the word for --port.
    QString printer(const Sim::PrinterConfig& config, bool remote = false) {
        auto& p = m_printers.emplace_back(std::make_unique<Sim::SimulatedPrinter>(config));
        p->attach(m_farSide.path(), int(m_printers.size()));
        if (!remote) return p->devicePath();
        auto& server = m_servers.emplace_back(std::make_unique<Ser2Net>(p->devicePath()));
        return server->isListening() ? server->url() : QString();
    }
    Run check(
        const QStringList& arguments, const std::function<void()>& during = [] {}) {
        return runServing(
            QStringLiteral(VELTARO_CLI), QStringList{"check"} + arguments, [&](QProcess&) { during(); },
            120000);
    }
    QStringList writingHeard() const {
        QStringList heard;
        for (const auto& p : m_printers)
            heard += writingCommandsHeard(*p);
        return heard;
    }

private slots:
    void init() {
        m_ports = std::make_unique<TestPortFolder>();
        for (int n = 1; n <= 6; ++n)
            m_ports->setPort(n, QStringLiteral("/nonexistent/tty%1").arg(n));
    }
    void cleanup() {
        m_servers.clear();
        m_printers.clear();
    }

    // One port in each state: its object, its exit status, and nothing heard that changes the printer.
    void onePort_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QJsonValue>("paper");
        QTest::addColumn<QJsonValue>("nearEnd");
        QTest::newRow("healthy") << "paper" << 0 << "" << QJsonValue(true) << QJsonValue(false);
        QTest::newRow("healthy, probed on its link")
            << "paper, link" << 0 << "" << QJsonValue(true) << QJsonValue(false);
        QTest::newRow("healthy through ser2net")
            << "paper, remote" << 0 << "" << QJsonValue(true) << QJsonValue(false);
        QTest::newRow("paper out") << "" << 0 << "" << QJsonValue(false) << QJsonValue(false);
        QTest::newRow("near end") << "paper, near end" << 0 << "" << QJsonValue(true) << QJsonValue(true);
        QTest::newRow("extension absent")
            << "paper, no extension" << 0 << "" << QJsonValue(true) << QJsonValue();
        QTest::newRow("firmware loader")
            << "loader" << 2 << "firmware loader" << QJsonValue() << QJsonValue();
        QTest::newRow("silent") << "silent" << 1 << "no answer" << QJsonValue() << QJsonValue();
        QTest::newRow("busy port") << "busy" << 3 << "port busy" << QJsonValue() << QJsonValue();
        QTest::newRow("missing device") << "missing" << 3 << "port missing" << QJsonValue() << QJsonValue();
    }
    void onePort() {
        QFETCH(QString, setup);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(QJsonValue, paper);
        QFETCH(QJsonValue, nearEnd);
        Sim::PrinterConfig config{.speed = 4800,
                                  .loaderMode = setup == "loader",
                                  .extensionFitted = !setup.contains("no extension"),
                                  .paperPresent = setup.startsWith("paper"),
                                  .optoParams = {1, 25, 60, 200, 120, 150},
                                  .nearEnd = setup.contains("near end")};
        QString port = setup == "missing" ? QStringLiteral("/dev/veltaro-none")
                                          : printer(config, setup.contains("remote"));
        if (setup.contains("remote") && port.isEmpty()) QSKIP(Ser2Net::missing());
        if (setup == "silent") m_printers.back()->setFaults({.silent = true});
        MSComm other; // another program holds the port, as a terminal program would
        if (setup == "busy") {
            m_ports->setPort(kPort, port);
            port = QString::number(kPort);
            other.setCommPort(kPort);
            QVERIFY(other.open());
        }
        QStringList arguments{"--port", port, "--json"};
        if (setup.contains("link"))
            arguments << "--speed"
                      << "4800"
                      << "--flow"
                      << "xon-xoff";
        const Run r = check(arguments);
        QCOMPARE(r.exitCode, status);
        QCOMPARE(r.lines().size(), 1);
        const QJsonObject o = r.lines().first();
        QCOMPARE(o.value("status").toInt(), status);
        QCOMPARE(o.value("port").toString(), port);
        QCOMPARE(o.value("reason").toString(), reason);
        const auto orNull = [](const QJsonValue& v) { return v.isUndefined() ? QJsonValue() : v; };
        QCOMPARE(orNull(o.value("paper")), paper);
        QCOMPARE(orNull(o.value("near_end")), nearEnd);
        if (status == 0) {
            QCOMPARE(o.value("found").toBool(), true);
            QCOMPARE(o.value("name").toString(), QString("SIM-80 Receipt"));
            QCOMPARE(o.value("speed").toInt(), 4800);
            QCOMPARE(o.value("flow").toString(), QString("xon-xoff"));
            QCOMPARE(o.value("extension").toBool(), config.extensionFitted);
            QCOMPARE(o.value("sensor_mode").toString(), QString("transmissive"));
            QCOMPARE(o.value("levels").toObject(),
                     (QJsonObject{{"black", 25}, {"mark", 60}, {"paper", 200}}));
            QCOMPARE(o.value("thresholds").toObject(), (QJsonObject{{"paper", 120}, {"mark", 150}}));
        } else {
            QVERIFY2(!o.value("message").toString().isEmpty(), qPrintable(r.out));
        }
        QVERIFY(o.value("seconds").toDouble() > 0);
        QCOMPARE(writingHeard(), QStringList());
    }

    // Several ports at once, local and through ser2net: every result whatever order they end in, one that
    // hangs after giving its name cut at its time limit (its own silence limit would end it later, whole
    // in its own way), the others whole; the table without --json.
    void manyPorts_data() {
        QTest::addColumn<bool>("json");
        QTest::newRow("JSON lines") << true;
        QTest::newRow("table") << false;
    }
    void manyPorts() {
        QFETCH(bool, json);
        const QString healthy = printer({.paperPresent = true});
        const QString nearEnd = printer({.paperPresent = true, .nearEnd = true}, true);
        if (nearEnd.isEmpty()) QSKIP(Ser2Net::missing());
        const QString hanging = printer({.paperPresent = true});
        m_printers.back()->setFaults({.silentFrom = "\x1bnp"});
        QTemporaryDir dir;
        QFile list(dir.filePath("ports"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(("# the estate\n" + hanging + "  till 7 (hangs)\n\n" + nearEnd + "\ttill 2\n").toUtf8());
        list.close();
        QStringList arguments{"--port", healthy,   "--ports-from", list.fileName(), "--timeout",
                              "2",      "--speed", "9600",         "--flow",        "xon-xoff"};
        if (json) arguments << "--json";
        // Silent after its name, then stuck for good: only its time limit ends it.
        const Run r = check(arguments, [&] {
            serveUntil(
                [&] {
                    return !m_printers.back()->transcript().isEmpty() &&
                           m_printers.back()->transcript().last().bytes == "\x1bnp";
                },
                20000);
            freezeCheckOf(hanging);
        });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(writingHeard(), QStringList());
        if (!json) {
            const QStringList rows = r.out.split('\n', Qt::SkipEmptyParts);
            QCOMPARE(rows.size(), 4);
            QVERIFY2(rows[0].startsWith("PORT") && rows[1].startsWith(healthy) && rows[1].contains(" ok ") &&
                         rows[2].contains("till 7 (hangs)  timed out") &&
                         QRegularExpression("till 2 +near end").match(rows[3]).hasMatch(),
                     qPrintable(r.out));
            return;
        }
        QMap<QString, QJsonObject> byPort;
        for (const QJsonObject& o : r.lines())
            byPort.insert(o.value("port").toString(), o);
        QCOMPARE(byPort.size(), 3);
        QCOMPARE(byPort[healthy].value("status").toInt(), 0);
        QCOMPARE(byPort[healthy].value("near_end").toBool(), false);
        QCOMPARE(byPort[nearEnd].value("near_end").toBool(), true);
        QCOMPARE(byPort[nearEnd].value("label").toString(), QString("till 2"));
        QCOMPARE(byPort[nearEnd].value("status").toInt(), 0);
        QCOMPARE(byPort[hanging].value("reason").toString(), QString("timed out"));
        QCOMPARE(byPort[hanging].value("label").toString(), QString("till 7 (hangs)"));
        QCOMPARE(byPort[hanging].value("status").toInt(), 1);
        // The hanging port ends last: its line is the last one written.
        QCOMPARE(r.lines().last().value("port").toString(), hanging);
    }

    // Every word is checked before any port is: the run ends with status 64 and nothing was sent.
    void wrongWords_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("told");
        QTest::newRow("a ports file line that is no port")
            << "COM3 till 1\n# spare\nrfc2217://127.0.0.1 till 2\n"
            << QStringList{} << "line 3: rfc2217://127.0.0.1:";
        QTest::newRow("a ports file that is not there") << "" << QStringList{} << "ports:";
        QTest::newRow("no jobs") << "1\n" << QStringList{"--jobs", "0"} << "--jobs takes";
        QTest::newRow("a speed without its flow") << "1\n" << QStringList{"--speed", "9600"} << "go together";
    }
    void wrongWords() {
        QFETCH(QString, file);
        QFETCH(QStringList, arguments);
        QFETCH(QString, told);
        const QString device = printer({});
        QTemporaryDir dir;
        QFile list(dir.filePath("ports"));
        if (!file.isEmpty()) {
            QVERIFY(list.open(QIODevice::WriteOnly));
            list.write(file.replace("COM3", device).toUtf8());
            list.close();
        }
        const Run r = check(QStringList{"--ports-from", list.fileName()} + arguments);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.err.contains(told) && r.err.contains("usage: veltaro-cli check"), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QVERIFY(m_printers.back()->transcript().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
