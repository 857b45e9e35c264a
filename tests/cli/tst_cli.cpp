// veltaro-cli as a script meets it: a separate process against the simulated printer on a pseudo-terminal
// named in a private port folder, judged by its exit status, its standard output and the bytes the
// printer heard.
#include "link/mscomm.h"
#include "simulatedprinter.h"
#include "support/cliprocess.h"
#include "support/ptypair.h"
#include "support/sentreplies.h"
#include "support/ser2net.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QImage>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {
constexpr int kPort = 3;
constexpr int kRemotePort = 4; // a port folder entry holding a ser2net's address

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPortFolder> m_ports;
    std::unique_ptr<Sim::SimulatedPrinter> m_printer;
    QTemporaryDir m_farSide;
    std::unique_ptr<Ser2Net> m_server;

    // The machine's own serial ports are hidden from the tool by entries that lead nowhere.
    void hideOtherPorts() {
        for (int n = 1; n <= 6; ++n)
            if (n != kPort || !m_printer) m_ports->setPort(n, QStringLiteral("/nonexistent/tty%1").arg(n));
    }
    Sim::SimulatedPrinter& printer(const Sim::PrinterConfig& config = {}) {
        m_printer = std::make_unique<Sim::SimulatedPrinter>(config);
        m_printer->attach(m_ports->path(), kPort);
        hideOtherPorts();
        return *m_printer;
    }
    // The printer behind a real ser2net, named COM4 in the port folder unless `named` is false.
    bool remotePrinter(const Sim::PrinterConfig& config = {}, bool named = true) {
        hideOtherPorts();
        m_printer = std::make_unique<Sim::SimulatedPrinter>(config);
        m_printer->attach(m_farSide.path(), kRemotePort);
        m_server = std::make_unique<Ser2Net>(m_printer->devicePath());
        if (named) m_ports->setRemote(kRemotePort, m_server->url());
        return m_server->isListening();
    }
    QStringList heard() const {
        QStringList list;
        if (m_printer)
            for (const Sim::TranscriptEntry& e : m_printer->transcript())
                list << QString::fromLatin1(e.bytes.toHex(' ')) + QStringLiteral(" @") + QString::number(e.lineSpeed);
        return list;
    }
    // The tool runs while this process's event loop serves the printer; `during` runs once it has started.
    // A tool still running after `limitMs` is killed and the run fails (exit code -1): a run that should
    // end by itself fails instead of hanging the test.
    Run run(
        const QStringList& arguments, const std::function<void(QProcess&)>& during = [](QProcess&) {},
        const QString& program = QStringLiteral(VELTARO_CLI), int limitMs = 60000) {
        const Run r = runServing(program, arguments, during, limitMs);
        // Qt's own complaints (an option asked for that the command does not have) are no output of ours.
        if (r.err.contains(QStringLiteral("QCommandLineParser")) ||
            r.err.contains(QStringLiteral("QObject::")))
            QTest::qFail(qPrintable(QStringLiteral("a Qt warning on standard error: ") + r.err), __FILE__,
                         __LINE__);
        return r;
    }
    // The tool's output read by `head -2`, which leaves after two lines; the tool's own exit status.
    Run runIntoHead(const QStringList& arguments) {
        return run(QStringList{"-c", "\"$0\" \"$@\" | head -n 2; exit ${PIPESTATUS[0]}", VELTARO_CLI} + arguments,
                   [](QProcess&) {}, QStringLiteral("bash"));
    }
    static QStringList link(const QString& speed = QStringLiteral("9600")) {
        return {"--port", QString::number(kPort), "--speed", speed, "--flow", "xon-xoff"};
    }

private slots:
    void init() {
        m_printer.reset();
        m_ports = std::make_unique<TestPortFolder>();
        hideOtherPorts();
    }
    void cleanup() {
        m_server.reset();
        m_printer.reset();
    }

    void detectFindsThePrinter_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("remote"); // "": a local printer on COM3; "device": named by its device
        QTest::addColumn<int>("port");
        QTest::newRow("search") << QStringList{"detect", "--json"} << "" << kPort;
        QTest::newRow("probe on a given link")
            << (QStringList{"detect", "--json"} + link("19200")) << "" << kPort;
        QTest::newRow("search through ser2net") << QStringList{"detect", "--json"} << "COM4" << kRemotePort;
        // Named as the first number that does not exist.
        QTest::newRow("probe on an address given")
            << QStringList{"detect", "--json", "--speed", "19200", "--flow", "xon-xoff"} << "--port" << 1;
        QTest::newRow("search with an address given") << QStringList{"detect", "--json"} << "--port" << 1;
        // COM3 leads to the printer's device: that is its number.
        QTest::newRow("probe on the device of COM3")
            << QStringList{"detect", "--json", "--speed", "19200", "--flow", "xon-xoff"} << "device" << kPort;
        // A link (as /dev/serial/by-id/...) to a device no port leads to: the first free number, lent.
        QTest::newRow("probe on a link to a device without a number")
            << QStringList{"detect", "--json", "--speed", "19200", "--flow", "xon-xoff"}
            << "unnumbered device" << 1;
        QTest::newRow("search with a device given")
            << QStringList{"detect", "--json"} << "unnumbered device" << 1;
    }
    void detectFindsThePrinter() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, remote);
        QFETCH(int, port);
        Sim::PrinterConfig config;
        config.speed = 19200;
        const bool local = remote.isEmpty() || remote.endsWith("device");
        if (remote == "unnumbered device") {
            m_printer = std::make_unique<Sim::SimulatedPrinter>(config);
            m_printer->attach(m_farSide.path(), kRemotePort);
            arguments << "--port" << m_farSide.path() + "/COM4";
        } else if (local) {
            printer(config);
        } else {
            VERIFY_SER2NET(remotePrinter(config, remote == "COM4"));
        }
        if (remote == "--port") arguments << "--port" << m_server->url();
        if (remote == "device") arguments << "--port" << m_printer->devicePath();
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 0);
        const QJsonObject found = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(found.value("port").toInt(), port);
        QCOMPARE(found.value("device").toString(), local ? m_printer->devicePath() : m_server->url());
        if (remote.endsWith("device"))
            QVERIFY2(r.err.contains(QStringLiteral("COM%1 is %2").arg(port).arg(m_printer->devicePath())),
                     qPrintable(r.err));
        QCOMPARE(found.value("speed").toInt(), 19200);
        QCOMPARE(found.value("flow").toString(), QString("xon-xoff"));
        QCOMPARE(found.value("name").toString(), QString("SIM-80 Receipt"));
        QVERIFY2(r.err.contains(QStringLiteral("SIM-80 Receipt found on COM %1 at 19200 bauds").arg(port)),
                 qPrintable(r.err));
        if (remote != "COM4") return;
        // `ports` names the address as the device, and a file of the folder that is no entry by its name.
        QVERIFY(QFile::link(m_printer->devicePath(), m_ports->path() + "/COM7"));
        const Run ports = run({"ports", "--json"});
        QCOMPARE(QJsonDocument::fromJson(ports.out.toUtf8()).array().at(3).toObject().value("device"), m_server->url());
        QVERIFY2(ports.err.startsWith(m_ports->path() + "/COM7 is for a port the wizard does not have") &&
                     ports.err.endsWith("; it is not used.\n"),
                 qPrintable(ports.err));
    }

    // Each way a command can end, with its exit status, and what the printer must not have heard.
    void exitStatus_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("neverHeard");
        QTest::newRow("no printer") << "none" << QStringList{"detect"} << 1 << "";
        QTest::newRow("firmware loader") << "loader" << QStringList{"detect"} << 2 << "";
        QTest::newRow("busy port") << "busy" << (QStringList{"params"} + link()) << 3 << "";
        QTest::newRow("paper present") << "paper" << (QStringList{"calibrate", "printer"} + link()) << 4
                                       << "1d 4f 05 05";
        QTest::newRow("extension absent") << "no extension" << (QStringList{"monitor", "neop"} + link()) << 4
                                          << "1d 42";
        QTest::newRow("silent printer") << "silent" << (QStringList{"params"} + link()) << 1 << "";
        QTest::newRow("calibration through ser2net")
            << "remote" << QStringList{"calibrate", "printer"} << 0 << "";
        QTest::newRow("ser2net gone")
            << "remote, stopped"
            << (QStringList{"params", "--port", "4", "--speed", "9600", "--flow", "xon-xoff"}) << 3 << "*";
        QTest::newRow("probe on a device that does not exist")
            << "missing device"
            << QStringList{"params", "--port", "/dev/veltaro-none", "--speed", "9600", "--flow", "hardware"}
            << 3 << "*";
        QTest::newRow("search with a device that does not exist")
            << "missing device" << QStringList{"detect", "--port", "/dev/veltaro-none"} << 3 << "*";
        QTest::newRow("a device name that is no path")
            << "" << QStringList{"detect", "--port", "COM12"} << 64 << "*";
        QTest::newRow("an address that is none")
            << "" << QStringList{"detect", "--port", "rfc2217://h"} << 64 << "*";
        QTest::newRow("unknown command") << "" << QStringList{"print"} << 64 << "*";
        QTest::newRow("unknown option") << "" << QStringList{"detect", "--fast"} << 64 << "*";
        QTest::newRow("port outside 1..6") << "" << QStringList{"detect", "--port", "7", "--speed", "9600", "--flow", "hardware"} << 64 << "*";
        QTest::newRow("speed not among the nine") << "" << QStringList{"params", "--port", "3", "--speed", "14400", "--flow", "hardware"} << 64 << "*";
        QTest::newRow("unknown flow") << "" << QStringList{"params", "--port", "3", "--speed", "9600", "--flow", "rts"} << 64 << "*";
        QTest::newRow("half a link") << "" << QStringList{"params", "--port", "3"} << 64 << "*";
        QTest::newRow("unknown sensor") << "" << QStringList{"calibrate", "paper"} << 64 << "*";
        QTest::newRow("no sensor") << "" << QStringList{"monitor"} << 64 << "*";
    }
    void exitStatus() {
        QFETCH(QString, setup);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, neverHeard);
        Sim::PrinterConfig config;
        config.loaderMode = setup == "loader";
        config.paperPresent = setup == "paper";
        config.extensionFitted = setup != "no extension";
        if (setup.startsWith("remote"))
            VERIFY_SER2NET(remotePrinter(config));
        else if (setup != "none")
            printer(config);
        if (setup.endsWith("stopped")) m_server->stop();
        if (setup == "silent") m_printer->setFaults({.silent = true});
        // Another program holds the port, as a terminal program would.
        MSComm other;
        other.setCommPort(kPort);
        if (setup == "busy") QVERIFY(other.open());
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 64) QVERIFY2(r.err.contains("usage: veltaro-cli"), qPrintable(r.err));
        if (QByteArrayView(QTest::currentDataTag()) == "no sensor")
            QVERIFY2(r.err.contains("monitor needs sensor: printer or neop"), qPrintable(r.err));
        const QString told =
            setup.startsWith("remote")  ? "The serial port COM4 cannot be used: Connection refused."
            : setup == "missing device" ? "The serial port COM1 cannot be used: No such file or directory."
                                        : "The serial port COM3 cannot be used:";
        if (exitCode == 3) QVERIFY2(r.err.contains(told), qPrintable(r.err));
        if (setup == "missing device")
            QVERIFY2(r.err.startsWith("COM1 is /dev/veltaro-none, a number lent for this run\n"),
                     qPrintable(r.err));
        if (exitCode == 0) QCOMPARE(r.out, QString("calibrated\n"));
        if (neverHeard == "*") QCOMPARE(heard(), QStringList());
        else if (!neverHeard.isEmpty()) QVERIFY(!heard().join('\n').contains(neverHeard));
    }

    // About forty samples in two seconds, then the printer back at its speed; an interrupt tidies up too,
    // and so does a reader that stops listening (`| head -2`), as Ctrl-C.
    void monitorSamplesAndRestoresTheSpeed_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("two seconds") << "seconds";
        QTest::newRow("SIGTERM") << "signal";
        QTest::newRow("read by head -2, which leaves") << "reader gone";
        QTest::newRow("two seconds through ser2net") << "seconds, remote";
        QTest::newRow("ser2net stopped meanwhile") << "server stopped";
    }
    void monitorSamplesAndRestoresTheSpeed() {
        QFETCH(QString, end);
        const bool remote = end.contains("remote") || end.contains("server");
        if (remote)
            VERIFY_SER2NET(remotePrinter({.paperPresent = true}));
        else
            printer({.paperPresent = true});
        const bool timed = end.startsWith("seconds");
        QStringList arguments =
            QStringList{"monitor", "printer", "--csv", "--seconds", timed ? "2" : "0"} + link();
        if (remote) arguments[arguments.indexOf("--port") + 1] = QString::number(kRemotePort);
        const Run r = end == "reader gone" ? runIntoHead(arguments) : run(arguments, [&](QProcess& p) {
            if (end != "signal" && end != "server stopped") return;
            QVERIFY(serveUntil([&] { return heard().size() > 20; }, 10000));
            if (end == "signal")
                ::kill(pid_t(p.processId()), SIGTERM);
            else
                m_server->stop();
        });
        if (end == "server stopped") {
            QCOMPARE(r.exitCode, 3);
            QVERIFY2(r.err.contains("The serial port COM4 cannot be used:") &&
                         r.err.count("cannot be used") == 1,
                     qPrintable(r.err));
            return;
        }
        const bool interrupted = !timed;
        QCOMPARE(r.exitCode, interrupted ? 130 : 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QString("ms,value"));
        if (timed) QVERIFY2(lines.size() > 30 && lines.size() < 45, qPrintable(QString::number(lines.size())));
        QVERIFY2(QRegularExpression("^\\d+,\\d+$").match(lines.value(1)).hasMatch(), qPrintable(r.out + r.err + heard().join(',')));
        const QStringList h = heard();
        QCOMPARE(h.value(0), QString("1d 42 86 @9600"));
        QCOMPARE(h.value(h.size() - 1), QString("1d 42 03 @57600"));
        QCOMPARE(m_printer->model().speed(), 9600);
    }

    // --record writes the file its suffix names after the samples, drawn without a display; the samples
    // it holds are the printer's answers. A wrong suffix stops the tool before the printer hears anything,
    // a file that cannot be written (root writes anywhere: a folder under a regular file) fails the run
    // with the samples still on standard output.
    void records_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("samples") << "monitor" << "r.csv" << 0;
        QTest::newRow("PDF") << "monitor" << "r.pdf" << 0;
        QTest::newRow("picture") << "monitor" << "r.png" << 0;
        QTest::newRow("parameters as PDF") << "params" << "p.pdf" << 0;
        QTest::newRow("folder under a regular file") << "monitor" << "file.txt/r.png" << 1;
        QTest::newRow("wrong suffix") << "monitor" << "r.jpg" << 64;
        QTest::newRow("parameters as samples") << "params" << "p.csv" << 64;
    }
    void records() {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        printer();
        QTemporaryDir dir;
        QFile regular(dir.filePath("file.txt"));
        QVERIFY(regular.open(QIODevice::WriteOnly));
        regular.close();
        const QString path = dir.filePath(name);
        QStringList arguments{command, "--record", path};
        if (command == "monitor") arguments = QStringList{"monitor", "printer", "--csv", "--seconds", "1"} + arguments.mid(1);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY2(r.err.contains(QDir::toNativeSeparators(path)) && r.err.count(path) == 1, qPrintable(r.err));
            QVERIFY(!QFileInfo::exists(path));
            if (exitCode == 64) QCOMPARE(heard(), QStringList());
            if (exitCode == 1) QVERIFY2(r.out.startsWith("ms,value\n") && r.out.count('\n') > 10, qPrintable(r.out));
            return;
        }
        if (name.endsWith("csv")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString written = QString::fromLatin1(file.readAll());
            QCOMPARE(written, r.out);
            QList<quint8> values;
            for (const QString& row : written.split('\n', Qt::SkipEmptyParts).mid(1))
                values << quint8(row.section(',', 1).toInt());
            const QList<quint8> sent = repliesTo({}, m_printer->transcript(), "\x1do").mid(1);
            QVERIFY2(values.size() > 10 && values.size() >= sent.size() - 1, qPrintable(written));
            QCOMPARE(values, sent.mid(0, values.size()));
        } else if (name.endsWith("pdf")) {
            QProcess pdftotext;
            pdftotext.start("pdftotext", {path, "-"});
            QVERIFY(pdftotext.waitForFinished(20000));
            const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
            for (const char* expected : {"Printer: SIM-80 Receipt", "Speed: 9600 bauds, Xon-Xoff", "Black Level : 20",
                                         "Mark / Backing Level : 70", "Paper Level : 210", "Paper Threshold : 115",
                                         "Mark / Backing Threshold : 140"})
                QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(text));
            QCOMPARE(text.contains("Time base: 500ms"), command == "monitor");
        } else {
            const QImage picture(path);
            QVERIFY(!picture.isNull());
            // At twice the scale, and the paper level's green line crosses the chart.
            QCOMPARE(picture.width(), 2 * 359);
            bool green = false;
            for (int y = 0; y < picture.height() && !green; ++y)
                green = picture.pixelColor(picture.width() / 2, y) == QColor(0, 255, 0);
            QVERIFY(green);
        }
    }

    // Without --seconds the tool ends by itself where the printer cannot be monitored, with the truth: a
    // printer that does not take the switch to 57600, a port gone right after it, a printer switched off
    // and on without --reconnect. With it, the power cycle is a loss like a lost port's: the printer is
    // switched again and the sampling goes on.
    void monitorEndsByItself_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("told");
        const QString silent = "The printer on COM3 does not answer at 57600 bauds.";
        QTest::newRow("printer that does not take the switch")
            << "keeps speed" << QStringList() << 1 << "The printer does not answer at 57600 bauds.";
        QTest::newRow("port gone after the switch")
            << "gone" << QStringList() << 3 << "The serial port COM3 cannot be used:";
        QTest::newRow("printer switched off and on") << "power cycle" << QStringList() << 1 << silent;
        QTest::newRow("printer switched off and on, --reconnect")
            << "power cycle" << QStringList{"--seconds", "14", "--reconnect"} << 0
            << silent + " Waiting for the printer on COM3 to answer...";
    }
    void monitorEndsByItself() {
        QFETCH(QString, setup);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, told);
        Sim::SimulatedPrinter& sim = printer({.speed = 19200});
        if (setup == "keeps speed") sim.setFaults({.keepsSpeed = true});
        if (setup == "gone")
            connect(&sim, &Sim::SimulatedPrinter::commandReceived, &sim, [&](const Sim::TranscriptEntry& e) {
                if (e.bytes == "\x1d\x42\x86") QTimer::singleShot(0, &sim, [&] { sim.vanish(); });
            });
        const Run r = run(
            QStringList{"monitor", "printer", "--csv"} + options + link("19200"),
            [&](QProcess&) {
                if (setup != "power cycle") return;
                QVERIFY(serveUntil([&] { return heard().size() > 20; }, 10000));
                sim.setPowered(false);
                serveUntil([] { return false; }, 1500);
                sim.setPowered(true);
            },
            QStringLiteral(VELTARO_CLI), 30000);
        QVERIFY2(r.exitCode == exitCode, qPrintable(QString(r.err).replace('\n', " | ") + heard().join(',')));
        QVERIFY2(r.err.contains(told) && r.err.count(told) == 1,
                 qPrintable(QString(r.err).replace('\n', " | ")));
        if (setup == "gone") return;
        // What was switched is put back; a printer that never left its speed does not hear it.
        QCOMPARE(heard().last(), QString("1d 42 04 @57600"));
        QCOMPARE(sim.model().speed(), 19200);
        if (exitCode != 0) return;
        QCOMPARE(r.err.count("COM3 is back: monitoring goes on."), 1);
        const QStringList rows = r.out.split('\n', Qt::SkipEmptyParts).mid(1);
        qint64 gap = 0, last = 0, after = 0;
        for (const QString& row : rows) {
            const qint64 ms = row.section(',', 0, 0).toLongLong();
            if (ms - last > gap) {
                gap = ms - last;
                after = 0;
            }
            last = ms;
            ++after;
        }
        QVERIFY2(gap >= 1000 && after > 5, qPrintable(r.out)); // sampled again after the cycle
    }

    // Through a ser2net that is restarted: one notice line per loss and per recovery, the CSV rows keep
    // their times (the gap shows), and the printer ends back at its speed. A wait shorter than the loss
    // ends with status 3, as a port problem without --reconnect does.
    void monitorReconnects_data() {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("--reconnect") << "" << 0;
        QTest::newRow("--reconnect 1, the server back after 3 s") << "1" << 3;
    }
    void monitorReconnects() {
        QFETCH(QString, wait);
        QFETCH(int, exitCode);
        VERIFY_SER2NET(remotePrinter());
        // Eight seconds: a loaded machine (the sanitizer build beside other tests) may take two to be back.
        QStringList arguments = QStringList{"monitor", "printer", "--csv", "--seconds", "8", "--reconnect"};
        if (!wait.isEmpty()) arguments << wait;
        arguments += link();
        arguments[arguments.indexOf("--port") + 1] = QString::number(kRemotePort);
        const Run r = run(arguments, [&](QProcess&) {
            QVERIFY(serveUntil([&] { return heard().size() > 20; }, 10000));
            m_server->stop();
            serveUntil([] { return false; }, 3000);
            QVERIFY(m_server->restart());
        });
        QVERIFY2(r.exitCode == exitCode, qPrintable(QString(r.err).replace('\n', " | ") + heard().join(',')));
        QCOMPARE(r.err.count("Waiting for COM4 to come back..."), 1);
        QCOMPARE(r.err.count("COM4 is back: monitoring goes on."), exitCode == 0 ? 1 : 0);
        if (exitCode != 0) return;
        qint64 gap = 0, last = 0;
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts).mid(1))
            gap = std::max(gap, line.section(',', 0, 0).toLongLong() -
                                    std::exchange(last, line.section(',', 0, 0).toLongLong()));
        QVERIFY2(gap >= 3000, qPrintable(r.out));
        QCOMPARE(heard().last(), QString("1d 42 03 @57600"));
        QCOMPARE(m_printer->model().speed(), 9600);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
