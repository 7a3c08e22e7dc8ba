#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <string>
#include <unordered_map>

#include "render/canvas.h"
#include "render/draw_list.h"

namespace kb {

inline constexpr int kDesignDpi = 96;
inline constexpr int kPointsPerInch = 72;

// Maps the two face names of the layout onto fonts of this system: "Arial" to
// its metric-compatible Liberation Sans, "MS Sans Serif" to the platform's
// sans-serif interface font.
QString MapFaceName(const QString& face);

// A control font whose characters are `charHeightPx` high (the em size).
QFont ControlFont(const QString& face, int charHeightPx);

// A font whose character cell (ascent plus descent) is `cellHeightPx` high.
QFont CellHeightFont(const QString& face, int cellHeightPx);

// Fonts of the drawing surface, made once per distinct setting, with the
// text widths measured in them: shaping a text is the costly part of a pass.
class FontCache {
public:
    const QFont& Get(const Font& font);
    int Width(const Font& font, std::string_view text);
    int Height(const Font& font);

private:
    struct Entry {
        QFont font;
        int height = 0;
        std::unordered_map<std::string, int> widths;
    };
    Entry& Find(const Font& font);

    std::unordered_map<std::string, Entry> fonts_;
    Font lastFont_;
    Entry* last_ = nullptr;
};

class QtTextMetrics final : public TextMetrics {
public:
    int TextWidth(const Font& font, std::string_view text) override;
    int TextHeight(const Font& font, std::string_view text) override;

private:
    FontCache cache_;
};

}  // namespace kb
