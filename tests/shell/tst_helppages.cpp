// The help pane: which help page each window shows when it opens, and that every help page of the
// help folder is there and reads as a page.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/wizard.h"

#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
using SensorSteps::Action;
using SensorSteps::Sensor;
} // namespace

class TstHelpPages : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_bench = std::make_unique<Bench>();
        SensorSteps::printerAtStep2(*m_bench);
    }
    void cleanup() { m_bench.reset(); }

    void pageShowsItsHelp_data();
    void pageShowsItsHelp();
    void everyHelpPageReads_data();
    void everyHelpPageReads();

private:
    std::unique_ptr<Bench> m_bench;
};

void TstHelpPages::pageShowsItsHelp_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("file");
    QTest::newRow("detection page") << "Step1"
                                    << "Step1.html";
    QTest::newRow("port selection page") << "PortSelection"
                                         << "Step1bis.html";
    QTest::newRow("sensor and action page") << "Step2"
                                            << "Step2.html";
    QTest::newRow("opto-sensor mode page") << "ChanReflectModeFrm"
                                           << "RefMode.html";
    QTest::newRow("calibration page, printer sensor") << "Step3 printer"
                                                      << "Step3Printer.html";
    QTest::newRow("calibration page, near-end sensor") << "Step3 near end"
                                                       << "Step3NEOP.html";
    QTest::newRow("help window") << "HelpFrm"
                                 << "Help1.html";
}

void TstHelpPages::pageShowsItsHelp() {
    QFETCH(QString, window);
    QFETCH(QString, file);
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
    HelpPane* pane = page->helpPane();
    QCOMPARE(pane->currentPath(), wizard.state().HelpDir + file);
    QVERIFY(!pane->showsMissingFile());
    QVERIFY(!pane->toPlainText().trimmed().isEmpty());
}

void TstHelpPages::everyHelpPageReads_data() {
    QTest::addColumn<QString>("file");
    for (const char* file : {"Step1.html", "Step1bis.html", "Step1NotFound.html", "Step2.html", "Help1.html",
                             "RefMode.html", "Step3NEOP.html", "Step3Printer.html", "Step3NEOPCal.html",
                             "Step3PrinterCal.html", "Congratulation.html"})
        QTest::newRow(file) << QString::fromLatin1(file);
}

void TstHelpPages::everyHelpPageReads() {
    QFETCH(QString, file);
    HelpPane pane;
    pane.Navigate(m_bench->wizard().state().HelpDir + file);
    QVERIFY(!pane.showsMissingFile());
    QVERIFY(!pane.documentTitle().isEmpty());
    QVERIFY(pane.toPlainText().size() > 100);
}

QTEST_MAIN(TstHelpPages)
#include "tst_helppages.moc"
