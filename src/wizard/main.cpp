#include "record/identity.h"
#include "shell/language.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

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
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("The wizard's language: de, fr, es or en (default: the system's)."),
        QStringLiteral("code"));
    options.addOption(language);
    options.process(app);
    const QString asked = options.value(language);
    const QString chosen = Language::choose(asked, QLocale::system().uiLanguages());
    if (!asked.isEmpty() && chosen == Language::kEnglish && !asked.startsWith(Language::kEnglish))
        qWarning("veltaro: no translation for \"%s\"; the wizard speaks English", qUtf8Printable(asked));
    Language::use(chosen);
    // The wizard's pages hide and show one another; the program ends only through the wizard.
    QApplication::setQuitOnLastWindowClosed(false);
    Wizard wizard;
    wizard.takeEndRequests(true);
    wizard.start();
    const int status = QApplication::exec();
    wizard.letPortGo();
    return status;
}
