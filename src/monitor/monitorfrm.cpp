#include "monitorfrm.h"

#include "link/link.h"
#include "link/portnames.h"
#include "printparam.h"
#include "record/chartgeometry.h"
#include "record/record.h"
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

#include <utility>

namespace {
constexpr int kBackNoticeMs = 3000;
} // namespace

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
      m_record(
          new RecordMenu(*this, *Picture1, wizard.state().recordFolder, [this] { return recordSheet(); })) {
    connect(MonitorTimer, &QTimer::timeout, this, &MonitorFrm::MonitorTimer_Timer);
    connect(CheckParam, &QPushButton::clicked, this, &MonitorFrm::CheckParam_Click);
    connect(Back, &QPushButton::clicked, this, &MonitorFrm::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &MonitorFrm::Exit_Click);
    connect(&m_sampler, &Printer::Sampler::nearEndStateRead, this, &MonitorFrm::showNearEndState);
    m_sampler.setReconnect(true);
    connect(&m_sampler, &Printer::Sampler::lost, this, &MonitorFrm::sampleLost);
    connect(&m_sampler, &Printer::Sampler::parametersRead, this, &MonitorFrm::parametersRead);
    connect(&m_sampler, &Printer::Sampler::resumed, this, &MonitorFrm::sampleResumed);
    m_record->setHeld([this] { return m_inTick; });
    m_backNotice.setSingleShot(true);
    m_backNotice.setInterval(kBackNoticeMs);
    connect(&m_backNotice, &QTimer::timeout, this, [this] { setWindowTitle(caption()); });
}

bool MonitorFrm::printerOpto() const {
    return wizard().get<Step2>().control<QRadioButton>(QStringLiteral("PrinterOpto"))->isChecked();
}

QString MonitorFrm::caption() const {
    return printerOpto() ? tr("Monitoring printer opto-sensor...")
                         : tr("Monitoring Near End Of Paper opto-sensor...");
}

void MonitorFrm::Form_Load() {
    timeBaseText = Chart::timeBaseText();
    setWindowTitle(caption());
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
    // A tick that is still waiting for its reply keeps the port: this one is dropped, not queued, and
    // the record holds it as missing, so that its timeline keeps the time the wait took.
    if (!m_sampler.tickDue()) {
        if (m_inTick) ++m_ticksMissed;
        return;
    }
    if (tickCount == 0) BuiltGrid();
    tickCount = qint16(tickCount + 1);
    const QPointer<MonitorFrm> self(this);
    const qint64 ms = m_samplesTaken++ * Chart::kSampleIntervalMs;
    m_inTick = true;
    const Printer::Result<Printer::Sampler::Reading> sample = m_sampler.readSample();
    if (!self) return;
    m_inTick = false;
    keepSample(ms, sample);
    // After a failed tick the return of the port counts the time lost (skipGap).
    for (; m_ticksMissed > 0; --m_ticksMissed)
        if (sample.ok()) m_samples.addMissing(m_samplesTaken++ * Chart::kSampleIntervalMs);
    m_record->release();
    // The page was left or the port failed (the sampler tells that) while the tick waited.
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
    m_sinceSample.start();
}

void MonitorFrm::keepSample(qint64 ms, const Printer::Result<Printer::Sampler::Reading>& sample) {
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

void MonitorFrm::sampleLost(const QString& problem) {
    m_backNotice.stop();
    setWindowTitle(m_sampler.waitingText());
    // A silent printer is said in the title alone: its port is fine, and a box would stand in the way of
    // the technician who switches it on again.
    if (m_sampler.lostBySilence()) return;
    m_lossUntold = problem;
    // Told once the link is done with the failed device, not inside its error signal.
    QTimer::singleShot(0, this, &MonitorFrm::tellLoss);
}

// One box at a time. A loss while the box of an earlier one is up is told when that box is closed, unless
// the port came back meanwhile (the title has said so).
void MonitorFrm::tellLoss() {
    if (m_boxUp || wizard().isEnding()) return;
    const QPointer<MonitorFrm> self(this);
    m_boxUp = true;
    while (!m_lossUntold.isEmpty() && m_sampler.waiting() && !wizard().isEnding()) {
        Messages::portProblem(this, std::exchange(m_lossUntold, {}));
        if (!self) return;
    }
    m_lossUntold.clear();
    m_boxUp = false;
}

void MonitorFrm::parametersRead(const OptoParameterBlock& params) {
    wizard().state().OptoParams = params;
    m_paramsRead = true;
    m_gridStale = true;
}

void MonitorFrm::sampleResumed(quint8 level) {
    // The trace starts again at the reading that found the printer: it does not join across the gap.
    lastSample = qint16(level);
    skipGap();
    setWindowTitle(m_sampler.backText());
    m_backNotice.start();
}

// The samples the lost time would have drawn are left out: the trace goes on where the time axis has got
// to, and a gap that ran past the end of the sweep starts a new one.
void MonitorFrm::skipGap() {
    const qint64 missed =
        m_sinceSample.isValid() ? m_sinceSample.elapsed() / Chart::kSampleIntervalMs - 1 : 0;
    const qint64 at = tickCount + std::max<qint64>(missed, 0);
    for (qint64 i = 0; i < missed; ++i)
        m_samples.addMissing(m_samplesTaken++ * Chart::kSampleIntervalMs);
    const bool newSweep = at >= Chart::kSamplesPerSweep;
    tickCount = qint16(at % Chart::kSamplesPerSweep);
    if (!std::exchange(m_gridStale, false) && !newSweep) return;
    Picture1->clear();
    if (tickCount != 0) BuiltGrid(); // otherwise the next tick draws it
}
