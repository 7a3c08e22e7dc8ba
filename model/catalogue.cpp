#include "catalogue.h"

#include <algorithm>
#include <map>
#include <span>

namespace kb {

namespace detail {
// The catalogues of po/*.po, written by the build (cmake/embed_catalogues.cmake).
std::span<const EmbeddedCatalogue> EmbeddedCatalogues();
}  // namespace detail

namespace {

const std::string kSourceLanguage = "de";

using Entries = std::map<std::string, std::string, std::less<>>;

std::string Key(std::string_view context, std::string_view id)
{
    std::string key(context);
    key += '\x04';  // gettext's own separator of context and id
    key += id;
    return key;
}

struct Catalogues {
    std::map<std::string, Entries, std::less<>> byLanguage;
    std::string current = kSourceLanguage;
};

Catalogues& All()
{
    static Catalogues catalogues = [] {
        Catalogues c;
        for (const EmbeddedCatalogue& embedded : detail::EmbeddedCatalogues()) {
            Entries entries;
            for (PoEntry& e : ParsePo(embedded.poText)) {
                if (!e.translation.empty()) {
                    entries[Key(e.context, e.id)] = std::move(e.translation);
                }
            }
            c.byLanguage[embedded.code] = std::move(entries);
        }
        return c;
    }();
    return catalogues;
}

std::string Lookup(std::string_view code, std::string_view context, std::string_view german)
{
    const Catalogues& c = All();
    const auto language = c.byLanguage.find(code);
    if (language == c.byLanguage.end()) {
        return std::string(german);
    }
    const auto entry = language->second.find(Key(context, german));
    return entry == language->second.end() ? std::string(german) : entry->second;
}

// The text of one quoted PO string, its escapes resolved; `line` starts at
// the opening quote.
std::string Unquote(std::string_view line)
{
    std::string text;
    for (std::size_t i = 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\' || i + 1 >= line.size()) {
            text += line[i];
            continue;
        }
        switch (line[++i]) {
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            default:  // \" and \\ and anything unknown: the character itself
                text += line[i];
        }
    }
    return text;
}

std::string_view Trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<PoEntry> ParsePo(std::string_view poText)
{
    std::vector<PoEntry> entries;
    PoEntry entry;
    bool fuzzy = false;
    bool hasId = false;
    bool hasTranslation = false;
    std::string* field = nullptr;  // the string a continuation line extends
    const auto finish = [&] {
        if (hasId && hasTranslation && !fuzzy && !entry.id.empty()) {
            entries.push_back(std::move(entry));
        }
        entry = PoEntry{};
        fuzzy = hasId = hasTranslation = false;
        field = nullptr;
    };
    std::size_t start = 0;
    while (start <= poText.size()) {
        std::size_t end = poText.find('\n', start);
        if (end == std::string_view::npos) {
            end = poText.size();
        }
        const std::string_view line = Trimmed(poText.substr(start, end - start));
        start = end + 1;
        if (line.empty()) {
            continue;
        }
        if (line.front() == '#') {
            if (hasTranslation) {
                finish();
            }
            if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) {
                fuzzy = true;
            }
            field = nullptr;
            continue;
        }
        if (line.front() == '"') {
            if (field != nullptr) {
                *field += Unquote(line);
            }
            continue;
        }
        const std::size_t space = line.find_first_of(" \t");
        const std::string_view keyword = line.substr(0, space);
        const std::size_t quote = line.find('"');
        const std::string value =
            quote == std::string_view::npos ? std::string() : Unquote(line.substr(quote));
        if ((keyword == "msgctxt" || keyword == "msgid") && hasTranslation) {
            finish();
        }
        if (keyword == "msgctxt") {
            entry.context = value;
            field = &entry.context;
        } else if (keyword == "msgid") {
            entry.id = value;
            hasId = true;
            field = &entry.id;
        } else if (keyword == "msgstr" || keyword == "msgstr[0]") {
            entry.translation = value;
            hasTranslation = true;
            field = &entry.translation;
        } else {
            field = nullptr;  // msgid_plural and further plural forms: the first form serves
        }
    }
    finish();
    return entries;
}

std::vector<std::string> AvailableLanguages()
{
    std::vector<std::string> codes{kSourceLanguage};
    for (const auto& [code, entries] : All().byLanguage) {
        if (code != kSourceLanguage) {
            codes.push_back(code);
        }
    }
    return codes;
}

bool SetLanguage(std::string_view code)
{
    Catalogues& c = All();
    if (code != kSourceLanguage && !c.byLanguage.contains(code)) {
        return false;
    }
    c.current = std::string(code);
    return true;
}

const std::string& CurrentLanguage()
{
    return All().current;
}

std::string Tr(std::string_view context, std::string_view german)
{
    const Catalogues& c = All();
    return c.current == kSourceLanguage ? std::string(german) : Lookup(c.current, context, german);
}

std::string TrArgs(std::string_view context, std::string_view german,
                   std::initializer_list<std::string_view> args)
{
    const std::string pattern = Tr(context, german);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
            text += *(args.begin() + index);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

bool AddCatalogue(std::string_view code, std::string_view poText)
{
    Entries entries;
    for (PoEntry& e : ParsePo(poText)) {
        if (!e.translation.empty()) {
            entries[Key(e.context, e.id)] = std::move(e.translation);
        }
    }
    if (entries.empty() || code.empty() || code == kSourceLanguage) {
        return false;
    }
    All().byLanguage[std::string(code)] = std::move(entries);
    return true;
}

std::string LanguageName(std::string_view code)
{
    return Lookup(code, "language", "Deutsch");
}

std::string DecimalSeparatorOf(std::string_view code)
{
    return Lookup(code, "number", ",");
}

}  // namespace kb
