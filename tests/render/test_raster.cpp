// The pixel rasteriser: exact pixels for axis-aligned strokes, coverage in
// the right places for slanted strokes and curves, and never a write outside
// the surface, whatever the coordinates.

#include <QTest>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "render/raster.h"

using namespace kb;

namespace {

constexpr std::uint32_t kWhitePixel = 0xFFFFFFFF;
constexpr std::uint32_t kGuard = 0x12345678;
constexpr int kGuardPx = 8;

// A white surface inside a frame of guard pixels that nothing may touch.
class Sheet {
public:
    Sheet(int width, int height)
        : width_(width),
          height_(height),
          stride_(width + 2 * kGuardPx),
          pixels_(static_cast<std::size_t>(stride_ * (height + 2 * kGuardPx)), kGuard)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                At(x, y) = kWhitePixel;
            }
        }
        surface_ = PixelSurface{&At(0, 0), width, height, stride_};
    }

    PixelSurface& Surface() { return surface_; }
    std::uint32_t& At(int x, int y)
    {
        return pixels_[static_cast<std::size_t>((y + kGuardPx) * stride_ + x + kGuardPx)];
    }
    std::uint32_t Pixel(int x, int y) const
    {
        return pixels_[static_cast<std::size_t>((y + kGuardPx) * stride_ + x + kGuardPx)];
    }

    // How much darker than white the pixel is, 0 (white) to 255 (black).
    int Ink(int x, int y) const { return 255 - static_cast<int>(Pixel(x, y) & 0xFF); }

    bool GuardsIntact() const
    {
        for (int y = -kGuardPx; y < height_ + kGuardPx; ++y) {
            for (int x = -kGuardPx; x < width_ + kGuardPx; ++x) {
                const bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
                if (!inside && Pixel(x, y) != kGuard) {
                    return false;
                }
            }
        }
        return true;
    }

    int InkedPixels() const
    {
        int count = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                count += Ink(x, y) > 0 ? 1 : 0;
            }
        }
        return count;
    }

private:
    int width_;
    int height_;
    std::ptrdiff_t stride_;
    std::vector<std::uint32_t> pixels_;
    PixelSurface surface_;
};

}  // namespace

class RasterTest : public QObject {
    Q_OBJECT

private slots:
    void fillRectCoversLeftAndTopEdgesOnly()
    {
        Sheet sheet(40, 30);
        RasterFillRect(sheet.Surface(), 10, 5, 20, 15, kRed);
        QCOMPARE(sheet.Pixel(10, 5), 0xFFFF0000u);
        QCOMPARE(sheet.Pixel(19, 14), 0xFFFF0000u);
        QCOMPARE(sheet.Pixel(20, 10), kWhitePixel);
        QCOMPARE(sheet.Pixel(15, 15), kWhitePixel);
        QCOMPARE(sheet.Pixel(9, 10), kWhitePixel);
        QCOMPARE(sheet.InkedPixels(), 100);
    }

    void thinStrokesThroughPixelCentresAreOnePixelWide()
    {
        Sheet sheet(60, 60);
        StrokeStyle thin;
        RasterStrokeSegment(sheet.Surface(), 10.5, 20.5, 40.5, 20.5, thin, kBlack);
        RasterStrokeSegment(sheet.Surface(), 50.5, 5.5, 50.5, 45.5, thin, kBlack);
        for (int x = 10; x <= 40; ++x) {
            QCOMPARE(sheet.Ink(x, 20), 255);
            QCOMPARE(sheet.Ink(x, 19), 0);
            QCOMPARE(sheet.Ink(x, 21), 0);
        }
        QCOMPARE(sheet.Ink(9, 20), 0);  // a flat end stops at the end point
        QCOMPARE(sheet.Ink(41, 20), 0);
        for (int y = 5; y <= 45; ++y) {
            QCOMPARE(sheet.Ink(50, y), 255);
            QCOMPARE(sheet.Ink(49, y), 0);
            QCOMPARE(sheet.Ink(51, y), 0);
        }
        QCOMPARE(sheet.InkedPixels(), 31 + 41);
    }

    void slantedStrokeCarriesItsWidthInInk()
    {
        // At 45 degrees a one-pixel stroke covers sqrt(2) pixels per column,
        // split between the pixels it straddles.
        Sheet sheet(60, 60);
        RasterStrokeSegment(sheet.Surface(), 5.5, 5.5, 45.5, 45.5, StrokeStyle{}, kBlack);
        for (int x = 10; x <= 40; ++x) {
            int ink = 0;
            for (int y = 0; y < 60; ++y) {
                ink += sheet.Ink(x, y);
            }
            QVERIFY2(std::abs(ink - 255 * std::numbers::sqrt2) < 12, qPrintable(QString::number(ink)));
            QCOMPARE(sheet.Ink(x, x), 255);  // the centre pixel is covered outright
            QCOMPARE(sheet.Ink(x, x + 2), 0);
        }
    }

    void wideStrokeWithSquareEnds()
    {
        // Even widths run along pixel edges; a square end reaches half the
        // width past each end point.
        Sheet sheet(40, 30);
        StrokeStyle wide;
        wide.width = 2.0;
        wide.capExtension = 1.0;
        RasterStrokeSegment(sheet.Surface(), 10.0, 10.0, 20.0, 10.0, wide, kBlack);
        for (int x = 9; x <= 20; ++x) {
            QCOMPARE(sheet.Ink(x, 9), 255);
            QCOMPARE(sheet.Ink(x, 10), 255);
            QCOMPARE(sheet.Ink(x, 8), 0);
            QCOMPARE(sheet.Ink(x, 11), 0);
        }
        QCOMPARE(sheet.InkedPixels(), 24);
    }

    void jointPixelsBelongToTheSegmentStartingThere()
    {
        // The second segment alone, then both: the first leaves the joint's
        // column to the second, so its pixels there are blended once.
        Sheet alone(50, 30);
        Sheet both(50, 30);
        const StrokeStyle thin;
        RasterStrokeSegment(alone.Surface(), 20.5, 15.5, 40.5, 5.5, thin, kBlack);
        RasterStrokeSegment(both.Surface(), 0.5, 5.5, 20.5, 15.5, thin, kBlack, SegmentEnds{true, false});
        RasterStrokeSegment(both.Surface(), 20.5, 15.5, 40.5, 5.5, thin, kBlack);
        for (int y = 0; y < 30; ++y) {
            QCOMPARE(both.Pixel(20, y), alone.Pixel(20, y));
        }
        QVERIFY(both.Ink(19, 15) > 0);  // the first segment still reaches the joint
    }

    void dashesFollowThePattern()
    {
        Sheet sheet(60, 10);
        StrokeStyle dashed;
        dashed.dashOn = 6.0;
        dashed.dashOff = 3.0;
        RasterStrokeSegment(sheet.Surface(), 0.5, 4.5, 53.5, 4.5, dashed, kBlack);
        for (int x = 0; x <= 53; ++x) {
            const bool on = (x % 9) < 6;
            QCOMPARE(sheet.Ink(x, 4) == 255, on);
        }
    }

    void strokesFarOffOrInvalidStayOnTheSurface()
    {
        Sheet sheet(50, 40);
        StrokeStyle wide;
        wide.width = 3.0;
        wide.capExtension = 1.5;
        // Crossing every edge, far beyond them, and nonsense.
        RasterStrokeSegment(sheet.Surface(), -1e9, 20.5, 1e9, 20.5, StrokeStyle{}, kBlack);
        RasterStrokeSegment(sheet.Surface(), -30.0, -50.0, 90.0, 100.0, wide, kBlack);
        RasterStrokeSegment(sheet.Surface(), 25.5, -1e300, 25.5, 1e300, StrokeStyle{}, kBlack);
        RasterStrokeSegment(sheet.Surface(), 1e15, 1e15, -1e15, -1e15 + 1.0, wide, kBlack);
        RasterStrokeSegment(sheet.Surface(), NAN, 3.0, 10.0, 10.0, StrokeStyle{}, kBlack);
        RasterStrokeSegment(sheet.Surface(), 60.0, 60.0, 60.0, 60.0, wide,
                            kBlack);  // a point off the surface
        RasterStrokeEllipse(sheet.Surface(), 25.0, 20.0, 200.0, 30.0, 4.0, kBlack);
        RasterStrokeArc(sheet.Surface(), 0.0, 0.0, 45.0, 45.0, 2.0, 0.0, 360.0, kBlack);
        RasterFillEllipse(sheet.Surface(), 49.0, 39.0, 20.0, 20.0, kBlack);
        RasterFillRect(sheet.Surface(), -100, -100, 1000, 5, kBlack);
        QVERIFY(sheet.GuardsIntact());
        QCOMPARE(sheet.Ink(0, 20), 255);  // the long horizontal one is there
        QCOMPARE(sheet.Ink(49, 20), 255);
        QCOMPARE(sheet.Ink(25, 39), 255);
    }

    void circleOutlineIsClosedAndThin()
    {
        Sheet sheet(120, 120);
        const double cx = 60.0, cy = 60.0, r = 45.0;
        RasterStrokeEllipse(sheet.Surface(), cx, cy, r, r, 2.0, kBlack);
        QVERIFY(sheet.GuardsIntact());
        // Every direction finds ink within half a pixel of the curve, most of
        // a pixel's worth across it, and none well inside or outside.
        for (int degree = 0; degree < 360; ++degree) {
            const double a = degree * std::numbers::pi / 180.0;
            int across = 0;
            for (double d = r - 3.0; d <= r + 3.0; d += 0.25) {
                const int x = static_cast<int>(std::floor(cx + d * std::cos(a)));
                const int y = static_cast<int>(std::floor(cy - d * std::sin(a)));
                across = std::max(across, sheet.Ink(x, y));
            }
            QVERIFY2(across >= 200, qPrintable(QStringLiteral("gap at %1 degrees").arg(degree)));
            QCOMPARE(sheet.Ink(static_cast<int>(cx + (r - 4) * std::cos(a)),
                               static_cast<int>(cy - (r - 4) * std::sin(a))),
                     0);
            QCOMPARE(sheet.Ink(static_cast<int>(cx + (r + 4) * std::cos(a)),
                               static_cast<int>(cy - (r + 4) * std::sin(a))),
                     0);
        }
        // Ink all round adds up to about the ring's area.
        int total = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 120; ++x) {
                total += sheet.Ink(x, y);
            }
        }
        const double area = 2.0 * std::numbers::pi * r * 2.0;
        QVERIFY2(std::abs(total / 255.0 - area) < 0.1 * area, qPrintable(QString::number(total / 255.0)));
    }

    void arcStaysInsideItsSpan()
    {
        // From 30 degrees counterclockwise through 60: the upper right.
        Sheet sheet(120, 120);
        RasterStrokeArc(sheet.Surface(), 60.0, 60.0, 40.0, 40.0, 1.0, 30.0, 60.0, kBlack);
        auto inkAt = [&](double degree) {
            const double a = degree * std::numbers::pi / 180.0;
            int ink = 0;
            for (double d = 38.0; d <= 42.0; d += 0.25) {
                ink = std::max(ink, sheet.Ink(static_cast<int>(std::floor(60.0 + d * std::cos(a))),
                                              static_cast<int>(std::floor(60.0 - d * std::sin(a)))));
            }
            return ink;
        };
        QVERIFY(inkAt(35.0) > 150);
        QVERIFY(inkAt(60.0) > 150);
        QVERIFY(inkAt(85.0) > 150);
        QCOMPARE(inkAt(20.0), 0);
        QCOMPARE(inkAt(100.0), 0);
        QCOMPARE(inkAt(240.0), 0);
    }

    void filledEllipseIsSolidInsideAndSoftAtItsRim()
    {
        Sheet sheet(100, 60);
        RasterFillEllipse(sheet.Surface(), 50.0, 30.0, 40.0, 20.0, kBlue);
        QCOMPARE(sheet.Pixel(50, 30), 0xFF0000FFu);
        QCOMPARE(sheet.Pixel(15, 30), 0xFF0000FFu);
        QCOMPARE(sheet.Pixel(50, 12), 0xFF0000FFu);
        QCOMPARE(sheet.Pixel(50, 52), kWhitePixel);
        QCOMPARE(sheet.Pixel(8, 30), kWhitePixel);
        QCOMPARE(sheet.Pixel(5, 5), kWhitePixel);
        // The area comes out right: pi * 40 * 20 pixels, near enough.
        double filled = 0.0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 100; ++x) {
                filled += (255 - static_cast<int>((sheet.Pixel(x, y) >> 16) & 0xFF)) / 255.0;
            }
        }
        QVERIFY(std::abs(filled - std::numbers::pi * 800.0) < 30.0);
    }

    void blendedImageOverTheSurface()
    {
        // Premultiplied: opaque red, half-covered black, transparent.
        const std::vector<std::uint32_t> image = {0xFFFF0000u, 0x80000000u, 0x00000000u,
                                                  0xFFFF0000u, 0x80000000u, 0x00000000u};
        Sheet sheet(10, 10);
        sheet.At(5, 5) = 0xFF00FF00u;
        RasterBlendImage(sheet.Surface(), 3, 5, image.data(), 3, 2, 3);
        QCOMPARE(sheet.Pixel(3, 5), 0xFFFF0000u);
        QVERIFY(std::abs(static_cast<int>((sheet.Pixel(4, 5) >> 8) & 0xFF) - 127) <= 1);
        QCOMPARE(sheet.Pixel(5, 5), 0xFF00FF00u);  // transparent leaves what was there
        // Spans limit each row; clipping keeps the rest off the guards.
        const std::vector<ImageRowSpan> spans = VisibleSpans(image.data(), 3, 2, 3);
        QCOMPARE(spans[0].first, 0);
        QCOMPARE(spans[0].last, 2);
        RasterBlendImage(sheet.Surface(), 8, 9, image.data(), 3, 2, 3, spans.data());
        RasterBlendImage(sheet.Surface(), -1, -1, image.data(), 3, 2, 3, spans.data());
        QVERIFY(sheet.GuardsIntact());
        QCOMPARE(sheet.Pixel(8, 9), 0xFFFF0000u);
        QVERIFY(sheet.Ink(0, 0) > 100);
    }
};

QTEST_APPLESS_MAIN(RasterTest)
#include "test_raster.moc"
