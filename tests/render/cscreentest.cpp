// The off-screen surface: projection constants, buffers and the rasteriser.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "render/cscreen.h"
#include "render/drawbuffers.h"
#include "tests/render/rendertestsupport.h"

namespace {

using Pixels = std::vector<std::pair<int, int>>;

struct SizeCase {
    const char* name;
    int width, height;
    float scaleX, scaleY; // as multiples of focal
    float centreX, centreY, halfExtentX, halfExtentY;
};

TEST(CScreenSetSize, ProjectionConstantsFollowTheShorterSide) {
    const SizeCase cases[] = {
        {"landscape 400x300", 400, 300, 0.75f, 1.0f, 200, 150, 199, 149},
        {"portrait 300x400", 300, 400, 1.0f, 0.75f, 150, 200, 149, 199},
        {"preview area 260x280", 260, 280, 1.0f, 260.0f / 280.0f, 130, 140, 129, 139},
        {"square 64x64", 64, 64, 1.0f, 1.0f, 32, 32, 31, 31},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScreen screen;
        screen.SetSize(c.width, c.height);
        EXPECT_FLOAT_EQ(screen.focal, 1.8304877f);
        EXPECT_FLOAT_EQ(screen.scaleX, screen.focal * c.scaleX);
        EXPECT_FLOAT_EQ(screen.scaleY, screen.focal * c.scaleY);
        EXPECT_FLOAT_EQ(screen.centreX, c.centreX);
        EXPECT_FLOAT_EQ(screen.centreY, c.centreY);
        EXPECT_FLOAT_EQ(screen.halfExtentX, c.halfExtentX);
        EXPECT_FLOAT_EQ(screen.halfExtentY, c.halfExtentY);
        EXPECT_FLOAT_EQ(screen.nearPlane, 1.0f);
        EXPECT_FLOAT_EQ(screen.farPlane, 131072.0f);
        EXPECT_EQ(screen.width, c.width);
        EXPECT_EQ(screen.height, c.height);
        ASSERT_NE(screen.Image(), nullptr);
        EXPECT_EQ(screen.Image()->size(), QSize(c.width, c.height));
        EXPECT_EQ(screen.Image()->format(), QImage::Format_RGB32);
    }
}

TEST(CScreenSetSize, NewSurfaceHasNoSizeAndDrawsNothing) {
    CScreen screen;
    EXPECT_EQ(screen.width, 0);
    EXPECT_EQ(screen.height, 0);
    EXPECT_FLOAT_EQ(screen.focal, 0.0f);
    EXPECT_FALSE(screen.colourCycling);
    screen.BeginDraw();
    screen.Clear(0);
    const CVector p = ProjectedPoint(0, 0);
    EXPECT_FALSE(screen.AddSegment(p, p));
    screen.EndDraw(true);
}

TEST(CScreenSetSize, ShrinkingDuringADrawRasterisesNothingOfTheOldSize) {
    CScreen screen;
    screen.SetSize(400, 300);
    screen.BeginDraw();
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(399, 299), ProjectedPoint(0, 299)));
    screen.SetSize(10, 10);
    screen.Clear(0);
    screen.EndDraw(true);
    screen.BeginDraw();
    screen.Clear(0);
    screen.EndDraw(true);
    EXPECT_TRUE(LitPixels(screen).empty());
}

TEST(CScreenBeginDraw, RowZeroIsTheBottomRowOfThePicture) {
    CScreen screen;
    screen.SetSize(8, 6);
    screen.BeginDraw();
    screen.Clear(0);
    const QImage& image = *screen.Image();
    EXPECT_EQ(screen.bits, reinterpret_cast<const uint32_t*>(image.constScanLine(5)));
    EXPECT_EQ(screen.pitch, -8);
    screen.bits[0] = 0x123456;
    screen.bits[screen.pitch * 5 + 7] = 0x654321;
    EXPECT_EQ(image.pixel(0, 5) & 0xFFFFFF, 0x123456u); // bottom-left
    EXPECT_EQ(image.pixel(7, 0) & 0xFFFFFF, 0x654321u); // top-right
}

TEST(CScreenClear, FillsEveryByteOfEveryRow) {
    CScreen screen;
    screen.SetSize(5, 4);
    screen.BeginDraw();
    screen.Clear(static_cast<int8_t>(0x7F));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(screen, x, y), 0x7F7F7F7Fu);
    screen.Clear(0);
    EXPECT_TRUE(LitPixels(screen).empty());
}

struct SegmentCase {
    const char* name;
    int x0, y0, x1, y1;
    Pixels expected; // (column, row from bottom), sorted by row then column
};

Pixels Row(int y, int from, int to) {
    Pixels p;
    for (int x = from; x <= to; ++x)
        p.emplace_back(x, y);
    return p;
}

Pixels Sorted(Pixels p) {
    std::sort(p.begin(), p.end(), [](auto a, auto b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    return p;
}

TEST(CScreenEndDraw, RasterisesSegmentsPixelExactly) {
    Pixels yMajor{{3, 2}};
    for (int y = 3; y <= 12; ++y)
        yMajor.emplace_back(4, y);
    Pixels diagonal;
    for (int i = 0; i <= 5; ++i)
        diagonal.emplace_back(2 + i, 1 + i);
    const SegmentCase cases[] = {
        {"equal endpoints write one pixel", 7, 7, 7, 7, {{7, 7}}},
        {"right to left on row 5", 10, 5, 0, 5, Row(5, 0, 10)},
        {"x-major steps its row only after the last pixel", 2, 3, 12, 4, Row(3, 2, 12)},
        {"y-major steps its column after the first pixel", 3, 2, 4, 12, yMajor},
        {"diagonal counts as mostly vertical", 2, 1, 7, 6, diagonal},
        {"vertical downwards", 4, 9, 4, 6, {{4, 6}, {4, 7}, {4, 8}, {4, 9}}},
        {"corners of the bitmap", 0, 0, 15, 0, Row(0, 0, 15)},
        {"top row", 15, 15, 13, 15, Row(15, 13, 15)},
    };
    for (const SegmentCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScreen screen;
        screen.SetSize(16, 16);
        screen.BeginDraw();
        screen.Clear(0);
        ASSERT_TRUE(screen.AddSegment(ProjectedPoint(c.x0, c.y0), ProjectedPoint(c.x1, c.y1)));
        screen.EndDraw(false);
        EXPECT_EQ(LitPixels(screen), Sorted(c.expected));
    }
}

TEST(CScreenEndDraw, XMajorStepsRowWhenErrorExceedsDx) {
    // dx = 4, dy = 2: the error reaches 2, 4 (not > 4), 6 > 4 -> the row changes after the third
    // pixel, not after the second as a centred Bresenham would.
    CScreen screen;
    screen.SetSize(16, 16);
    screen.BeginDraw();
    screen.Clear(0);
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(0, 0), ProjectedPoint(4, 2)));
    screen.EndDraw(false);
    EXPECT_EQ(LitPixels(screen), Sorted({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}));
}

TEST(CScreenEndDraw, SegmentColourIsTheEndPointsColourAsRgb) {
    CScreen screen;
    screen.SetSize(16, 16);
    screen.BeginDraw();
    screen.Clear(0);
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(1, 1, 0x00FF00), ProjectedPoint(1, 3, 0x0000FF)));
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(5, 5, 0x0000FF), ProjectedPoint(6, 5, 0x123456)));
    screen.EndDraw(false);
    EXPECT_EQ(PixelAt(screen, 1, 1), 0x00FF0000u); // model red 0x0000FF
    EXPECT_EQ(PixelAt(screen, 1, 3), 0x00FF0000u);
    EXPECT_EQ(PixelAt(screen, 5, 5), 0x00563412u);
    EXPECT_EQ(CScreen::PixelFromColour(0xFF0000), 0x0000FFu);
}

TEST(CScreenEndDraw, LitSegmentsAreDrawnOverBlankedOnes) {
    CScreen screen;
    screen.SetSize(16, 16);
    screen.BeginDraw();
    screen.Clear(0);
    // The lit one is stored first, the blanked one (its end point blanked) afterwards; the
    // blanked pass still runs first.
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(0, 4, 0x0000FF), ProjectedPoint(8, 4, 0x0000FF)));
    ASSERT_TRUE(
        screen.AddSegment(ProjectedPoint(4, 0, 0x00FF00), ProjectedPoint(4, 8, 0x00FF00, 1)));
    screen.EndDraw(false);
    EXPECT_EQ(PixelAt(screen, 4, 4), 0x00FF0000u);
    EXPECT_EQ(PixelAt(screen, 4, 7), 0x0000FF00u);
}

TEST(CScreenEndDraw, UsesCycleColourWhileColourCycling) {
    CScreen screen;
    screen.SetSize(8, 8);
    screen.BeginDraw();
    screen.Clear(0);
    CVector a = ProjectedPoint(1, 1, 0x0000FF);
    CVector b = ProjectedPoint(3, 1, 0x0000FF);
    b.cycle_colour = 0xFF0000;
    screen.colourCycling = true;
    ASSERT_TRUE(screen.AddSegment(a, b));
    screen.EndDraw(false);
    EXPECT_EQ(PixelAt(screen, 2, 1), 0x000000FFu);
}

TEST(CScreenEndDraw, FirstSegmentSkipsEarlierRecords) {
    CScreen screen;
    screen.SetSize(8, 8);
    screen.BeginDraw();
    screen.Clear(0);
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(0, 0), ProjectedPoint(0, 0)));
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(5, 5), ProjectedPoint(5, 5)));
    screen.firstSegment = SegmentBuffer + 1;
    screen.segmentCount = 1;
    screen.EndDraw(false);
    EXPECT_EQ(LitPixels(screen), Pixels({{5, 5}}));
}

TEST(CScreenBuffers, The4091stSegmentAndThe4095thDotAreRefused) {
    CScreen screen;
    screen.SetSize(32, 32);
    screen.BeginDraw();
    CVector p = ProjectedPoint(3, 3);
    for (int i = 0; i < kMaxSegments; ++i)
        ASSERT_TRUE(screen.AddSegment(p, p)) << i;
    EXPECT_FALSE(screen.AddSegment(p, p));
    EXPECT_EQ(screen.segmentCount, 4090);
    for (int i = 0; i < kDotBufferSize; ++i)
        ASSERT_TRUE(screen.AddDot(p)) << i;
    EXPECT_FALSE(screen.AddDot(p));
    EXPECT_EQ(screen.dotCount, 4094);
    screen.BeginDraw();
    EXPECT_EQ(screen.segmentCount, 0);
    EXPECT_EQ(screen.dotCount, 0);
    EXPECT_EQ(screen.firstSegment, SegmentBuffer);
}

TEST(CScreenBuffers, AddDotKeepsTheUntruncatedPositionAndItsSource) {
    CScreen screen;
    screen.SetSize(32, 32);
    screen.BeginDraw();
    CVector p = ProjectedPoint(3.75f, 9.5f, 0x0000FF, 1);
    p.cycle_colour = 0x00FF00;
    ASSERT_TRUE(screen.AddDot(p));
    const CVertex& dot = DotBuffer[0];
    EXPECT_FLOAT_EQ(dot.x, 3.75f);
    EXPECT_FLOAT_EQ(dot.y, 9.5f);
    EXPECT_EQ(dot.colour, 0x00FF00u);
    EXPECT_TRUE(dot.blank);
    EXPECT_EQ(dot.flag, 0);
    EXPECT_EQ(dot.source, &p);
}

struct DotCase {
    const char* name;
    float x, y;
    bool marked;
    Pixels expected;
};

TEST(CScreenEndDraw, DotsAreWhiteAndNeverOnTheOuterRing) {
    const DotCase cases[] = {
        {"inside", 4.9f, 3.2f, false, {{4, 3}}},
        {"column 0", 0.5f, 4.0f, false, {}},
        {"row 0", 4.0f, 0.0f, false, {}},
        {"last column", 9.0f, 4.0f, false, {}},
        {"last row", 4.0f, 9.5f, false, {}},
        {"negative", -3.0f, -3.0f, false, {}},
        {"not a number", NAN, 4.0f, false, {}},
        {"huge", 3e9f, 4.0f, false, {}},
        {"marked is a 3x3 block",
         1.0f,
         1.0f,
         true,
         {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}},
    };
    for (const DotCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScreen screen;
        screen.SetSize(10, 10);
        screen.BeginDraw();
        screen.Clear(0);
        CVector p = ProjectedPoint(c.x, c.y, 0x0000FF);
        p.marked = c.marked ? 1 : 0;
        ASSERT_TRUE(screen.AddDot(p));
        screen.EndDraw(true);
        EXPECT_EQ(LitPixels(screen), Sorted(c.expected));
        for (auto [x, y] : c.expected)
            EXPECT_EQ(PixelAt(screen, x, y), 0x00FFFFFFu);
    }
}

TEST(CScreenEndDraw, DotsAreCollectedButNotDrawnWithoutDrawDots) {
    CScreen screen;
    screen.SetSize(10, 10);
    screen.BeginDraw();
    screen.Clear(0);
    CVector p = ProjectedPoint(4, 4);
    ASSERT_TRUE(screen.AddDot(p));
    screen.EndDraw(false);
    EXPECT_TRUE(LitPixels(screen).empty());
}

struct ClampCase {
    const char* name;
    float x, y;
    bool stored;
    int column, row;
};

TEST(CScreenAddSegment, PositionsOutsideTheBitmapAreRefusedOrPulledOntoTheEdge) {
    const ClampCase cases[] = {
        {"inside", 5.9f, 6.2f, true, 5, 6},
        {"just beyond the right edge", 10.0001f, 3.0f, true, 9, 3},
        {"huge", 3e38f, -3e38f, true, 9, 0},
        {"infinite", INFINITY, 2.0f, false, 0, 0},
        {"not a number", 2.0f, NAN, false, 0, 0},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.name);
        CScreen screen;
        screen.SetSize(10, 12);
        screen.BeginDraw();
        screen.Clear(0);
        const bool stored = screen.AddSegment(ProjectedPoint(1, 1), ProjectedPoint(c.x, c.y));
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(screen.segmentCount, c.stored ? 1 : 0);
        if (c.stored) {
            EXPECT_EQ(SegmentBuffer[0].end.x, c.column);
            EXPECT_EQ(SegmentBuffer[0].end.y, c.row);
        }
        screen.EndDraw(false);
    }
}

TEST(CScreenCopyTo, DrawsTheBitmapUnscaledAtTheOrigin) {
    CScreen screen;
    screen.SetSize(4, 3);
    screen.BeginDraw();
    screen.Clear(0);
    ASSERT_TRUE(screen.AddSegment(ProjectedPoint(0, 0, 0x0000FF), ProjectedPoint(0, 0, 0x0000FF)));
    screen.EndDraw(false);
    QImage target(6, 5, QImage::Format_RGB32);
    target.fill(0x00000080);
    {
        QPainter canvas(&target);
        screen.CopyTo(canvas);
    }
    EXPECT_EQ(target.pixel(0, 2) & 0xFFFFFF, 0xFF0000u); // bottom-left of the surface
    EXPECT_EQ(target.pixel(3, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(target.pixel(4, 0) & 0xFFFFFF, 0x80u); // outside the surface: untouched
    EXPECT_EQ(target.pixel(0, 3) & 0xFFFFFF, 0x80u);
}

} // namespace
