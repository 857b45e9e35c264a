#include "bench.h"

#include "link/mscomm.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QDir>

MessageBoxes::MessageBoxes() {
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxes::look);
    m_timer.start();
}

QStringList MessageBoxes::texts() const {
    QStringList list;
    for (const Seen& s : m_seen)
        list << s.text;
    return list;
}

void MessageBoxes::look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || m_held || box->property("veltaroTestSeen").toBool())
        return;
    box->setProperty("veltaroTestSeen", true);
    Seen s{box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
           box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton};
    m_seen.push_back(s);
    QMessageBox::StandardButton choice = QMessageBox::Ok;
    if (!m_answers.empty()) {
        choice = m_answers.front();
        m_answers.pop_front();
    } else if (s.defaultButton != QMessageBox::NoButton) {
        choice = s.defaultButton;
    }
    if (QAbstractButton* button = box->button(choice))
        button->click();
}

Bench::Bench() : m_oldDir(QDir::currentPath()) {
    QDir::setCurrent(QStringLiteral(VELTARO_SOURCE_DIR "/help"));
    m_wizard = std::make_unique<Wizard>();
    m_wizard->setEndRoutine([this] { m_ended = true; });
}

Bench::~Bench() {
    m_wizard.reset();
    m_holders.clear();
    m_printers.clear();
    QDir::setCurrent(m_oldDir);
}

Sim::SimulatedPrinter& Bench::printer(int n, const Sim::PrinterConfig& config) {
    auto printer = std::make_unique<Sim::SimulatedPrinter>(config);
    printer->attach(m_ports.path(), n);
    m_printers.emplace_back(n, std::move(printer));
    return *m_printers.back().second;
}

Sim::SimulatedPrinter* Bench::printerAt(int n) {
    for (auto& [port, printer] : m_printers)
        if (port == n)
            return printer.get();
    return nullptr;
}

void Bench::holdBusy(int n) {
    auto pty = std::make_unique<RawPty>();
    m_ports.setPort(n, pty->slavePath());
    auto holder = std::make_unique<MSComm>();
    holder->setCommPort(n);
    holder->open();
    m_busyPtys.push_back(std::move(pty));
    m_holders.push_back(std::move(holder));
}

void Bench::detected(int n, const QString& speed, int handshake) {
    m_wizard->step1();
    SharedState& state = m_wizard->state();
    state.PrinterFound = true;
    state.PrinterPort = qint16(n);
    state.PrinterSpeed = speed;
    state.PrinterHandshake = qint16(handshake);
    m_wizard->step2().show();
}

QStringList Bench::commandsHex(int n) const {
    QStringList list;
    for (const auto& [port, printer] : m_printers)
        if (port == n)
            for (const Sim::TranscriptEntry& e : printer->transcript())
                list << QString::fromLatin1(e.bytes.toHex(' '));
    return list;
}
