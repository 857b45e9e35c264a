#pragma once

#include <QString>
#include <QStringList>

// The language the wizard speaks. The texts as the code writes them are English, the source of every
// translation and the fallback; German, French and Spanish are translations built into the program, and
// Qt's own texts (the file dialog, the message boxes' buttons) follow the same language. The language is
// chosen once, before the first window is built.
namespace Language {

inline const QString kEnglish = QStringLiteral("en");

// The languages the wizard speaks, English first.
const QStringList& spoken();

// The language asked for (`--language`) when the wizard speaks it; otherwise the first of the system's
// preferred languages that it speaks (`QLocale::uiLanguages()`, the most preferred first: on Linux
// LANGUAGE, then LC_ALL, LC_MESSAGES, LANG); English when it speaks none of them.
QString choose(const QString& asked, const QStringList& systemLanguages);

// Puts the translations of the language in place of those in use (English needs none); windows built
// afterwards speak it.
void use(const QString& language);

// The language in use: the help pages are looked for in a folder of that name first.
QString current();

} // namespace Language
