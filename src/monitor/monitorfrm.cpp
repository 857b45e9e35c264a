#include "monitorfrm.h"

#include "chartgeometry.h"
#include "link/link.h"
#include "printparam.h"
#include "sensor/step2.h"
#include "shell/messages.h"
#include "shell/wizard.h"
#include "stripchart.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
const QString kMonitorSpeed = QStringLiteral("57600");
constexpr qint16 kMonitorHandshake = 2;
// At 57600 the printer answers within a millisecond. A printer that has said nothing after this long
// did not take the switch of speed; before the page is shown, the technician would have no way out.
constexpr int kOpeningReplyLimitMs = 2000;
} // namespace

MonitorFrm::MonitorFrm(Wizard& wizard)
    : Page(wizard, Layout::monitorFrm(), Lifetime::UnloadedWhenLeft,
           [](const Layout::Element& e, QWidget* parent) { return new StripChart(e.caption, parent); }),
      Picture1(control<StripChart>(QStringLiteral("Picture1"))),
      StateEnough(control<QLabel>(QStringLiteral("StateEnough"))),
      StateNEOP(control<QLabel>(QStringLiteral("StateNEOP"))),
      Exit(control<QPushButton>(QStringLiteral("Exit"))), Back(control<QPushButton>(QStringLiteral("Back"))),
      CheckParam(control<QPushButton>(QStringLiteral("CheckParam"))),
      MonitorTimer(control<QTimer>(QStringLiteral("MonitorTimer"))) {
    // The time axis takes every tick as 50 ms: a coarse timer would stretch the sweep.
    MonitorTimer->setTimerType(Qt::PreciseTimer);
    connect(MonitorTimer, &QTimer::timeout, this, &MonitorFrm::MonitorTimer_Timer);
    connect(CheckParam, &QPushButton::clicked, this, &MonitorFrm::CheckParam_Click);
    connect(Back, &QPushButton::clicked, this, &MonitorFrm::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &MonitorFrm::Exit_Click);
    connect(&wizard.link(), &Link::portLost, this, &MonitorFrm::portLost);
}

bool MonitorFrm::printerOpto() const {
    return wizard().step2().control<QRadioButton>(QStringLiteral("PrinterOpto"))->isChecked();
}

void MonitorFrm::Form_Load() {
    timeBaseText = Chart::timeBaseText();
    setWindowTitle(printerOpto() ? QStringLiteral("Monitoring printer opto-sensor...")
                                 : QStringLiteral("Monitoring Near End Of Paper opto-sensor..."));
    if (switchToMonitorSpeed()) {
        SharedState& state = wizard().state();
        savedSpeed = state.PrinterSpeed;
        savedHandshake = QString::number(state.PrinterHandshake);
        state.PrinterSpeed = kMonitorSpeed;
        state.PrinterHandshake = kMonitorHandshake;
        m_switched = true;
        GetParamLevels();
        if (wizard().isEnding()) return;
    }
    StateEnough->hide();
    StateNEOP->hide();
    tickCount = 0;
    if (m_sampling != Sampling::Opening) return;
    m_sampling = Sampling::Running;
    MonitorTimer->setInterval(Chart::kSampleIntervalMs);
    MonitorTimer->start();
}

// GS B at the speed the printer runs at now. The printer switches as soon as it has the command and
// says nothing, so nothing is awaited.
bool MonitorFrm::switchToMonitorSpeed() {
    if (!openPort()) return false;
    Link& link = wizard().link();
    const bool sent = link.SendCommand(link.commands().setSpeed(Protocol::kMonitorConfiguration));
    link.ClosePrinterPort();
    if (!sent) reportPortProblem(link.portFailureText(tr("the printer's speed could not be switched")));
    return sent;
}

void MonitorFrm::GetParamLevels() {
    if (!openPort()) return;
    Link& link = wizard().link();
    const Protocol::Commands commands = link.commands();
    if (printerOpto()) {
        link.SendCommand(commands.optoParameterQuery());
        const std::optional<QByteArray> block = awaitOpeningReply(Protocol::kParameterBlockSize);
        if (!block) return;
        wizard().state().OptoParams = Protocol::optoParameters(*block);
        m_paramsRead = true;
        link.SendCommand(commands.printerOptoLevel());
    } else {
        link.SendCommand(commands.nearEndOptoLevel());
        CheckParam->setEnabled(false);
    }
    const std::optional<QByteArray> level = awaitOpeningReply(1);
    if (!level) return;
    lastSample = qint16(quint8(level->at(0)));
    link.ClosePrinterPort();
}

// Nothing when the reply did not come: the program is ending, the port failed (told by portLost), or
// the printer stayed silent (told here; the page opens all the same and its ticks keep asking).
std::optional<QByteArray> MonitorFrm::awaitOpeningReply(int count) {
    Link& link = wizard().link();
    bool silent = false;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &link, [&] {
        silent = true;
        link.cancelWaits();
    });
    limit.start(kOpeningReplyLimitMs);
    std::optional<QByteArray> reply = link.ReadReplyBlock(count);
    limit.stop();
    if (reply || !silent) return reply;
    link.ClosePrinterPort();
    // Without this printer's parameters the sheet would show someone else's.
    if (!m_paramsRead) CheckParam->setEnabled(false);
    Messages::show(this, tr("The printer does not answer at 57600 bauds."), QMessageBox::Warning);
    return std::nullopt;
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
    if (m_sampling != Sampling::Running || m_tickWaiting) return;
    if (tickCount == 0) BuiltGrid();
    tickCount = qint16(tickCount + 1);
    const std::optional<quint8> sample = readSample();
    if (!sample) return; // the page was left or the port failed while the tick waited: nothing more to do
    drawSample(*sample);
}

std::optional<quint8> MonitorFrm::readSample() {
    if (!openPort()) return std::nullopt;
    const Protocol::Commands commands = wizard().link().commands();
    std::optional<quint8> sample;
    if (printerOpto()) {
        sample = tickReply(commands.printerOptoLevel());
    } else {
        const std::optional<quint8> state = tickReply(commands.nearEndState());
        if (!state) return std::nullopt;
        showNearEndState(*state);
        sample = tickReply(commands.nearEndOptoLevel());
    }
    if (sample) wizard().link().ClosePrinterPort();
    return sample;
}

// One command and its one-byte reply. Nothing when the tick must end at once: the page was left (and
// perhaps destroyed) or the port failed while it waited.
std::optional<quint8> MonitorFrm::tickReply(const QByteArray& command) {
    Link& link = wizard().link();
    const QPointer<MonitorFrm> self(this);
    if (!link.SendCommand(command)) {
        reportPortProblem(link.portFailureText(tr("the printer cannot be written to")));
        link.ClosePrinterPort();
        return std::nullopt;
    }
    m_tickWaiting = true;
    const std::optional<quint8> reply = link.ReadReplyByte();
    if (!self) return std::nullopt;
    m_tickWaiting = false;
    if (m_sampling != Sampling::Running) return std::nullopt;
    if (!reply) link.ClosePrinterPort(); // a wait ended by someone else: the next tick starts afresh
    return reply;
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

void MonitorFrm::showNearEndState(quint8 state) {
    const bool nearEnd = state == 1;
    StateNEOP->setVisible(nearEnd);
    StateEnough->setVisible(!nearEnd);
}

void MonitorFrm::RestorePrinterSpeed() {
    if (!m_switched) return; // the printer never left its speed
    const int code = Protocol::restoreSpeedCode(savedSpeed);
    const quint8 configuration = Protocol::configurationByte(code, savedHandshake.toInt());
    // A port that cannot be opened leaves the printer at 57600, and the settings with it.
    if (!openPort()) return;
    Link& link = wizard().link();
    link.SendCommand(link.commands().setSpeed(configuration));
    link.ClosePrinterPort();
    SharedState& state = wizard().state();
    state.PrinterSpeed = savedSpeed;
    state.PrinterHandshake = qint16(savedHandshake.toInt());
    m_switched = false;
}

void MonitorFrm::CheckParam_Click() {
    PrintParam& sheet = wizard().printParam();
    sheet.show();
    sheet.raise();
}

void MonitorFrm::Back_Click() {
    stopSampling();
    RestorePrinterSpeed();
    wizard().unload(this);
}

void MonitorFrm::Exit_Click() {
    stopSampling();
    RestorePrinterSpeed();
    wizard().endProgram();
}

void MonitorFrm::Form_Unload() {
    stopSampling();
    wizard().step2().show();
    wizard().unload(wizard().loadedPrintParam());
}

// The timer first, so that no tick starts; then the tick that waits, if any, is ended and its port
// closed, before anyone else (the speed restore, the next page) uses the port.
void MonitorFrm::stopSampling() {
    m_sampling = Sampling::Left;
    MonitorTimer->stop();
    Link& link = wizard().link();
    link.cancelWaits();
    link.ClosePrinterPort();
}

void MonitorFrm::halt() {
    if (m_sampling == Sampling::Left) return;
    m_sampling = Sampling::Halted;
    MonitorTimer->stop();
}

bool MonitorFrm::openPort() {
    Link& link = wizard().link();
    const MSComm::OpenResult opened = link.OpenPrinterPort();
    if (!opened) reportPortProblem(link.portFailureText(opened.reason));
    return bool(opened);
}

void MonitorFrm::reportPortProblem(const QString& text) {
    halt();
    tellOnce(text);
}

void MonitorFrm::tellOnce(const QString& text) {
    if (m_reported) return;
    m_reported = true;
    Messages::portProblem(this, text);
}

void MonitorFrm::portLost(const QString& message) {
    if (m_sampling != Sampling::Opening && m_sampling != Sampling::Running)
        return; // not ours: the port belongs to another page
    halt();
    // Told once the link is done with the failed device, not inside its error signal.
    QTimer::singleShot(0, this, [this, message] { tellOnce(message); });
}
