#include "bench.h"

#include "shell/page.h"
#include "wizard/wizard.h"

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
        m_texts << box->text();
        QAbstractButton* choice = box->defaultButton() ? box->defaultButton() : box->button(QMessageBox::Ok);
        if (!m_answers.isEmpty()) choice = box->button(m_answers.takeFirst());
        if (choice) choice->click();
    });
    m_timer.start(5);
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

Bench::Bench() : m_oldDir(QDir::currentPath()) {
    QDir::setCurrent(QStringLiteral(VELTARO_SOURCE_DIR "/help"));
    m_wizard = std::make_unique<Wizard>();
    m_wizard->setEndRoutine([this] { m_ended = true; });
}

Bench::~Bench() { // the wizard goes first, so that its port is closed before the printers go
    QDir::setCurrent(m_oldDir);
}

void Bench::detected(int n, const QString& speed, int handshake) {
    m_wizard->step1();
    SharedState& state = m_wizard->state();
    state.PrinterFound = true;
    state.PrinterPort = qint16(n);
    state.PrinterSpeed = speed;
    state.PrinterHandshake = qint16(handshake);
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
