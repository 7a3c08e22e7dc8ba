#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPolygonF>
#include <QRectF>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fonts.h"
#include "render/draw_list.h"
#include "render/raster.h"

// Pieces shared by the two ways a pass is painted: through QPainter, and by
// the pixel rasteriser into a frame.
namespace kb {

inline constexpr int kQtAngleUnitsPerDeg = 16;

// Small ellipses (lattice points, reciprocal points, marks) come by the dozen
// in every pass; each distinct one is rasterised once and then stamped.
inline constexpr int kMaxStampedEllipsePx = 96;

// Dash patterns in pen widths: drawn, then left out.
inline constexpr double kDashOn = 6.0;
inline constexpr double kDashOff = 3.0;
inline constexpr double kDotOn = 1.0;
inline constexpr double kDotOff = 2.0;

QPen MakePen(const Pen& pen);
// The pen for separate square-ended segments of a wide solid stroke.
QPen SegmentPen(const Pen& pen);
QBrush MakeBrush(const Brush& brush);

// Wide solid pens draw separate segments with square ends: the raster
// engine sweeps those directly, while round caps and joins send every stroke
// through the general path stroker, some thirty times slower on long lines.
// A square end reaches as far as a round one and closes the joins of a run.
bool IsWideSolid(const Pen& pen);

// Odd widths are centred on pixel centres, even widths on pixel edges.
double StrokeOffset(const Pen& pen);

// The box of an ellipse or arc op, shrunk so that its pen stays inside.
QRectF StrokeBox(const DrawOp& op);

// Angle in degrees, counterclockwise on the screen, of the ellipse point that
// the ray from the box centre through (x, y) meets.
double RayAngleDeg(const QRectF& box, int x, int y);

// Where an arc op starts and how far it runs counterclockwise, in degrees
// (0 < spanDeg <= 360), on the ellipse inscribed in `box`.
struct ArcAngles {
    double startDeg = 0.0;
    double spanDeg = 0.0;
};
ArcAngles ArcAnglesOf(const DrawOp& op, const QRectF& box);

// A polygon op's points, on pixel centres when its pen is odd-width.
QPolygonF PolygonOf(const DrawList& list, const DrawOp& op);

// Joined runs of segments with the same solid pen become one polyline, and
// straight runs within it one segment: each vertex costs a stroker a set-up
// and leaves a lighter pixel at the joint. Fills `vertices` with the run that
// starts at op `i` and returns the index of its last op.
std::size_t CollectJoinedRun(const DrawList& list, std::size_t i, std::vector<ScreenPoint>& vertices);

// A pre-rendered piece of the picture and where it goes relative to the
// op's anchor point (its box corner or text position).
struct Stamp {
    QImage image;
    QPoint offset;
    std::vector<ImageRowSpan> spans;  // the visible part of each row of the image
};

// The stamps of small ellipse ops and of texts come from one cache, which
// only the GUI thread may touch. A pass begins with BeginStampPass; every
// stamp it looks up stays where it is until the next pass begins.
void BeginStampPass();

const Stamp& EllipseStamp(const DrawOp& op);

// The text stamps of one font, by text.
using TextStampTable = std::unordered_map<std::string, Stamp>;
TextStampTable& TextStampsFor(const Font& font);

const Stamp& TextStamp(const Font& font, FontCache& fonts, const std::string& text);
// The same, with the font's table looked up already.
const Stamp& TextStamp(TextStampTable& table, const Font& font, FontCache& fonts, const std::string& text);

// Sets pen and brush only when they change: runs of ops share them.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : painter_(painter) {}

    void SetPen(const Pen& pen) { Apply(pen, false); }
    // The pen for separate square-ended segments of a wide solid stroke.
    void SetSegmentPen(const Pen& pen) { Apply(pen, true); }

    void SetBrush(const Brush& brush);

    // After the painter's pen was set behind this tracker's back.
    void ForgetPen() { penSet_ = false; }

private:
    void Apply(const Pen& pen, bool segments);

    QPainter& painter_;
    Pen pen_;
    Brush brush_;
    bool segments_ = false;
    bool penSet_ = false;
    bool brushSet_ = false;
};

}  // namespace kb
