#include "draw_list_encoding.h"

#include <optional>

#include "text_metrics.h"

namespace kb {
namespace {

void Put(std::vector<std::int32_t>& out, WebCommand command)
{
    out.push_back(static_cast<std::int32_t>(command));
}

void PutText(std::vector<std::int32_t>& out, const std::string& text)
{
    const std::size_t countAt = out.size();
    out.push_back(0);
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t code = NextCodePoint(text, i);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<std::int32_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<std::int32_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<std::int32_t>(code));
        }
    }
    out[countAt] = static_cast<std::int32_t>(out.size() - countAt - 1);
}

}  // namespace

void EncodeDrawList(const DrawList& list, std::vector<std::int32_t>& out)
{
    out.clear();
    std::optional<Pen> pen;
    std::optional<Brush> brush;
    std::optional<WebFont> font;
    std::optional<Colour> fontColour;
    const auto usePen = [&](const Pen& p) {
        if (pen != p) {
            pen = p;
            out.insert(out.end(),
                       {static_cast<std::int32_t>(WebCommand::Pen), static_cast<std::int32_t>(p.colour),
                        p.width, static_cast<std::int32_t>(p.style)});
        }
    };
    const auto useBrush = [&](const Brush& b) {
        if (brush != b) {
            brush = b;
            out.insert(out.end(), {static_cast<std::int32_t>(WebCommand::Brush),
                                   static_cast<std::int32_t>(b.colour), static_cast<std::int32_t>(b.style)});
        }
    };
    const auto useFont = [&](const Font& f) {
        const WebFont web = WebFontOf(f);
        if (!font || font->pixelSize != web.pixelSize || font->ascent != web.ascent ||
            fontColour != f.colour) {
            font = web;
            fontColour = f.colour;
            out.insert(out.end(), {static_cast<std::int32_t>(WebCommand::Font), web.pixelSize, web.ascent,
                                   static_cast<std::int32_t>(f.colour)});
        }
    };
    const auto putCoords = [&](const DrawOp& op, int count) { out.insert(out.end(), op.c, op.c + count); };

    for (const DrawOp& op : list.ops) {
        switch (op.kind) {
            case DrawOpKind::Line:
                usePen(op.pen);
                Put(out, WebCommand::Line);
                putCoords(op, 4);
                break;
            case DrawOpKind::Ellipse:
                usePen(op.pen);
                useBrush(op.brush);
                Put(out, WebCommand::Ellipse);
                putCoords(op, 4);
                break;
            case DrawOpKind::Arc:
                usePen(op.pen);
                Put(out, WebCommand::Arc);
                putCoords(op, 8);
                break;
            case DrawOpKind::Polygon:
                usePen(op.pen);
                useBrush(op.brush);
                Put(out, WebCommand::Polygon);
                out.push_back(static_cast<std::int32_t>(op.pointCount));
                for (std::size_t p = 0; p < op.pointCount; ++p) {
                    const ScreenPoint& point = list.points[op.firstPoint + p];
                    out.push_back(point.x);
                    out.push_back(point.y);
                }
                break;
            case DrawOpKind::FillRect:
                useBrush(op.brush);
                Put(out, WebCommand::FillRect);
                putCoords(op, 4);
                break;
            case DrawOpKind::Text:
                useFont(list.FontOf(op));
                Put(out, WebCommand::Text);
                putCoords(op, 2);
                PutText(out, op.text);
                break;
        }
    }
}

}  // namespace kb
