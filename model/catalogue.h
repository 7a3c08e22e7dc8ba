#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

// The texts a user reads, in the language chosen. German is the source: a
// text's key is its exact German wording with a context ("core", "app",
// "page", "guide"), and German needs no catalogue. Every other language is a
// gettext PO catalogue; the build embeds po/*.po, so a new language is one
// new file. A missing or empty translation falls back to the German.

// "de" first, then one code per catalogue, sorted.
std::vector<std::string> AvailableLanguages();
// False, changing nothing, for a language without a catalogue.
bool SetLanguage(std::string_view code);
const std::string& CurrentLanguage();

std::string Tr(std::string_view context, std::string_view german);
// Tr, then %1 to %9 replaced by `args` in one pass, so a translation may
// reorder them and an argument's own "%2" stays as it is.
std::string TrArgs(std::string_view context, std::string_view german,
                   std::initializer_list<std::string_view> args);

// Parses `poText` and adds it as language `code`, replacing one of that code.
// False when the text holds no entry.
bool AddCatalogue(std::string_view code, std::string_view poText);

// The language's own name ("Deutsch", "English") and its decimal separator,
// both from its catalogue (contexts "language" and "number").
std::string LanguageName(std::string_view code);
std::string DecimalSeparatorOf(std::string_view code);

// One parsed entry of a PO text; fuzzy entries and the header are left out.
struct PoEntry {
    std::string context;
    std::string id;
    std::string translation;
};
std::vector<PoEntry> ParsePo(std::string_view poText);

// A catalogue the build embedded: its language code and its PO text.
struct EmbeddedCatalogue {
    const char* code;
    const char* poText;
};

}  // namespace kb
