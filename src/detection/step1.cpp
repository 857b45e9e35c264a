#include "step1.h"

#include "shell/helppane.h"
#include "shell/wizard.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

Step1::Step1(Wizard& wizard)
    : Page(wizard, Layout::step1(), Lifetime::WholeRun), WebBrowser(control<HelpPane>("WebBrowser")),
      ScanStatus(control<QLabel>("ScanStatus")), Exit(control<QPushButton>("Exit")),
      ManualDetect(control<QPushButton>("ManualDetect")), Start(control<QPushButton>("Start")),
      Timer1(control<QTimer>("Timer1")), m_link(wizard.state(), m_comm, *Timer1) {
    connect(Start, &QPushButton::clicked, this, &Step1::Start_Click);
    connect(ManualDetect, &QPushButton::clicked, this, &Step1::ManualDetect_Click);
    connect(Exit, &QPushButton::clicked, this, &Step1::Exit_Click);
}

void Step1::Form_Load() {}
void Step1::Form_Unload() { wizard().endProgram(); }
void Step1::Start_Click() {}
void Step1::ManualDetect_Click() {}
void Step1::Exit_Click() { wizard().endProgram(); }
