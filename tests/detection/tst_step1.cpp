// The detection page at load, and the ways it ends the program.
#include "detectionsteps.h"

#include <QDir>
#include <QTest>

using namespace DetectionSteps;

class TstStep1 : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void formLoad_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("helpDir");
        const QString help = QDir::currentPath(); // the Bench runs in the help folder
        QTest::newRow("help folder") << help << help + "/";
        // The separator goes on without a look at the folder's last character.
        QTest::newRow("root folder") << "/"
                                     << "//";
    }
    void formLoad() {
        QFETCH(QString, folder);
        QFETCH(QString, helpDir);
        QDir::setCurrent(folder);
        Step1& page = shownStep1(*bench);
        const SharedState& state = bench->wizard().state();
        QCOMPARE(state.EscChar + state.GsChar + state.CanChar, QByteArray("\x1b\x1d\x18"));
        QVERIFY(!state.PortIsOpen);
        QCOMPARE(state.HelpDir, helpDir);
        QCOMPARE(page.WebBrowser->currentPath(), helpDir + "Step1.html");
        QCOMPARE(page.ScanStatus->text(), QString());
        QCOMPARE(page.Start->text(), QStringLiteral("Start"));
        QVERIFY(page.ManualDetect->isHidden() && !page.Timer1->isActive());
        QCOMPARE(page.Exit->x(), Layout::toPixels(920));
        QCOMPARE(page.Start->x(), Layout::toPixels(2920));
    }

    void endsTheProgram_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("exit") << false;
        QTest::newRow("close box") << true;
    }
    void endsTheProgram() {
        QFETCH(bool, closeBox);
        Step1& page = shownStep1(*bench);
        closeBox ? void(page.close()) : page.Exit->click();
        QVERIFY(bench->ended() && !page.isVisible());
    }
};

QTEST_MAIN(TstStep1)
#include "tst_step1.moc"
