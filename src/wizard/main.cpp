#include "record/identity.h"
#include "wizard/wizard.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Identity::applyToApplication();
    // The wizard's pages hide and show one another; the program ends only through the wizard.
    QApplication::setQuitOnLastWindowClosed(false);
    Wizard wizard;
    wizard.takeEndRequests(true);
    wizard.start();
    return QApplication::exec();
}
