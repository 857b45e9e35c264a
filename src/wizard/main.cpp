#include "record/identity.h"
#include "wizard/wizard.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before the application starts, so that it needs no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("veltaro %s\n", qPrintable(Identity::kVersionText));
        return 0;
    }
    QApplication app(argc, argv);
    Identity::applyToApplication();
    // The wizard's pages hide and show one another; the program ends only through the wizard.
    QApplication::setQuitOnLastWindowClosed(false);
    Wizard wizard;
    wizard.takeEndRequests(true);
    wizard.start();
    const int status = QApplication::exec();
    wizard.letPortGo();
    return status;
}
