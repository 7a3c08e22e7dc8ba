// Keeps the template's guide entries in step with docs/guide.html:
//   guide_units docs/guide.html po/kristallbeugung.pot
// replaces the template's last block, from kGuideHeading on, with one entry
// (msgctxt "guide", empty msgstr) per unit of the guide, in its order.

#include <fstream>
#include <iostream>
#include <sstream>

#include "model/guide_text.h"

namespace {

constexpr std::string_view kGuideHeading = "# The guide (docs/guide.html)";

std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: guide_units GUIDE.html TEMPLATE.pot\n";
        return 64;
    }
    const std::string guide = ReadFile(argv[1]);
    std::string pot = ReadFile(argv[2]);
    if (guide.empty() || pot.empty()) {
        std::cerr << "guide_units: cannot read " << argv[1] << " or " << argv[2] << '\n';
        return 1;
    }
    const std::size_t block = pot.find(kGuideHeading);
    if (block == std::string::npos) {
        pot += '\n';
    } else {
        pot.erase(block);
    }
    pot += kGuideHeading;
    pot += '\n';
    for (const std::string& unit : kb::GuideUnits(guide)) {
        pot += "msgctxt \"guide\"\nmsgid " + Quoted(unit) + "\nmsgstr \"\"\n\n";
    }
    pot.pop_back();
    std::ofstream(argv[2], std::ios::binary | std::ios::trunc) << pot;
    return 0;
}
