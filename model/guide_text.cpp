// The guide is translated unit by unit from the one catalogue per language.
// po4a could do the extraction, but it writes and merges a PO file of its own
// from the documents (marking the program's entries there obsolete), or wants
// a second file per language; a translator here edits one file per language.

#include "guide_text.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>

#include "catalogue.h"

namespace kb {
namespace {

constexpr std::string_view kContext = "guide";

// Blocks whose inner HTML is a unit.
constexpr std::string_view kLeafBlocks[] = {"title", "h1", "h2", "h3", "h4", "h5",      "h6",        "p",
                                            "li",    "dt", "dd", "th", "td", "caption", "figcaption"};
// Blocks that may follow a unit's text inside it (an li with a ul in it).
constexpr std::string_view kNestedBlocks[] = {"ul", "ol", "dl", "table", "div", "blockquote", "pre"};
// Markup that stays inside a unit, for the translator to place.
constexpr std::string_view kInline[] = {"a",   "b",   "i",   "em",  "strong", "code",
                                        "kbd", "var", "sub", "sup", "br"};

bool OneOf(std::string_view name, std::span<const std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

struct Tag {
    std::size_t end;        // one past its '>'
    std::string_view name;  // as written, empty for <!…>
    bool closing;
};

// The tag that starts at html[at] == '<'; none when no '>' follows.
std::optional<Tag> TagAt(std::string_view html, std::size_t at)
{
    const std::size_t close = html.find('>', at);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t name = at + 1;
    const bool closing = name < close && html[name] == '/';
    name += closing ? 1 : 0;
    std::size_t nameEnd = name;
    while (nameEnd < close && std::isalnum(static_cast<unsigned char>(html[nameEnd])) != 0) {
        ++nameEnd;
    }
    return Tag{close + 1, html.substr(name, nameEnd - name), closing};
}

// `html` with each unit's inner HTML replaced by `map(inner)`.
template <typename Map>
std::string MapUnits(std::string_view html, Map&& map)
{
    std::string out;
    std::size_t copied = 0;
    std::size_t at = html.find('<');
    while (at != std::string_view::npos) {
        if (html.substr(at).starts_with("<!--")) {
            const std::size_t close = html.find("-->", at);
            at = close == std::string_view::npos ? close : html.find('<', close);
            continue;
        }
        const std::optional<Tag> open = TagAt(html, at);
        if (!open) {
            break;
        }
        std::size_t next = open->end;
        if (!open->closing && OneOf(open->name, kLeafBlocks)) {
            // The unit runs to the first tag that is not inline markup: its
            // own end tag, or a nested block; anything else leaves it alone.
            std::size_t end = open->end;
            std::optional<Tag> stop;
            while ((end = html.find('<', end)) != std::string_view::npos) {
                stop = TagAt(html, end);
                if (!stop || !OneOf(stop->name, kInline)) {
                    break;
                }
                end = stop->end;
            }
            if (end == std::string_view::npos || !stop) {
                break;
            }
            const bool closes = stop->closing && stop->name == open->name;
            const bool nests =
                !stop->closing && (OneOf(stop->name, kNestedBlocks) || OneOf(stop->name, kLeafBlocks));
            if (closes || nests) {
                out.append(html.substr(copied, open->end - copied));
                out += map(html.substr(open->end, end - open->end));
                copied = end;
            }
            next = end;
        }
        at = html.find('<', next);
    }
    out.append(html.substr(copied));
    return out;
}

// A unit's key: its whitespace runs made one space, trimmed.
std::string Key(std::string_view inner)
{
    std::string key;
    bool space = false;
    for (const char c : inner) {
        if (IsSpace(c)) {
            space = true;
            continue;
        }
        if (space && !key.empty()) {
            key += ' ';
        }
        space = false;
        key += c;
    }
    return key;
}

std::vector<std::string_view> Tags(std::string_view html)
{
    std::vector<std::string_view> tags;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        const std::size_t close = html.find('>', at);
        tags.push_back(html.substr(at, close == std::string_view::npos ? close : close + 1 - at));
    }
    return tags;
}

// <html lang="…"> set to `code`; the guide's html tag has the attribute.
void SetLanguageAttribute(std::string& html, std::string_view code)
{
    const std::size_t tag = html.find("<html");
    const std::size_t tagEnd = html.find('>', tag);
    const std::size_t lang = html.find("lang=\"", tag);
    if (tag == std::string::npos || tagEnd == std::string::npos || lang > tagEnd) {
        return;
    }
    const std::size_t value = lang + 6;
    const std::size_t valueEnd = html.find('"', value);
    if (valueEnd < tagEnd) {
        html.replace(value, valueEnd - value, code);
    }
}

}  // namespace

std::string TranslateGuide(std::string_view germanHtml)
{
    if (CurrentLanguage() == "de") {
        return std::string(germanHtml);
    }
    bool anyTranslated = false;
    std::string html = MapUnits(germanHtml, [&anyTranslated](std::string_view inner) {
        const std::string key = Key(inner);
        if (key.empty()) {
            return std::string(inner);
        }
        const std::string translation = Tr(kContext, key);
        if (translation == key || Tags(translation) != Tags(key)) {
            return std::string(inner);
        }
        anyTranslated = true;
        // The unit's own leading and trailing whitespace stays, and with it
        // the layout of the lines around it.
        const std::size_t first = inner.find_first_not_of(" \t\r\n");
        const std::size_t last = inner.find_last_not_of(" \t\r\n") + 1;
        return std::string(inner.substr(0, first)) + translation + std::string(inner.substr(last));
    });
    if (anyTranslated) {
        SetLanguageAttribute(html, CurrentLanguage());
    }
    return html;
}

std::vector<std::string> GuideUnits(std::string_view germanHtml)
{
    std::vector<std::string> units;
    MapUnits(germanHtml, [&units](std::string_view inner) {
        std::string key = Key(inner);
        if (!key.empty() && std::find(units.begin(), units.end(), key) == units.end()) {
            units.push_back(std::move(key));
        }
        return std::string(inner);
    });
    return units;
}

}  // namespace kb
