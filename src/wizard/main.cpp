#include "record/identity.h"
#include "shell/language.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

int main(int argc, char** argv) {
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
    wizard.start();
    return QApplication::exec();
}
