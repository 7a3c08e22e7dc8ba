#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QObject;

namespace kb {

// The desktop's own texts in the current language: its German wording looked
// up in context "app" of the catalogue (the .qm lconvert makes of po/xx.po).
QString AppText(const char* german);

// Sets the texts of `root` and its children (captions, titles, tooltips,
// accessible names) from the German they were built with; the first call
// keeps that German, so that later calls translate anew.
void TranslateTexts(QObject* root);

// The languages the program has, "de" first.
QStringList Languages();
// The language to start in: `chosen` (--lang), else the one remembered,
// else the first of the system's languages the program has, else German.
struct LanguageChoice {
    QString code;
    bool bySystem = false;  // the system's wish, not the user's choice
};
LanguageChoice StartLanguage(const std::optional<QString>& chosen);
// Makes `code` the language of the core, of the desktop's texts and of the
// toolkit's dialogs, and with `numbers` of the numbers too (a language the
// system asked for keeps the system's numbers). Qt sends every widget a
// QEvent::LanguageChange.
void ApplyLanguage(const QString& code, bool numbers = true);
// The remembered choice (QSettings).
void RememberLanguage(const QString& code);

}  // namespace kb
