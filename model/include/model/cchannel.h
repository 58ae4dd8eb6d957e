#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "model/cbeam.h"
#include "model/cframe.h"
#include "model/cmatrix.h"

struct TSettings;

// One channel of a scene: its frames, its beam table and the show software's playback
// settings. A new channel takes the [CHANNEL] settings and COLOURS.selected from the settings
// record handed to it (settings/settings.h); the angle tables must be filled (model/geometry.h).
// Owns its frames, spare frames, beams and work frame.
//
// Members that mirror settings keys carry the key names. The members from `param_1` to
// `text_float_3` belong to the show software: this system constructs, stores and frees them.
class CChannel {
public:
    // Beam table, in list order; created here only by the scene reader.
    std::vector<std::unique_ptr<CBeam>> beams;
    // The fields of the channel record up to its transform, in file order: the [CHANNEL]
    // settings, COLOURS.selected and the fixed values (settings/animationfields.def).
#define CHANNEL_SETTING(type, name, defaultText, since) type name{};
#define CHANNEL_BORROWED(type, name, group, key, since) type name{};
#define CHANNEL_FIXED(type, name, value, since) std::type_identity_t<type> name{value};
#include "settings/animationfields.def"
    // Identity rotation, translation (0, 0, -3900): in front of the preview's eye.
    CMatrix transform;
    // Start phase of colour cycling, read by the renderer.
    int32_t cycle_start = 0;
    // Read by the renderer; never set in this system.
    CFrame* current_frame = nullptr;
    // Write-out effect state, read (and `write_out_busy` cleared) by the renderer.
    int32_t write_out_step = 0;
    uint8_t write_out_busy = 0;
    // Chain links (see model/chain.h).
    int32_t index = 0;
    CChannel* next = nullptr;
    CChannel* prev = nullptr;
    CChannel** first_slot = nullptr;
    CChannel** last_slot = nullptr;
    CFrame* first_frame = nullptr;
    CFrame* last_frame = nullptr;
    // A second frame list that nothing in this system fills; destroyed with the channel.
    CFrame* first_spare_frame = nullptr;
    CFrame* last_spare_frame = nullptr;
    // Outside any list; nothing in this system fills or reads it.
    CFrame work_frame{nullptr, nullptr};

    // Appends the new channel to the list through the slots (either may be null).
    CChannel(const TSettings& settings, CChannel** first, CChannel** last);
    CChannel(const CChannel&) = delete;
    CChannel& operator=(const CChannel&) = delete;
    // Destroys the frames (last to first), the beams (highest position down), the spare
    // frames, then unlinks the channel.
    ~CChannel();

    // Appends an empty frame and returns it. The Add operations never return null: when
    // memory runs out they throw std::bad_alloc and leave the list unchanged.
    [[nodiscard]] CFrame* AddFrame();
    // Appends a beam with its default values and returns it.
    [[nodiscard]] CBeam* AddBeam();

    [[nodiscard]] CFrame* FirstFrame() const {
        return first_frame;
    }
    [[nodiscard]] CFrame* LastFrame() const {
        return last_frame;
    }
    [[nodiscard]] int32_t FrameCount() const {
        return last_frame ? last_frame->index : 0;
    }
    [[nodiscard]] CChannel* Next(bool wrap);
    [[nodiscard]] int32_t Index() const {
        return index;
    }
};
