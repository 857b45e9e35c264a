#include "bench.h"

#include "shell/page.h"
#include "wizard/wizard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPushButton>

MessageBoxes::MessageBoxes() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("veltaroTestSeen").toBool()) return;
        box->setProperty("veltaroTestSeen", true);
        m_seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                          box->standardButton(box->defaultButton())});
        QAbstractButton* choice = box->defaultButton() ? box->defaultButton() : box->button(QMessageBox::Ok);
        if (!m_answers.empty()) choice = box->button(m_answers.front());
        if (!m_answers.empty()) m_answers.pop_front();
        if (choice) choice->click();
    });
    m_timer.start(5);
}

QStringList MessageBoxes::texts() const {
    QStringList list;
    for (const Seen& s : m_seen)
        list << s.text;
    return list;
}

Sim::SimulatedPrinter& PrinterBench::printer(int n, const Sim::PrinterConfig& config) {
    auto& printer = m_printers.emplace_back(n, std::make_unique<Sim::SimulatedPrinter>(config)).second;
    printer->attach(m_ports.path(), n);
    return *printer;
}

Sim::SimulatedPrinter* PrinterBench::printerAt(int n) const {
    for (auto& [port, printer] : m_printers)
        if (port == n) return printer.get();
    return nullptr;
}

void PrinterBench::holdBusy(int n) {
    Busy& busy = *m_busy.emplace_back(std::make_unique<Busy>());
    m_ports.setPort(n, busy.pty.slavePath());
    busy.holder.setCommPort(n);
    busy.holder.open();
}

QStringList PrinterBench::listed(int n, bool withLine) const {
    QStringList list;
    if (const Sim::SimulatedPrinter* printer = printerAt(n))
        for (const Sim::TranscriptEntry& e : printer->transcript())
            list << QString::fromLatin1(e.bytes.toHex(' ')) +
                        (withLine ? QStringLiteral(" @%1%2").arg(e.lineSpeed).arg(e.hardwareFlow ? " hw" : "")
                                  : QString());
    return list;
}

void onCommand(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action,
               int n) {
    auto left = std::make_shared<int>(n);
    QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer, [=](const auto& entry) {
        if (entry.bytes == command && --*left == 0) QTimer::singleShot(0, action);
    });
}

static void setFound(SharedState& state, int n, const QString& speed, int handshake) {
    state.PrinterFound = true;
    state.PrinterPort = qint16(n);
    state.PrinterSpeed = speed;
    state.PrinterHandshake = qint16(handshake);
}

CoreBench::CoreBench() {
    state.EscChar = "\x1b";
    state.GsChar = "\x1d";
    state.CanChar = "\x18";
    setFound(state, 3, "9600", 1);
}

Bench::Bench() : m_oldDir(QDir::currentPath()) {
    QDir::setCurrent(QStringLiteral(VELTARO_SOURCE_DIR "/help"));
    m_wizard = std::make_unique<Wizard>();
    m_wizard->setEndRoutine([this] { m_ended = true; });
}

// The wizard, a member, goes first and closes its port before the printers go.
Bench::~Bench() {
    QDir::setCurrent(m_oldDir);
}

void Bench::detected(int n, const QString& speed, int handshake) {
    m_wizard->step1();
    setFound(m_wizard->state(), n, speed, handshake);
    m_wizard->page(PageId::Step2).show();
}

QStringList Bench::shownPages() {
    QStringList names;
    for (PageId id : {PageId::Step1, PageId::PortSelection, PageId::Step2, PageId::ChanReflectModeFrm,
                      PageId::Step3, PageId::MonitorFrm})
        if (Page* page = m_wizard->loadedPage(id); page && page->isVisible()) names << page->objectName();
    return names;
}

bool Bench::portClosedAndIdle() {
    Link& link = m_wizard->link();
    return !m_wizard->state().PortIsOpen && !link.comm().portOpen() && !link.isWaiting();
}
