// The eye and the animation effects of a draw.
#include <climits>
#include <memory>

#include <gtest/gtest.h>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "render/couterplacement.h"
#include "render/cplacement.h"
#include "render/cscreen.h"
#include "settings/settings.h"
#include "tests/render/rendertestsupport.h"

namespace {

class ViewCompositionTest : public ::testing::Test {
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
        screen.SetSize(400, 300);
    }

    void Setup(int32_t time, bool withScene = true) {
        screen.SetupEffects(nullptr, nullptr, withScene ? scene.get() : nullptr, channel, frame,
                            time);
    }

    const CVector& Offset() const { return screen.camera.translation; }

    CScreen screen;
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    CFrame* frame = nullptr;
};

enum class Axis { X, Y, Z };

struct MotionCase {
    const char* name;
    void (*enable)(CChannel&, int32_t speed, int32_t frames);
    Axis axis;
    int32_t time;
    float expected;
};

void ScrollRight(CChannel& c, int32_t s, int32_t f) {
    c.scroll_right_flag = true, c.scroll_right_speed = s, c.scroll_right_frames = f;
}
void ScrollLeft(CChannel& c, int32_t s, int32_t f) {
    c.scroll_left_flag = true, c.scroll_left_speed = s, c.scroll_left_frames = f;
}
void ScrollUp(CChannel& c, int32_t s, int32_t f) {
    c.scroll_up_flag = true, c.scroll_up_speed = s, c.scroll_up_frames = f;
}
void ScrollDown(CChannel& c, int32_t s, int32_t f) {
    c.scroll_down_flag = true, c.scroll_down_speed = s, c.scroll_down_frames = f;
}
void ZoomIn(CChannel& c, int32_t s, int32_t f) {
    c.zoom_in_flag = true, c.zoom_in_speed = s, c.zoom_in_frames = f;
}
void ZoomOut(CChannel& c, int32_t s, int32_t f) {
    c.zoom_out_flag = true, c.zoom_out_speed = s, c.zoom_out_frames = f;
}
void BounceUpDown(CChannel& c, int32_t s, int32_t f) {
    c.bounce_up_down_flag = true, c.bounce_up_down_speed = s, c.bounce_up_down_frames = f;
}
void BounceLeftRight(CChannel& c, int32_t s, int32_t f) {
    c.bounce_left_right_flag = true, c.bounce_left_right_speed = s, c.bounce_left_right_frames = f;
}
void BounceInOut(CChannel& c, int32_t s, int32_t f) {
    c.bounce_in_out_flag = true, c.bounce_in_out_speed = s, c.bounce_in_out_frames = f;
}

float Component(const CVector& v, Axis axis) {
    return axis == Axis::X ? v.x : axis == Axis::Y ? v.y : v.z;
}

TEST_F(ViewCompositionTest, ScrollsZoomsAndBouncesFollowTheClock) {
    // Speed 100, frames 50 throughout: a period of 51 frames, amplitude (50 * 100) / 2 = 2500.
    const MotionCase cases[] = {
        {"scroll right at 0", ScrollRight, Axis::X, 0, 2500},
        {"scroll right at 25", ScrollRight, Axis::X, 25, 0},
        {"scroll right at 50", ScrollRight, Axis::X, 50, -2500},
        {"scroll right at 51 starts again", ScrollRight, Axis::X, 51, 2500},
        {"scroll right at -1", ScrollRight, Axis::X, -1, 2600},
        {"scroll left at 0", ScrollLeft, Axis::X, 0, -2500},
        {"scroll left at 50", ScrollLeft, Axis::X, 50, 2500},
        {"scroll up at 0", ScrollUp, Axis::Y, 0, 2500},
        {"scroll down at 0", ScrollDown, Axis::Y, 0, -2500},
        {"zoom in at 10", ZoomIn, Axis::Z, 10, 1500},
        {"zoom out at 10", ZoomOut, Axis::Z, 10, -1500},
        {"bounce up and down at 0", BounceUpDown, Axis::Y, 0, 2500},
        {"bounce up and down at 25", BounceUpDown, Axis::Y, 25, 0},
        {"bounce up and down at 50", BounceUpDown, Axis::Y, 50, -2500},
        {"bounce up and down at 51", BounceUpDown, Axis::Y, 51, -2500},
        {"bounce up and down at 76", BounceUpDown, Axis::Y, 76, 0},
        {"bounce up and down at 101", BounceUpDown, Axis::Y, 101, 2500},
        {"bounce up and down at 102 repeats", BounceUpDown, Axis::Y, 102, 2500},
        {"bounce left and right at 0", BounceLeftRight, Axis::X, 0, 2500},
        {"bounce in and out at 60", BounceInOut, Axis::Z, 60, -1600},
    };
    for (const MotionCase& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEffects(*channel);
        c.enable(*channel, 100, 50);
        Setup(c.time, false);
        EXPECT_FLOAT_EQ(Component(Offset(), c.axis), c.expected);
        for (Axis other : {Axis::X, Axis::Y, Axis::Z}) {
            if (other != c.axis) {
                EXPECT_FLOAT_EQ(Component(Offset(), other), 0.0f);
            }
        }
    }
}

TEST_F(ViewCompositionTest, ChannelAndSceneParametersAreSummed) {
    channel->scroll_right_flag = true;
    channel->scroll_right_speed = 60;
    channel->scroll_right_frames = 30;
    scene->scroll_right_flag = true;
    scene->scroll_right_speed = 40;
    scene->scroll_right_frames = 20;
    Setup(0);
    EXPECT_FLOAT_EQ(Offset().x, 2500.0f);
    // A flag on the scene alone still brings in the channel's parameters? No: only flagged
    // sources add to the sums.
    channel->scroll_right_flag = false;
    Setup(0);
    EXPECT_FLOAT_EQ(Offset().x, 400.0f); // (20 * 40) / 2
}

TEST_F(ViewCompositionTest, AFramesSumOfMinusOneContributesNothing) {
    ScrollRight(*channel, 100, -1);
    BounceUpDown(*channel, 100, -1);
    ZoomIn(*channel, 100, 0);
    scene->zoom_in_flag = true;
    scene->zoom_in_speed = 7;
    scene->zoom_in_frames = -1; // sums to frames -1 with the channel's 0
    Setup(37);
    EXPECT_FLOAT_EQ(Offset().x, 0.0f);
    EXPECT_FLOAT_EQ(Offset().y, 0.0f);
    EXPECT_FLOAT_EQ(Offset().z, 0.0f);
}

TEST_F(ViewCompositionTest, ExtremeSettingsWrapWithoutOverflowing) {
    for (int32_t v : {INT_MAX, INT_MIN, -2, INT_MAX / 2 + 1}) {
        SCOPED_TRACE(v);
        ClearEffects(*channel);
        ScrollRight(*channel, v, v);
        BounceInOut(*channel, v, v);
        BounceLeftRight(*channel, INT_MAX, v);
        channel->spin_x_flag = true;
        channel->spin_x_angle = v;
        scene->spin_x_flag = true;
        scene->spin_x_angle = v;
        channel->write_out_all_flag = true;
        channel->write_out_all_speed = v;
        channel->write_out_step = v;
        channel->colour_cycle_flag = true;
        channel->cycle_start = v;
        channel->colour_cycle_speed = v;
        scene->colour_cycle_flag = true;
        scene->cycle_start = v;
        scene->colour_cycle_speed = v;
        for (int32_t time : {0, 1, INT_MAX, INT_MIN, -1}) {
            Setup(time);
            EXPECT_LE(std::abs(static_cast<long long>(screen.writeOutCount)), (1LL << 31));
        }
    }
}

TEST_F(ViewCompositionTest, SpinIndicesAdvanceByTheAnglePerFrame) {
    struct Case {
        const char* name;
        int32_t angle;
        int32_t time;
        int index;
    };
    const Case cases[] = {
        {"time 0", 5, 0, 0},
        {"time 1", 5, 1, 113},
        {"time 73 wraps", 5, 73, 57},
        {"negative angle", -5, 1, 8192 - 113},
        {"negative time", 5, -2, 8192 - 226},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEffects(*channel);
        channel->spin_z_flag = true;
        channel->spin_z_angle = c.angle;
        Setup(c.time, false);
        CMatrix expected;
        BuildTransform(0, 0, 0, 0, 0, c.index, &expected);
        for (int i = 0; i < 9; ++i)
            EXPECT_FLOAT_EQ(screen.camera.rotation[i], expected.rotation[i]) << i;
    }
}

TEST_F(ViewCompositionTest, SpinsAboutEachAxisUseTheirOwnIndex) {
    channel->spin_x_flag = true;
    channel->spin_x_angle = 90; // 2048 steps per frame: a quarter turn
    scene->spin_y_flag = true;
    scene->spin_y_angle = 45;
    Setup(1);
    CMatrix expected;
    BuildTransform(0, 0, 0, 2048, 1024, 0, &expected);
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(screen.camera.rotation[i], expected.rotation[i]) << i;
}

struct FlipCase {
    const char* name;
    bool channelH, channelV, sceneH, sceneV, outerH, outerV;
    float d0, d4, d8; // expected diagonal
};

TEST_F(ViewCompositionTest, FlipsNegateTwoAxesAndCancelInPairs) {
    const FlipCase cases[] = {
        {"none", false, false, false, false, false, false, 1, 1, 1},
        {"channel horizontal", true, false, false, false, false, false, -1, 1, -1},
        {"channel vertical", false, true, false, false, false, false, 1, -1, -1},
        {"channel and scene horizontal cancel", true, false, true, false, false, false, 1, 1, 1},
        {"scene vertical", false, false, false, true, false, false, 1, -1, -1},
        {"horizontal and vertical", true, false, false, true, false, false, -1, -1, 1},
        {"outer cancels channel", false, true, false, false, false, true, 1, 1, 1},
        {"outer horizontal", false, false, false, false, true, false, -1, 1, -1},
    };
    for (const FlipCase& c : cases) {
        SCOPED_TRACE(c.name);
        channel->flip_horizontal_flag = c.channelH;
        channel->flip_vertical_flag = c.channelV;
        scene->flip_horizontal_flag = c.sceneH;
        scene->flip_vertical_flag = c.sceneV;
        COuterPlacement outer;
        MatrixIdentity(&outer.matrix);
        outer.flipHorizontal = c.outerH;
        outer.flipVertical = c.outerV;
        screen.SetupEffects(nullptr, &outer, scene.get(), channel, frame, 0);
        const float* r = screen.camera.rotation;
        EXPECT_EQ(r[0], c.d0);
        EXPECT_EQ(r[4], c.d4);
        EXPECT_EQ(r[8], c.d8);
        for (int i : {1, 2, 3, 5, 6, 7})
            EXPECT_EQ(r[i], 0.0f) << i;
    }
}

struct WriteOutCase {
    const char* name;
    bool all, first, last;
    bool atFirstFrame, atLastFrame;
    int32_t step;
    bool active, forward;
    int32_t count;
};

TEST_F(ViewCompositionTest, WriteOutPicksFirstThenLastThenAll) {
    // Speeds: all 3, first 5, last -7.
    const WriteOutCase cases[] = {
        {"nothing on", false, false, false, true, true, 1, false, true, 0},
        {"all with step 0", true, false, false, false, false, 0, true, true, 0},
        {"all with step 2", true, false, false, false, false, 2, true, true, 6},
        {"first wins on the first frame", true, true, true, true, true, 1, true, true, 5},
        {"first needs the first frame", true, true, false, false, true, 1, true, true, 3},
        {"last on the last frame runs backwards", true, false, true, false, true, 1, true, false,
         7},
        {"last needs the last frame", false, false, true, true, false, 1, false, true, 0},
    };
    CFrame* second = channel->AddFrame();
    CFrame* third = channel->AddFrame();
    for (const WriteOutCase& c : cases) {
        SCOPED_TRACE(c.name);
        channel->write_out_all_flag = c.all;
        channel->write_out_all_speed = 3;
        channel->write_out_first_flag = c.first;
        channel->write_out_first_speed = 5;
        channel->write_out_last_flag = c.last;
        channel->write_out_last_speed = -7;
        channel->write_out_step = c.step;
        // A channel of three frames showing the first, the last, a middle one, or (for first
        // and last at once) a channel of one frame.
        CFrame single(nullptr, nullptr);
        channel->current_frame = c.atFirstFrame && c.atLastFrame ? &single
                                 : c.atFirstFrame                ? frame
                                 : c.atLastFrame                 ? third
                                                                 : second;
        Setup(0, false);
        EXPECT_EQ(screen.writeOutActive, c.active);
        EXPECT_EQ(screen.writeOutForward, c.forward);
        EXPECT_EQ(screen.writeOutCount, c.count);
    }
    channel->current_frame = nullptr;
}

TEST_F(ViewCompositionTest, WriteOutCountIsClampedBeforeTheStep) {
    channel->write_out_all_flag = true;
    channel->write_out_all_speed = -100000;
    channel->write_out_step = 2;
    Setup(0, false);
    EXPECT_FALSE(screen.writeOutForward);
    EXPECT_EQ(screen.writeOutCount, 16384);
}

TEST_F(ViewCompositionTest, SceneWriteOutWithoutAChannelKeepsTheRawCount) {
    scene->write_out_all_flag = true;
    scene->write_out_all_speed = -9;
    screen.SetupEffects(nullptr, nullptr, scene.get(), nullptr, frame, 0);
    EXPECT_TRUE(screen.writeOutActive);
    EXPECT_TRUE(screen.writeOutForward);
    EXPECT_EQ(screen.writeOutCount, -9);
}

TEST_F(ViewCompositionTest, ColourCyclePhaseAndStepAreSummed) {
    struct Case {
        const char* name;
        bool channelOn, sceneOn;
        bool cycling;
        int32_t phase, step;
    };
    const Case cases[] = {
        {"neither", false, false, false, 0, 0},
        {"channel", true, false, true, 100, 7},
        {"scene", false, true, true, 50, 3},
        {"both", true, true, true, 150, 10},
    };
    channel->cycle_start = 100;
    channel->colour_cycle_speed = 7;
    scene->cycle_start = 50;
    scene->colour_cycle_speed = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        channel->colour_cycle_flag = c.channelOn;
        scene->colour_cycle_flag = c.sceneOn;
        Setup(0);
        EXPECT_EQ(screen.colourCycling, c.cycling);
        EXPECT_EQ(screen.cyclePhase, c.phase);
        EXPECT_EQ(screen.cycleStep, c.step);
    }
}

TEST_F(ViewCompositionTest, DefaultViewLooksAtTheModelPlaneFrom3900Units) {
    Setup(0);
    screen.ComposeView(nullptr, nullptr, scene.get(), channel, frame);
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(screen.view.rotation[i], identity[i]) << i;
    EXPECT_FLOAT_EQ(screen.view.translation.x, 0.0f);
    EXPECT_FLOAT_EQ(screen.view.translation.y, 0.0f);
    EXPECT_FLOAT_EQ(screen.view.translation.z, 3900.0f);
}

TEST_F(ViewCompositionTest, PlacementsApplyInOrderAndNotInBeamMode) {
    CPlacement placement;
    BuildTransform(10, 0, 0, 0, 0, 0, &placement.matrix);
    COuterPlacement outer;
    BuildTransform(0, 20, 0, 0, 0, 0, &outer.matrix);
    BuildTransform(0, 0, 300, 0, 0, 0, &scene->transform);
    BuildTransform(1, 2, 3, 0, 0, 0, &frame->transform);
    screen.SetupEffects(&placement, &outer, scene.get(), channel, frame, 0);
    screen.ComposeView(&placement, &outer, scene.get(), channel, frame);
    EXPECT_FLOAT_EQ(screen.camera.translation.x, 11.0f);
    EXPECT_FLOAT_EQ(screen.camera.translation.y, 22.0f);
    EXPECT_FLOAT_EQ(screen.camera.translation.z, 3.0f - 3900.0f + 300.0f);

    channel->type = 2;
    screen.SetupEffects(&placement, &outer, scene.get(), channel, frame, 0);
    screen.ComposeView(&placement, &outer, scene.get(), channel, frame);
    EXPECT_FLOAT_EQ(screen.camera.translation.x, 1.0f);
    EXPECT_FLOAT_EQ(screen.camera.translation.y, 2.0f);
    EXPECT_FLOAT_EQ(screen.camera.translation.z, 3.0f - 3900.0f);
}

TEST_F(ViewCompositionTest, RotatedCameraTurnsTheEffectOffsets) {
    // With a vertical flip the Y axis is reversed, so a scroll up moves the other way.
    channel->flip_vertical_flag = true;
    ScrollUp(*channel, 100, 50);
    Setup(0, false);
    EXPECT_FLOAT_EQ(Offset().y, -2500.0f);
}

} // namespace
