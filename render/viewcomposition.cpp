// CScreen: the eye and the animation effects of one draw.
#include <algorithm>
#include <cstdlib>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "render/couterplacement.h"
#include "render/cplacement.h"
#include "render/cscreen.h"

namespace {

// The effect parameters come from the settings file unchecked, so any int32 may turn up. The
// show software computes in wrapping 32-bit arithmetic; these helpers do the same without the
// undefined behaviour of signed overflow.
int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}
int32_t Add(int32_t a, int32_t b) {
    return Wrap(static_cast<int64_t>(a) + b);
}
int32_t Mul(int32_t a, int32_t b) {
    return Wrap(static_cast<int64_t>(a) * b);
}
// Remainder with the sign of the dividend; false for a zero divisor, whose effect is then left
// out of the draw (a frames value of -1 makes a period of zero).
bool Mod(int32_t a, int32_t b, int32_t* out) {
    if (b == 0)
        return false;
    *out = b == -1 ? 0 : a % b;
    return true;
}

struct Effect {
    bool on = false;
    int32_t speed = 0;
    int32_t frames = 0;

    void Add(bool flag, int32_t addSpeed, int32_t addFrames) {
        if (!flag)
            return;
        on = true;
        speed = ::Add(speed, addSpeed);
        frames = ::Add(frames, addFrames);
    }

    // (time mod (F + 1)) * S - (F * S) / 2, or 0 when off or the period is zero.
    [[nodiscard]] int32_t Sawtooth(int32_t time) const {
        int32_t phase = 0;
        if (!on || !Mod(time, ::Add(frames, 1), &phase))
            return 0;
        return Wrap(static_cast<int64_t>(Mul(phase, speed)) - Mul(frames, speed) / 2);
    }

    // The sawtooth, running down in the first half of the period 2F + 2 and up in the second.
    [[nodiscard]] int32_t Triangle(int32_t time) const {
        int32_t half = 0;
        if (!on || !Mod(time, Mul(2, ::Add(frames, 1)), &half))
            return 0;
        const int32_t saw = Sawtooth(time);
        return half > frames ? saw : Wrap(-static_cast<int64_t>(saw));
    }
};

struct Effects {
    bool flipH = false;
    bool flipV = false;
    Effect spinX, spinY, spinZ;
    Effect scrollRight, scrollLeft, scrollUp, scrollDown;
    Effect zoomIn, zoomOut;
    Effect bounceUpDown, bounceLeftRight, bounceInOut;
    Effect writeOutAll, writeOutFirst, writeOutLast;
};

// Channels and scenes carry the effect settings under the same member names.
template <class Owner> void Collect(const Owner& owner, const CFrame* currentFrame, Effects* e) {
    if (owner.flip_horizontal_flag)
        e->flipH = !e->flipH;
    if (owner.flip_vertical_flag)
        e->flipV = !e->flipV;
    e->spinX.Add(owner.spin_x_flag, owner.spin_x_angle, 0);
    e->spinY.Add(owner.spin_y_flag, owner.spin_y_angle, 0);
    e->spinZ.Add(owner.spin_z_flag, owner.spin_z_angle, 0);
    e->scrollRight.Add(owner.scroll_right_flag, owner.scroll_right_speed,
                       owner.scroll_right_frames);
    e->scrollLeft.Add(owner.scroll_left_flag, owner.scroll_left_speed, owner.scroll_left_frames);
    e->scrollUp.Add(owner.scroll_up_flag, owner.scroll_up_speed, owner.scroll_up_frames);
    e->scrollDown.Add(owner.scroll_down_flag, owner.scroll_down_speed, owner.scroll_down_frames);
    e->zoomIn.Add(owner.zoom_in_flag, owner.zoom_in_speed, owner.zoom_in_frames);
    e->zoomOut.Add(owner.zoom_out_flag, owner.zoom_out_speed, owner.zoom_out_frames);
    e->bounceUpDown.Add(owner.bounce_up_down_flag, owner.bounce_up_down_speed,
                        owner.bounce_up_down_frames);
    e->bounceLeftRight.Add(owner.bounce_left_right_flag, owner.bounce_left_right_speed,
                           owner.bounce_left_right_frames);
    e->bounceInOut.Add(owner.bounce_in_out_flag, owner.bounce_in_out_speed,
                       owner.bounce_in_out_frames);
    e->writeOutAll.Add(owner.write_out_all_flag, owner.write_out_all_speed, 0);
    // Writing out the first or last frame only applies while the channel shows that frame.
    const bool atFirst = currentFrame != nullptr && currentFrame->prev == nullptr;
    const bool atLast = currentFrame != nullptr && currentFrame->next == nullptr;
    e->writeOutFirst.Add(owner.write_out_first_flag && atFirst, owner.write_out_first_speed, 0);
    e->writeOutLast.Add(owner.write_out_last_flag && atLast, owner.write_out_last_speed, 0);
}

// A spin's table index at the given time: the angle sum in degrees per frame, turned into table
// steps, times the clock, reduced into 0-8191.
int SpinIndex(const Effect& spin, int32_t time) {
    if (!spin.on)
        return 0;
    const int32_t step = Mul(spin.speed, AngleTableSize) / 360;
    int32_t index = Mul(time, step) % AngleTableSize;
    if (index < 0)
        index += AngleTableSize;
    return index;
}

} // namespace

void CScreen::SetupEffects(const CPlacement* /*placement*/, const COuterPlacement* outerPlacement,
                           CScene* scene, CChannel* channel, CFrame* /*frame*/, int32_t time) {
    Effects e;
    const CFrame* currentFrame = channel != nullptr ? channel->current_frame : nullptr;
    if (channel != nullptr)
        Collect(*channel, currentFrame, &e);
    if (scene != nullptr)
        Collect(*scene, currentFrame, &e);
    const bool flipH2 = outerPlacement != nullptr && outerPlacement->flipHorizontal;
    const bool flipV2 = outerPlacement != nullptr && outerPlacement->flipVertical;

    MatrixIdentity(&camera);
    if (e.flipH)
        FlipHorizontal(&camera);
    if (e.flipV)
        FlipVertical(&camera);
    if (flipH2)
        FlipHorizontal(&camera);
    if (flipV2)
        FlipVertical(&camera);

    CMatrix spin;
    BuildTransform(0.0f, 0.0f, 0.0f, SpinIndex(e.spinX, time), SpinIndex(e.spinY, time),
                   SpinIndex(e.spinZ, time), &spin);
    RotationPremultiply(&spin, &camera);

    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float offsetZ = 0.0f;
    offsetX -= static_cast<float>(e.scrollRight.Sawtooth(time));
    offsetX += static_cast<float>(e.scrollLeft.Sawtooth(time));
    offsetY -= static_cast<float>(e.scrollUp.Sawtooth(time));
    offsetY += static_cast<float>(e.scrollDown.Sawtooth(time));
    offsetZ -= static_cast<float>(e.zoomIn.Sawtooth(time));
    offsetZ += static_cast<float>(e.zoomOut.Sawtooth(time));
    offsetY += static_cast<float>(e.bounceUpDown.Triangle(time));
    offsetX += static_cast<float>(e.bounceLeftRight.Triangle(time));
    offsetZ += static_cast<float>(e.bounceInOut.Triangle(time));
    MatrixTranslateLocal(offsetX, offsetY, offsetZ, &camera);

    writeOutActive = false;
    writeOutForward = true;
    writeOutCount = 0;
    for (const Effect* writeOut : {&e.writeOutFirst, &e.writeOutLast, &e.writeOutAll}) {
        if (writeOut->on) {
            writeOutActive = true;
            writeOutCount = writeOut->speed;
            break;
        }
    }
    writeOutCount = std::clamp(writeOutCount, -8192, 8192);
    if (channel != nullptr) {
        writeOutForward = writeOutCount >= 0;
        writeOutCount = Mul(std::abs(writeOutCount), channel->write_out_step);
    }

    colourCycling = false;
    cyclePhase = 0;
    cycleStep = 0;
    if (channel != nullptr && channel->colour_cycle_flag) {
        colourCycling = true;
        cyclePhase = channel->cycle_start;
        cycleStep = channel->colour_cycle_speed;
    }
    if (scene != nullptr && scene->colour_cycle_flag) {
        colourCycling = true;
        cyclePhase = Add(cyclePhase, scene->cycle_start);
        cycleStep = Add(cycleStep, scene->colour_cycle_speed);
    }
}

void CScreen::ComposeView(const CPlacement* placement, const COuterPlacement* outerPlacement,
                          CScene* scene, CChannel* channel, CFrame* frame) {
    // A beam channel is drawn from the projector's own position, so the placements around the
    // channel do not move it.
    const bool beamMode = channel != nullptr && channel->type == 2;
    if (placement != nullptr && !beamMode)
        MatrixPremultiply(&placement->matrix, &camera);
    if (frame != nullptr)
        MatrixPremultiply(&frame->transform, &camera);
    if (channel != nullptr)
        MatrixPremultiply(&channel->transform, &camera);
    if (scene != nullptr && !beamMode)
        MatrixPremultiply(&scene->transform, &camera);
    if (outerPlacement != nullptr && !beamMode)
        MatrixPremultiply(&outerPlacement->matrix, &camera);
    MatrixInvertRigid(&camera, &view);
}
