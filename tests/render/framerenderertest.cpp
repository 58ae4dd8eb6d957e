// Drawing frames: transform, culling, clipping, projection, beams, labels and the write-out cut.
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include <gtest/gtest.h>
#include <QImage>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "render/cscreen.h"
#include "render/drawbuffers.h"
#include "settings/settings.h"
#include "tests/render/rendertestsupport.h"

namespace {

// A scene with one channel and one frame holding one empty thing, the way a loaded ILDA file
// looks, with every effect off.
class FrameRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillAngleTables();
        scene = std::make_unique<CScene>(DefaultSettings());
        channel = scene->AddChannel();
        ASSERT_NE(channel, nullptr);
        ClearEffects(*scene);
        ClearEffects(*channel);
        frame = channel->AddFrame();
        ASSERT_NE(frame, nullptr);
        thing = frame->AddThing();
        ASSERT_NE(thing, nullptr);
        Resize(400, 300);
    }

    void Resize(int w, int h) { screen.SetSize(w, h); }

    void Render(CFrame* f = nullptr, bool withChannel = true) {
        screen.BeginDraw();
        screen.Clear(0);
        screen.RenderFrame(nullptr, nullptr, nullptr, withChannel ? channel : nullptr,
                           f != nullptr ? f : frame, 0);
    }

    CVector* Point(float x, float y, float z = 0.0f, uint32_t colour = 0xFFFFFF) {
        return thing->AddVertex(x, y, z, colour, 0);
    }

    CPoly* Poly(std::initializer_list<std::array<float, 3>> points) {
        CPoly* poly = thing->AddPoly();
        for (const auto& p : points)
            (void)poly->AddVertex(p[0], p[1], p[2], 0xFFFFFF, 0);
        poly->UpdatePlane();
        return poly;
    }

    CScreen screen;
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    CFrame* frame = nullptr;
    CThing* thing = nullptr;
};

TEST_F(FrameRendererTest, OriginProjectsToTheCentreAndTheXExtentAsTheLensSays) {
    Point(0, 0);
    Point(2048, 0);
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_EQ(SegmentBuffer[0].start.x, 200);
    EXPECT_EQ(SegmentBuffer[0].start.y, 150);
    const double expected = 200 + 2048 * screen.focal * 0.75 / 3900 * 199;
    EXPECT_NEAR(expected, 343.47, 0.01);
    EXPECT_EQ(SegmentBuffer[0].end.x, static_cast<int>(expected));
    EXPECT_EQ(SegmentBuffer[0].end.y, 150);
    // The view of a default channel moves the model plane 3900 units in front of the eye.
    EXPECT_FLOAT_EQ(screen.view.translation.z, 3900.0f);
    EXPECT_FLOAT_EQ(screen.camera.translation.z, -3900.0f);
}

TEST_F(FrameRendererTest, YGrowsUpwardsOnTheScreen) {
    Point(0, 0);
    Point(0, 1000);
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_GT(SegmentBuffer[0].end.y, 150);
    screen.EndDraw(false);
    // The upper end lies in the upper half of the picture, i.e. near the top of the image.
    EXPECT_NE(screen.Image()->pixel(200, 300 - 1 - SegmentBuffer[0].end.y) & 0xFFFFFF, 0u);
}

struct PolyCase {
    const char* name;
    std::vector<std::array<float, 3>> points;
    bool twoSided;
    int segments;
    int dots;
};

TEST_F(FrameRendererTest, PolysFacingAwayAreCulledUnlessTwoSided) {
    const PolyCase cases[] = {
        // The eye sits at z = -3900; a normal pointing there faces it.
        {"facing the eye", {{0, 0, 0}, {0, 500, 0}, {500, 0, 0}}, false, 3, 3},
        {"facing away", {{0, 0, 0}, {500, 0, 0}, {0, 500, 0}}, false, 0, 0},
        {"facing away but two-sided", {{0, 0, 0}, {500, 0, 0}, {0, 500, 0}}, true, 3, 3},
        {"square closes its outline",
         {{0, 0, 0}, {0, 500, 0}, {500, 500, 0}, {500, 0, 0}},
         false,
         4,
         4},
        {"two points never draw", {{0, 0, 0}, {500, 0, 0}}, true, 0, 0},
        {"collinear points: zero normal, not culled",
         {{0, 0, 0}, {100, 0, 0}, {200, 0, 0}},
         false,
         3,
         3},
    };
    for (const PolyCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFrame local(nullptr, nullptr);
        CThing* t = local.AddThing();
        CPoly* poly = t->AddPoly();
        for (const auto& p : c.points)
            (void)poly->AddVertex(p[0], p[1], p[2], 0xFFFFFF, 0);
        poly->UpdatePlane();
        poly->two_sided = c.twoSided ? 1 : 0;
        Render(&local);
        EXPECT_EQ(screen.segmentCount, c.segments);
        EXPECT_EQ(screen.dotCount, c.dots);
    }
}

TEST_F(FrameRendererTest, PolyOutlineRunsFromTheLastPointBackToTheFirst) {
    Poly({{0, 0, 0}, {0, 500, 0}, {500, 0, 0}});
    Render();
    ASSERT_EQ(screen.segmentCount, 3);
    EXPECT_EQ(SegmentBuffer[2].end.x, SegmentBuffer[0].start.x);
    EXPECT_EQ(SegmentBuffer[2].end.y, SegmentBuffer[0].start.y);
    EXPECT_EQ(SegmentBuffer[0].end.x, SegmentBuffer[1].start.x);
}

struct PolylineCase {
    const char* name;
    int points;
    int segments;
    int dots;
};

TEST_F(FrameRendererTest, PolylineOfNPointsAddsNMinusOneSegmentsAndNDots) {
    const PolylineCase cases[] = {
        {"one point", 1, 0, 0},
        {"two points", 2, 1, 2},
        {"five points", 5, 4, 5},
    };
    for (const PolylineCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFrame local(nullptr, nullptr);
        CThing* t = local.AddThing();
        for (int i = 0; i < c.points; ++i)
            (void)t->AddVertex(100.0f * i, 50.0f * i, 0, 0xFFFFFF, 0);
        Render(&local);
        EXPECT_EQ(screen.segmentCount, c.segments);
        EXPECT_EQ(screen.dotCount, c.dots);
    }
}

TEST_F(FrameRendererTest, EdgeWhollyBeyondTheRightBoundaryAddsNothing) {
    Point(5000, 0);
    Point(6000, 100);
    Render();
    EXPECT_EQ(screen.segmentCount, 0);
    EXPECT_EQ(screen.dotCount, 0);
}

TEST_F(FrameRendererTest, EdgeLeavingTheViewIsCutAtTheRightEdge) {
    CVector* centre = Point(0, 0);
    Point(5000, 0);
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_EQ(SegmentBuffer[0].start.x, 200);
    // The right boundary projects to centreX + halfExtentX = 399, the last column.
    EXPECT_GE(SegmentBuffer[0].end.x, 398);
    EXPECT_LE(SegmentBuffer[0].end.x, 399);
    EXPECT_EQ(SegmentBuffer[0].end.y, 150);
    ASSERT_EQ(screen.dotCount, 1);
    EXPECT_EQ(DotBuffer[0].source, centre);
}

TEST_F(FrameRendererTest, EdgeCrossingTheNearPlaneIsCutAtDepthOne) {
    Point(0, 0, 0);
    CVector* behind = Point(0, 0, -5000); // 1100 units behind the eye
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    // After projection view_z holds 1 / depth.
    EXPECT_NEAR(behind->view_z, 1.0f, 1e-4f);
    EXPECT_EQ(screen.dotCount, 1);
}

TEST_F(FrameRendererTest, ClipToBoundaryMovesThePointOntoEachPlane) {
    struct Case {
        const char* name;
        uint32_t bit;
        CVector p, q;
    };
    auto eye = [](float x, float y, float z) {
        CVector v;
        v.view_x = x;
        v.view_y = y;
        v.view_z = z;
        return v;
    };
    const Case cases[] = {
        {"near", 1, eye(0, 0, -10), eye(0, 0, 10)},  {"far", 2, eye(0, 0, 200000), eye(0, 0, 100)},
        {"left", 4, eye(-50, 0, 10), eye(0, 0, 10)}, {"right", 8, eye(50, 0, 10), eye(0, 0, 10)},
        {"top", 16, eye(0, 50, 10), eye(0, 0, 10)},  {"bottom", 32, eye(0, -50, 10), eye(0, 0, 10)},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        screen.ComputeOutcode(&c.p);
        ASSERT_NE(c.p.clip_flags & c.bit, 0u);
        screen.ClipToBoundary(&c.p, &c.q, c.bit);
        // On the boundary within rounding (the far plane's float spacing is 1/128).
        switch (c.bit) {
        case 1:
            EXPECT_NEAR(c.p.view_z, 1.0f, 1e-5f);
            break;
        case 2:
            EXPECT_NEAR(c.p.view_z, 131072.0f, 0.05f);
            break;
        case 4:
            EXPECT_NEAR(c.p.view_x, -10.0f, 1e-4f);
            break;
        case 8:
            EXPECT_NEAR(c.p.view_x, 10.0f, 1e-4f);
            break;
        case 16:
            EXPECT_NEAR(c.p.view_y, 10.0f, 1e-4f);
            break;
        case 32:
            EXPECT_NEAR(c.p.view_y, -10.0f, 1e-4f);
            break;
        }
        EXPECT_EQ(c.p.clip_flags & ~c.bit, 0u);
    }
}

TEST_F(FrameRendererTest, OutcodesAreStrictAndANanDepthIsNear) {
    struct Case {
        const char* name;
        float x, y, z;
        uint32_t code;
    };
    const Case cases[] = {
        {"on every side boundary", 10, 10, 10, 0},
        {"on the near plane", 0, 0, 1, 0},
        {"just in front", 0, 0, 0.999f, 1},
        {"beyond far", 0, 0, 131073, 2},
        {"left and bottom", -11, -11, 10, 4 | 32},
        {"right and top", 11, 11, 10, 8 | 16},
        {"nan depth", 0, 0, NAN, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVector p;
        p.view_x = c.x;
        p.view_y = c.y;
        p.view_z = c.z;
        screen.ComputeOutcode(&p);
        EXPECT_EQ(p.clip_flags, c.code);
    }
}

TEST_F(FrameRendererTest, RenderingNeverChangesTheModelCoordinates) {
    CVector* a = Point(0, 0, 0);
    CVector* b = Point(5000, 0, -5000);
    Render();
    Render();
    EXPECT_EQ(a->x, 0.0f);
    EXPECT_EQ(b->x, 5000.0f);
    EXPECT_EQ(b->z, -5000.0f);
}

TEST_F(FrameRendererTest, BeamChannelDrawsRaysFromTheBottomMiddle) {
    channel->type = 2;
    Resize(261, 280);
    Point(-1000, 1000);
    Point(0, 1500);
    Point(1000, 1000);
    Render();
    ASSERT_EQ(screen.segmentCount, 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SegmentBuffer[i].start.x, 130);
        EXPECT_EQ(SegmentBuffer[i].start.y, 0);
    }
    EXPECT_GT(SegmentBuffer[1].end.x, SegmentBuffer[0].end.x);
    screen.EndDraw(false);
    EXPECT_NE(PixelAt(screen, 130, 0), 0u);
}

TEST_F(FrameRendererTest, BeamModeIgnoresTheScenesTransform) {
    BuildTransform(500, 0, 0, 0, 0, 0, &scene->transform);
    Point(0, 0);
    Point(0, 100);
    screen.BeginDraw();
    screen.RenderFrame(nullptr, nullptr, scene.get(), channel, frame, 0);
    const int normalEnd = SegmentBuffer[0].end.x;
    channel->type = 2;
    screen.BeginDraw();
    screen.RenderFrame(nullptr, nullptr, scene.get(), channel, frame, 0);
    EXPECT_EQ(SegmentBuffer[0].end.x, 200);
    // The scene's placement places the eye, so its offset moves the picture the other way.
    EXPECT_LT(normalEnd, 200);
}

bool AnyWhiteIn(const QImage& image, QRect area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                return true;
    return false;
}

TEST_F(FrameRendererTest, BeamTableChannelIsLabelledEvenWithoutAFrame) {
    EnsureGuiApplication();
    Resize(260, 280);
    channel->type = 3;
    screen.BeginDraw();
    screen.Clear(0);
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, nullptr, 0);
    EXPECT_EQ(screen.segmentCount, 0);
    const QImage& image = *screen.Image();
    // "Beam" starts at (114, 124) and "Table" 16 rows lower, rows counted from the top.
    EXPECT_TRUE(AnyWhiteIn(image, QRect(114, 124, 60, 16)));
    EXPECT_TRUE(AnyWhiteIn(image, QRect(114, 140, 60, 16)));
    // Nothing left of or above the text, and no background box behind it.
    EXPECT_FALSE(AnyWhiteIn(image, QRect(0, 0, 260, 120)));
    EXPECT_FALSE(AnyWhiteIn(image, QRect(0, 0, 112, 280)));
    int lit = 0;
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            lit += p != 0;
            white += p == 0xFFFFFF;
        }
    EXPECT_GT(white, 20);
    EXPECT_LT(lit, 60 * 32);
}

TEST_F(FrameRendererTest, LabelsAndSegmentsLandInTheSamePictureWhileACopyIsHeld) {
    EnsureGuiApplication();
    Resize(260, 280);
    channel->type = 3;
    Point(-1000, -1000);
    Point(1000, -1000);
    screen.BeginDraw();
    screen.Clear(0);
    const QImage before = *screen.Image(); // shares the pixels until someone writes
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, frame, 0);
    screen.EndDraw(false);
    const QImage& image = *screen.Image();
    EXPECT_TRUE(AnyWhiteIn(image, QRect(114, 124, 60, 32)));
    ASSERT_EQ(screen.segmentCount, 1);
    const int row = 280 - 1 - SegmentBuffer[0].start.y;
    EXPECT_NE(image.pixel(130, row) & 0xFFFFFF, 0u);
    EXPECT_EQ(before.pixel(130, row) & 0xFFFFFF, 0u);
}

TEST_F(FrameRendererTest, LabelsNeedABeamTableChannel) {
    EnsureGuiApplication();
    Resize(260, 280);
    for (int type : {0, 1, 2}) {
        SCOPED_TRACE(type);
        channel->type = type;
        screen.BeginDraw();
        screen.Clear(0);
        screen.RenderFrame(nullptr, nullptr, nullptr, channel, nullptr, 0);
        EXPECT_TRUE(LitPixels(screen).empty());
    }
}

TEST_F(FrameRendererTest, ColourCyclingWalksTheTableSkippingBlackPoints) {
    channel->colour_cycle_flag = true;
    channel->colour_cycle_speed = 256; // one table entry per coloured point
    channel->cycle_start = 0;
    Point(0, 0, 0, 0x0000FF);
    CVector* dark = Point(100, 0, 0, 0x000000);
    Point(200, 0, 0, 0x0000FF);
    Render();
    ASSERT_EQ(screen.segmentCount, 2);
    // Calls in order: first point (red, phase 0), the black one (0, phase stays), the third as
    // look-ahead (green), the third again as the end of the last edge (blue).
    EXPECT_EQ(SegmentBuffer[0].start.colour, 0x0000FFu);
    EXPECT_EQ(SegmentBuffer[0].end.colour, 0u);
    EXPECT_EQ(SegmentBuffer[1].start.colour, 0u);
    EXPECT_EQ(SegmentBuffer[1].end.colour, 0xFF0000u);
    EXPECT_EQ(dark->cycle_colour, 0u);
    EXPECT_EQ(screen.cyclePhase, 3 * 256);
    EXPECT_FALSE(screen.colourCycling); // switched off once the frame is drawn
}

TEST_F(FrameRendererTest, ColourCyclingStartsAtTheChannelsPhase) {
    channel->colour_cycle_flag = true;
    channel->colour_cycle_speed = 0;
    channel->cycle_start = 7 << 8;
    Point(0, 0, 0, 0x0000FF);
    Point(100, 0, 0, 0x0000FF);
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_EQ(SegmentBuffer[0].end.colour, 0x00C0FFu); // orange
}

TEST_F(FrameRendererTest, WithoutCyclingSegmentsKeepThePointColours) {
    Point(0, 0, 0, 0x112233);
    Point(100, 0, 0, 0x445566);
    Render();
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_EQ(SegmentBuffer[0].start.colour, 0x112233u);
    EXPECT_EQ(SegmentBuffer[0].end.colour, 0x445566u);
}

struct WriteOutCase {
    const char* name;
    bool flag;
    int32_t speed;
    int32_t step;
    int32_t segments;   // drawn segments after the cut
    int32_t firstIndex; // index of firstSegment in the buffer
    bool busyAfter;
};

TEST_F(FrameRendererTest, WriteOutCutsTheSegmentListWhileBusy) {
    const WriteOutCase cases[] = {
        {"forward shows the first segments", true, 2, 1, 2, 0, true},
        {"forward covering all ends the write-out", true, 4, 1, 4, 0, false},
        {"backward hides the first segments", true, -3, 1, 1, 3, true},
        {"backward covering all hides everything", true, -4, 1, 0, 0, false},
        {"step scales the count", true, 1, 3, 3, 0, true},
        {"step 0 shows nothing yet", true, 5, 0, 0, 0, true},
        {"no write-out effect clears the flag", false, 2, 1, 4, 0, false},
    };
    for (int i = 0; i < 5; ++i)
        Point(100.0f * i, 0);
    for (const WriteOutCase& c : cases) {
        SCOPED_TRACE(c.name);
        channel->write_out_all_flag = c.flag;
        channel->write_out_all_speed = c.speed;
        channel->write_out_step = c.step;
        channel->write_out_busy = 1;
        Render();
        EXPECT_EQ(screen.segmentCount, c.segments);
        EXPECT_EQ(screen.firstSegment - SegmentBuffer, c.firstIndex);
        EXPECT_EQ(channel->write_out_busy != 0, c.busyAfter);
    }
}

TEST_F(FrameRendererTest, WriteOutIsIgnoredWhenNotBusy) {
    channel->write_out_all_flag = true;
    channel->write_out_all_speed = 1;
    channel->write_out_step = 1;
    Point(0, 0);
    Point(100, 0);
    Point(200, 0);
    Render();
    EXPECT_EQ(screen.segmentCount, 2);
}

TEST_F(FrameRendererTest, FullSegmentBufferDropsTheRestOfTheFrame) {
    for (int i = 0; i < 5000; ++i)
        Point(static_cast<float>(i % 100) * 10.0f, static_cast<float>(i % 7) * 100.0f);
    Render();
    EXPECT_EQ(screen.segmentCount, kMaxSegments);
    EXPECT_EQ(screen.dotCount, kDotBufferSize);
    screen.EndDraw(true);
}

TEST_F(FrameRendererTest, WithoutAFrameNothingChanges) {
    channel->write_out_busy = 1;
    screen.BeginDraw();
    screen.Clear(0);
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, nullptr, 0);
    screen.RenderFrame(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(screen.segmentCount, 0);
    EXPECT_EQ(channel->write_out_busy, 1);
}

TEST_F(FrameRendererTest, FrameWithoutChannelUsesOnlyTheFramesPlacement) {
    Point(0, 0, 3900);
    Point(100, 0, 3900);
    screen.BeginDraw();
    screen.RenderFrame(nullptr, nullptr, nullptr, nullptr, frame, 0);
    ASSERT_EQ(screen.segmentCount, 1);
    EXPECT_EQ(SegmentBuffer[0].start.x, 200);
}

// Coordinates the model can hold but no projector could: the picture may show anything for
// them, but no write may leave the bitmap and no conversion may overflow.
TEST_F(FrameRendererTest, NonFiniteAndHugeCoordinatesStayInsideTheBitmap) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float big = std::numeric_limits<float>::max();
    const float values[] = {0.0f,     1000.0f, -1000.0f, 5000.0f, -3899.0f, -3900.0f,
                            -3901.0f, 1e20f,   -1e20f,   1e30f,   big,      -big,
                            inf,      -inf,    nan,      1e-30f};
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, std::size(values) - 1);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        CFrame local(nullptr, nullptr);
        CThing* t = local.AddThing();
        for (int i = 0; i < 200; ++i)
            (void)t->AddVertex(values[pick(random)], values[pick(random)], values[pick(random)],
                               0xFFFFFF, 0);
        CPoly* poly = t->AddPoly();
        for (int i = 0; i < 30; ++i)
            (void)poly->AddVertex(values[pick(random)], values[pick(random)], values[pick(random)],
                                  0xFFFFFF, 0);
        poly->UpdatePlane();
        poly->two_sided = 1;
        for (auto [w, h] : {std::pair{260, 280}, std::pair{3, 2}}) {
            Resize(w, h);
            Render(&local);
            for (int i = 0; i < screen.segmentCount; ++i) {
                const CSegment& s = screen.firstSegment[i];
                ASSERT_TRUE(s.start.x >= 0 && s.start.x < w && s.start.y >= 0 && s.start.y < h);
                ASSERT_TRUE(s.end.x >= 0 && s.end.x < w && s.end.y >= 0 && s.end.y < h);
            }
            screen.EndDraw(true);
        }
    }
}

TEST_F(FrameRendererTest, NanPointDropsItsEdgesButNotTheOthers) {
    Point(0, 0);
    Point(100, 0);
    Point(NAN, 0);
    Point(200, 0);
    Point(300, 0);
    Render();
    EXPECT_EQ(screen.segmentCount, 2);
    screen.EndDraw(false);
}

} // namespace
