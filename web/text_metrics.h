#pragma once

#include <cstdint>
#include <string_view>

#include "render/draw_list.h"

namespace kb {

// A font of the drawing surface as the page draws it: every face is the
// embedded Liberation Sans, at a whole pixel size.
struct WebFont {
    int pixelSize = 1;  // em size, px
    int ascent = 0;     // px from the top of the cell to the baseline
    int descent = 0;    // px below the baseline
};

WebFont WebFontOf(const Font& font);

// The code point of the UTF-8 sequence at `i`, moving `i` past it; a broken
// sequence gives U+FFFD for its first byte.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i);

// Text metrics from the embedded font's own advance widths, without kerning:
// the widths the page's canvas measures for the same font and size.
class WebTextMetrics final : public TextMetrics {
public:
    int TextWidth(const Font& font, std::string_view text) override;
    int TextHeight(const Font& font, std::string_view text) override;
};

}  // namespace kb
