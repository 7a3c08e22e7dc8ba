#include "text_metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "liberation_sans_metrics.h"

namespace kb {
namespace {

constexpr int kDesignDpi = 96;
constexpr int kPointsPerInch = 72;

int AdvanceUnits(std::uint32_t code)
{
    const auto* end = std::end(font::kAdvances);
    const auto* found = std::lower_bound(std::begin(font::kAdvances), end, code,
                                         [](const font::Advance& a, std::uint32_t c) { return a.code < c; });
    return found != end && found->code == code ? found->units : font::kMissingAdvance;
}

int Scaled(long units, int pixelSize)
{
    return static_cast<int>(std::lround(static_cast<double>(units) * pixelSize / font::kUnitsPerEm));
}

}  // namespace

std::uint32_t NextCodePoint(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    const std::uint8_t lead = byte(i);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    return code;
}

WebFont WebFontOf(const Font& font)
{
    WebFont out;
    if (font.pointSize > 0) {
        out.pixelSize = static_cast<int>(std::lround(font.pointSize * double(kDesignDpi) / kPointsPerInch));
    } else {
        // A cell `height` pixels high: ascent plus descent of the face.
        const double cellPerEm = double(font::kAscender + font::kDescender) / font::kUnitsPerEm;
        out.pixelSize = static_cast<int>(std::lround(std::max(1, font.height) / cellPerEm));
    }
    out.pixelSize = std::max(1, out.pixelSize);
    out.ascent = Scaled(font::kAscender, out.pixelSize);
    out.descent = Scaled(font::kDescender, out.pixelSize);
    return out;
}

int WebTextMetrics::TextWidth(const Font& font, std::string_view text)
{
    long units = 0;
    for (std::size_t i = 0; i < text.size();) {
        units += AdvanceUnits(NextCodePoint(text, i));
    }
    return Scaled(units, WebFontOf(font).pixelSize);
}

int WebTextMetrics::TextHeight(const Font& font, std::string_view)
{
    const WebFont web = WebFontOf(font);
    return web.ascent + web.descent;
}

}  // namespace kb
