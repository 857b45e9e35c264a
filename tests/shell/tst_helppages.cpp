// The help pane: which help page each window shows when it opens, that every help page of the help
// folder is there and reads as a page, and where a page is read from.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "wizard/wizard.h"

#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using SensorSteps::Action;
using SensorSteps::Sensor;

class TstHelpPages : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> m_bench;

private slots:
    void init() {
        m_bench = std::make_unique<Bench>();
        SensorSteps::printerAtStep2(*m_bench);
    }
    void cleanup() { m_bench.reset(); }

    void pageShowsItsHelp_data() { // the row names the window
        QTest::addColumn<QString>("file");
        QTest::newRow("Step1") << QStringLiteral("Step1.html");
        QTest::newRow("PortSelection") << QStringLiteral("Step1bis.html");
        QTest::newRow("Step2") << QStringLiteral("Step2.html");
        QTest::newRow("ChanReflectModeFrm") << QStringLiteral("RefMode.html");
        QTest::newRow("Step3 printer") << QStringLiteral("Step3Printer.html");
        QTest::newRow("Step3 near end") << QStringLiteral("Step3NEOP.html");
        QTest::newRow("HelpFrm") << QStringLiteral("Help1.html");
    }
    void pageShowsItsHelp() {
        QFETCH(QString, file);
        const QString window = QString::fromLatin1(QTest::currentDataTag());
        Wizard& wizard = m_bench->wizard();
        Page* page = nullptr;
        if (window == "Step1") page = &wizard.step1();
        if (window == "PortSelection") page = &wizard.portSelection();
        if (window == "Step2") page = &wizard.step2();
        if (window == "ChanReflectModeFrm") page = &wizard.chanReflectModeFrm();
        if (window.startsWith("Step3")) {
            SensorSteps::choose(*m_bench, window.endsWith("printer") ? Sensor::Printer : Sensor::NearEnd,
                                Action::Calibrate);
            page = &wizard.step3();
        }
        if (window == "HelpFrm") {
            wizard.step2().control<QPushButton>("HelpButton")->click();
            page = wizard.loadedHelpFrm();
        }
        QVERIFY(page);
        QCOMPARE(page->helpPane()->currentPath(), wizard.state().HelpDir + file);
        QVERIFY(!page->helpPane()->showsMissingFile());
        QVERIFY(!page->helpPane()->toPlainText().trimmed().isEmpty());
    }

    void everyHelpPageReads_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"Step1.html", "Step1bis.html", "Step1NotFound.html", "Step2.html",
                                 "Help1.html", "RefMode.html", "Step3NEOP.html", "Step3Printer.html",
                                 "Step3NEOPCal.html", "Step3PrinterCal.html", "Congratulation.html"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    void everyHelpPageReads() {
        QFETCH(QString, file);
        HelpPane pane;
        pane.Navigate(m_bench->wizard().state().HelpDir + file);
        QVERIFY(!pane.showsMissingFile());
        QVERIFY(!pane.documentTitle().isEmpty());
        QVERIFY(pane.toPlainText().size() > 100);
    }

    // A page missing from the working directory comes from the installed folder beside the program
    // (<prefix>/bin/../share/veltaro/help); a page in both comes from the working directory.
    void workingDirectoryBeforeInstalledFolder() {
        QTemporaryDir working;
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/veltaro/help");
        const auto tidy =
            qScopeGuard([&] { QFile::remove(installed + "/Extra.html") && QDir().rmpath(installed); });
        HelpPane pane;
        for (const QString& folder : {installed, working.path()}) { // each page tells where it lies
            QFile page(folder + "/Extra.html");
            QVERIFY(QDir().mkpath(folder) && page.open(QIODevice::WriteOnly) && page.write(folder.toUtf8()));
            page.close();
            pane.Navigate(working.filePath("Extra.html"));
            QCOMPARE(pane.toPlainText(), folder);
        }
    }
};

QTEST_MAIN(TstHelpPages)
#include "tst_helppages.moc"
