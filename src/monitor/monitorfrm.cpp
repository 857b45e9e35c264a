#include "monitorfrm.h"

#include "chartgeometry.h"
#include "link/link.h"
#include "link/portnames.h"
#include "printparam.h"
#include "record.h"
#include "recordmenu.h"
#include "sensor/step2.h"
#include "shell/messages.h"
#include "shell/pagehost.h"
#include "stripchart.h"

#include <QDateTime>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

MonitorFrm::MonitorFrm(PageHost& wizard)
    : Page(wizard, Layout::monitorFrm(), Lifetime::UnloadedWhenLeft,
           [](const Layout::Element& e, QWidget* parent) { return new StripChart(e.caption, parent); }),
      Picture1(control<StripChart>(QStringLiteral("Picture1"))),
      StateEnough(control<QLabel>(QStringLiteral("StateEnough"))),
      StateNEOP(control<QLabel>(QStringLiteral("StateNEOP"))),
      Exit(control<QPushButton>(QStringLiteral("Exit"))), Back(control<QPushButton>(QStringLiteral("Back"))),
      CheckParam(control<QPushButton>(QStringLiteral("CheckParam"))),
      MonitorTimer(control<QTimer>(QStringLiteral("MonitorTimer"))),
      m_sampler(wizard.link(), printerOpto() ? Printer::Sensor::PrinterOpto : Printer::Sensor::NearEnd),
      m_samples(Chart::kSamplesPerSweep),
      m_record(new RecordMenu(*this, *Picture1, wizard.state().recordFolder, [this] { return recordSheet(); })) {
    connect(MonitorTimer, &QTimer::timeout, this, &MonitorFrm::MonitorTimer_Timer);
    connect(CheckParam, &QPushButton::clicked, this, &MonitorFrm::CheckParam_Click);
    connect(Back, &QPushButton::clicked, this, &MonitorFrm::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &MonitorFrm::Exit_Click);
    connect(&wizard.link(), &Link::portLost, this, &MonitorFrm::portLost);
    connect(&m_sampler, &Printer::Sampler::nearEndStateRead, this, &MonitorFrm::showNearEndState);
}

bool MonitorFrm::printerOpto() const {
    return wizard().get<Step2>().control<QRadioButton>(QStringLiteral("PrinterOpto"))->isChecked();
}

void MonitorFrm::Form_Load() {
    timeBaseText = Chart::timeBaseText();
    setWindowTitle(printerOpto() ? QStringLiteral("Monitoring printer opto-sensor...")
                                 : QStringLiteral("Monitoring Near End Of Paper opto-sensor..."));
    const Printer::Status switched = m_sampler.switchToMonitorSpeed();
    if (switched.ok()) {
        savedSpeed = m_sampler.savedSpeed();
        savedHandshake = QString::number(m_sampler.savedHandshake());
        GetParamLevels();
        if (wizard().isEnding()) return;
    } else {
        tellOnce(switched.problem);
    }
    StateEnough->hide();
    StateNEOP->hide();
    tickCount = 0;
    m_sampler.start(*MonitorTimer);
}

void MonitorFrm::GetParamLevels() {
    // Without this printer's parameters the sheet would show someone else's.
    if (!printerOpto()) CheckParam->setEnabled(false);
    const Printer::Result<Printer::Sampler::Opening> opening = m_sampler.readOpening();
    if (opening.value.params) {
        wizard().state().OptoParams = *opening.value.params;
        m_paramsRead = true;
    }
    if (opening.value.level) lastSample = qint16(*opening.value.level);
    if (opening.outcome == Printer::Outcome::PortProblem) tellOnce(opening.problem);
    if (opening.outcome != Printer::Outcome::NoAnswer) return;
    if (!m_paramsRead) CheckParam->setEnabled(false);
    Messages::show(this, tr("The printer does not answer at 57600 bauds."), QMessageBox::Warning);
}

void MonitorFrm::BuiltGrid() {
    Picture1->setScale(Chart::kUserScale);
    Picture1->setDrawWidth(Chart::kGridWidth);
    for (const Chart::Tick& stroke : Chart::gridStrokes())
        Picture1->drawLine(stroke.from, stroke.to, Chart::kAxisColour);
    for (const Chart::Label& label : Chart::valueLabels())
        Picture1->drawText(label.topLeft, label.text);
    Picture1->drawText(Chart::kTimeBaseAt, timeBaseText);
    if (!printerOpto() || !m_paramsRead) return;
    for (const Chart::ReferenceLine& line : Chart::referenceLines(wizard().state().OptoParams))
        Picture1->drawLine({0, double(line.value)}, {Chart::kSweepWidth, double(line.value)}, line.colour);
}

void MonitorFrm::MonitorTimer_Timer() {
    // A tick that is still waiting for its reply keeps the port: this one is dropped, not queued.
    if (!m_sampler.tickDue()) return;
    if (tickCount == 0) BuiltGrid();
    tickCount = qint16(tickCount + 1);
    const QPointer<MonitorFrm> self(this);
    const Printer::Result<Printer::Sampler::Reading> sample = m_sampler.readSample();
    if (!self) return;
    keepSample(sample);
    if (sample.outcome == Printer::Outcome::PortProblem) tellOnce(sample.problem);
    // The page was left or the port failed while the tick waited: nothing more to do.
    if (!sample.ok()) return;
    drawSample(sample.value.value);
}

void MonitorFrm::drawSample(qint16 sample) {
    const Chart::SweepStep step = Chart::sweepStep(tickCount);
    if (step.endOfSweep) {
        tickCount = 0;
        Picture1->clear();
        BuiltGrid();
    }
    Picture1->setDrawWidth(Chart::kTraceWidth);
    Picture1->drawLine({double(step.x0), double(lastSample)}, {double(step.x1), double(sample)},
                       Chart::kTraceColour);
    lastSample = sample;
}

void MonitorFrm::keepSample(const Printer::Result<Printer::Sampler::Reading>& sample) {
    const qint64 ms = m_samplesTaken++ * Chart::kSampleIntervalMs;
    if (sample.ok())
        m_samples.add(ms, sample.value.value, sample.value.nearEnd);
    else
        m_samples.addMissing(ms);
}

Record::Sheet MonitorFrm::recordSheet() const {
    const SharedState& state = wizard().state();
    Record::Sheet sheet;
    sheet.printerName = state.printerName;
    sheet.port = state.PrinterPort;
    sheet.device = PortNames::devicePath(state.PrinterPort);
    // The speed the printer goes back to when the monitor is left.
    sheet.speed = m_sampler.switched() ? savedSpeed : state.PrinterSpeed;
    sheet.handshake = m_sampler.switched() ? qint16(savedHandshake.toInt()) : state.PrinterHandshake;
    sheet.sensor = m_sampler.sensor();
    if (m_paramsRead) sheet.params = state.OptoParams;
    sheet.samples = m_samples.samples();
    sheet.taken = QDateTime::currentDateTime();
    return sheet;
}

void MonitorFrm::showNearEndState(quint8 state) {
    const bool nearEnd = state == 1;
    StateNEOP->setVisible(nearEnd);
    StateEnough->setVisible(!nearEnd);
}

void MonitorFrm::RestorePrinterSpeed() {
    const Printer::Status restored = m_sampler.restoreSpeed();
    if (!restored.ok()) tellOnce(restored.problem);
}

void MonitorFrm::CheckParam_Click() {
    PrintParam& sheet = wizard().get<PrintParam>();
    sheet.show();
    sheet.raise();
}

void MonitorFrm::Back_Click() {
    m_sampler.stop();
    RestorePrinterSpeed();
    wizard().unload(this);
}

void MonitorFrm::Exit_Click() {
    m_sampler.stop();
    RestorePrinterSpeed();
    wizard().endProgram();
}

void MonitorFrm::Form_Unload() {
    m_sampler.stop();
    wizard().get<Step2>().show();
    wizard().unload(wizard().loaded<PrintParam>());
}

void MonitorFrm::tellOnce(const QString& text) {
    if (m_reported || wizard().isEnding()) return;
    m_reported = true;
    Messages::portProblem(this, text);
}

void MonitorFrm::portLost(const QString& message) {
    if (!m_sampler.active()) return; // not ours: the port belongs to another page
    m_sampler.halt();
    // Told once the link is done with the failed device, not inside its error signal.
    QTimer::singleShot(0, this, [this, message] { tellOnce(message); });
}
