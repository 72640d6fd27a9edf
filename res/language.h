// The program's language: which translation is installed, how the start-up choice is
// made, and how captions follow a change of language while windows are open.
//
// Source texts are Chinese; English is a translation (translations/tarvik_en.ts).
// A caption that is set once is written in the code as its source text marked with
// QT_TRANSLATE_NOOP(kCaptionContext, "...") and translated by TranslateTree() when its
// window is built. A caption that changes with the program's state is set through
// SetTranslated() (or SetStringText() for the string table). Either way the object
// remembers the source, and when the language changes the property is translated
// again, unless the code has set another value in the meantime.
#pragma once

#include <QObject>
#include <QString>

namespace Language {

inline constexpr char kChinese[] = "zh";
inline constexpr char kEnglish[] = "en";
// Pins the language ("zh" or "en") before the user's choice and the locale.
inline constexpr char kEnvVariable[] = "TARVIK_LANG";
// The user's choice, in the same settings file as the window layout.
inline constexpr char kSettingsKey[] = "Language";
inline constexpr char kCaptionContext[] = "Caption";

// "zh" for Chinese locales and for C and POSIX (the product's own language), else "en".
QString ForLocale(const QString &localeName);
// TARVIK_LANG, else the remembered choice, else the system's locale.
QString AtStart();
// Installs the translations of `code` for the program and for Qt's own dialogs;
// every window receives QEvent::LanguageChange.
void Apply(const QString &code);
// Apply() and remember the choice for the next start.
void Choose(const QString &code);
QString Current();

void SetTranslated(QObject *object, const char *property, const char *context, const char *source);
// Translates, in kCaptionContext, every caption under `root` (root included) that is
// still a source text, and remembers it. Call it before user data fills the window.
void TranslateTree(QObject *root);
// Translates again every remembered caption under `root` now (windows also do so by
// themselves on QEvent::LanguageChange), for code that measures captions at once.
void RetranslateTree(QObject *root);

} // namespace Language
