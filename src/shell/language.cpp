#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace Language {
namespace {

QString g_current = kEnglish;
std::vector<std::unique_ptr<QTranslator>> g_installed;

// "de-DE", "de_AT" and "de" are all German.
QString languageOf(const QString& name) {
    return name.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
}

// Qt's translations of the running Qt come first where the system has them (Debian's
// qt6-translations-l10n); the copies built into the program serve where it has none (Windows).
void install(const QString& file, const QStringList& folders) {
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder : folders)
        if (translator->load(file, folder)) {
            QCoreApplication::installTranslator(translator.get());
            g_installed.push_back(std::move(translator));
            return;
        }
}

} // namespace

const QStringList& spoken() {
    static const QStringList languages{kEnglish, QStringLiteral("de"), QStringLiteral("fr"),
                                       QStringLiteral("es")};
    return languages;
}

QString choose(const QString& asked, const QStringList& systemLanguages) {
    if (!asked.isEmpty()) return spoken().contains(languageOf(asked)) ? languageOf(asked) : kEnglish;
    for (const QString& name : systemLanguages)
        if (spoken().contains(languageOf(name))) return languageOf(name);
    return kEnglish;
}

void use(const QString& language) {
    for (const std::unique_ptr<QTranslator>& translator : g_installed)
        QCoreApplication::removeTranslator(translator.get());
    g_installed.clear();
    g_current = spoken().contains(language) ? language : kEnglish;
    if (g_current == kEnglish) return;
    const QString builtIn = QStringLiteral(":/i18n");
    install(QStringLiteral("qtbase_") + g_current,
            {QLibraryInfo::path(QLibraryInfo::TranslationsPath), builtIn});
    install(QStringLiteral("veltaro_") + g_current, {builtIn});
}

QString current() {
    return g_current;
}

} // namespace Language
