#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kb {

// The guide (docs/guide.html) in the current language, from the catalogue's
// context "guide". A unit is the inner HTML of a leaf block (title, h1 to h6,
// p, li, dt, dd, th, td, caption, figcaption), or, where a block holds a
// nested list or table, its text before that; its key is that HTML with each
// run of whitespace made one space and trimmed, inline markup (b, i, em,
// strong, code, a, sub, sup, br, kbd, var) and entities kept.
//
// Not a general HTML parser: it reads our own well-formed guide, with tag
// names in lower case and no '>' in an attribute value. A unit with anything
// else in it (another tag, a comment, a block that does not close), or a
// translation whose tags are not the German's in the same order, stays
// German, so a slip in the guide or the catalogue shows German there and
// never breaks the page.

// The guide with each unit translated (German where the catalogue has none)
// and <html lang> set to the language once any unit is; in German, `germanHtml`
// itself.
std::string TranslateGuide(std::string_view germanHtml);

// The keys of the guide's units in their order, each once: what the
// catalogue must translate.
std::vector<std::string> GuideUnits(std::string_view germanHtml);

}  // namespace kb
