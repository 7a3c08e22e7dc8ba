#pragma once

#include <QCache>
#include <QHashFunctions>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QString>
#include <string>
#include <vector>

#include "fonts.h"
#include "render/draw_list.h"

namespace kb {

// A shape drawn once into an image at the device pixel ratio. The image's
// top-left corner lies `offset` logical pixels from the op's anchor: the
// corner of an ellipse's box, the top-left corner of a text's cell.
struct Stamp {
    QImage image;
    QPointF offset;
};

// What the painter reuses from pass to pass on a raster device: the fonts,
// and the small ellipses (lattice points, reciprocal discs, the rings on the
// Ewald circle) and texts of the scene as images. Every entry is keyed by
// what it is drawn with, so a new window size or pixel ratio simply makes new
// entries; the least used ones go first once a cache is full. Only the GUI
// thread may use it.
//
// Texts are images rather than QStaticText: the raster engine draws glyphs
// above 64 device pixels as outlines, anew in every pass, which made the
// labels half of a pass at 3840 x 2160.
class PaintCache {
public:
    PaintCache();

    // Ellipses whose box is at most this many logical pixels wide and high
    // are stamped; larger ones are drawn as shapes. Up to here an image of a
    // ring costs less to blend than its outline to draw in chords, each of
    // which costs the engine a line set-up: the Ewald circle of a drawing
    // area 792 pixels wide, 274 pixels across, takes about 20 us as a stamp
    // against 40 us in chords; at 1920 pixels, 666 across, both cost alike.
    static constexpr int kMaxStampedEllipsePx = 320;

    FontCache& Fonts() { return fonts_; }

    // Each stamp below is valid until the next call, and null when it would
    // be larger than the cache holds (a poster, a high pixel ratio): the
    // caller then draws the shape itself.

    // The stamp of an ellipse op at the given device pixel ratio.
    const Stamp* Ellipse(const DrawOp& op, qreal ratio);

    // The stamp of `text` in `font` at the given device pixel ratio; `fontKey`
    // is FontKey(font, ratio), made once per font of a pass.
    const Stamp* Text(const Font& font, const QString& fontKey, const std::string& text, qreal ratio);

    static QString FontKey(const Font& font, qreal ratio);

    // Whether a run of segments is better stamped than drawn: a long run, and
    // an image of it that costs less to blend than the engine's antialiased
    // line pixels, each many times dearer than a pixel of an image. A curve
    // across a small picture qualifies; across a large one its box holds
    // too many empty pixels.
    static bool StampsRun(const std::vector<QLineF>& lines);

    // The stamp of the run of line ops list.ops[first .. last], all with one
    // solid pen, as `lines` draws it; the image's top-left corner lies at
    // `offset` logical pixels.
    const Stamp* Run(const DrawList& list, std::size_t first, std::size_t last,
                     const std::vector<QLineF>& lines, qreal ratio);

private:
    struct EllipseKey {
        int width = 0;  // logical px, of the op's box
        int height = 0;
        Pen pen;
        Brush brush;
        qreal ratio = 1.0;

        friend bool operator==(const EllipseKey&, const EllipseKey&) = default;
        friend size_t qHash(const EllipseKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.width, key.height, key.pen.colour, key.pen.width,
                              static_cast<int>(key.pen.style), key.brush.colour,
                              static_cast<int>(key.brush.style), key.ratio);
        }
    };

    // A run is known by its segments as recorded: a long run is the
    // diffractogram's curve, which stays the same from tick to tick until a
    // peak is added.
    struct RunKey {
        std::vector<int> coordinates;  // of every op, four each
        Pen pen;
        qreal ratio = 1.0;

        friend bool operator==(const RunKey&, const RunKey&) = default;
        friend size_t qHash(const RunKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, qHashRange(key.coordinates.begin(), key.coordinates.end()),
                              key.pen.colour, key.pen.width, key.ratio);
        }
    };

    FontCache fonts_;
    QCache<EllipseKey, Stamp> ellipses_;  // cost: KiB of pixels
    QCache<QString, Stamp> texts_;        // cost: KiB of pixels
    QCache<RunKey, Stamp> runs_;          // cost: KiB of pixels
};

}  // namespace kb
