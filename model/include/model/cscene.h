#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/cchannel.h"
#include "model/cmatrix.h"

struct TSettings;

// A scene: its placement, the show software's scene settings and its channels. A new scene
// takes the [SCENE] settings (all but active_key and active_state) from the settings record
// handed to it, and its new channels take theirs from the same record (settings/settings.h); the
// angle tables must be filled (model/geometry.h). Owns its channels and its value list.
//
// Members that mirror settings keys carry the key names.
class CScene {
public:
    std::string name;
    // Start phase of colour cycling, read by the renderer.
    int32_t cycle_start = 0;
    // The fields of the scene record, in file order: the [SCENE] settings and the fixed tags
    // (settings/animationfields.def).
#define SCENE_SETTING(type, name, defaultText, since) type name{};
#define SCENE_FIXED(type, name, value, since) type name{value};
#include "settings/animationfields.def"
    // Stored with the scene; no meaning in this system.
    std::vector<int32_t> value_list;
    // Identity at construction.
    CMatrix transform;
    // Chain links (see model/chain.h); the workflows construct scenes outside any list.
    int32_t index = 0;
    CScene* next = nullptr;
    CScene* prev = nullptr;
    CScene** first_slot = nullptr;
    CScene** last_slot = nullptr;
    CChannel* first_channel = nullptr;
    CChannel* last_channel = nullptr;

    // Appends the new scene to the list through the slots; pass two nulls for a scene of
    // its own. `settings` must outlive the scene: AddChannel reads it.
    explicit CScene(const TSettings& settings, CScene** first = nullptr, CScene** last = nullptr);
    CScene(const TSettings&&, CScene** = nullptr, CScene** = nullptr) = delete;
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;
    // Destroys the channels from the last to the first, then unlinks the scene. When the
    // scene's vertices are all the vertices alive, they go with the pool's blocks in one step
    // (their destructors would only unlink them from lists that are going too); everything
    // else is destroyed in its order.
    ~CScene();

    // Appends a channel with the defaults of the scene's settings record and returns it. Never
    // null: when memory runs out it throws std::bad_alloc and leaves the list unchanged.
    [[nodiscard]] CChannel* AddChannel();

    [[nodiscard]] CChannel* FirstChannel() const {
        return first_channel;
    }
    [[nodiscard]] int32_t ChannelCount() const {
        return last_channel ? last_channel->index : 0;
    }
    [[nodiscard]] CScene* Next(bool wrap);
    [[nodiscard]] int32_t Index() const {
        return index;
    }

private:
    bool ReleaseVerticesAtOnce() noexcept;

    const TSettings* settings_;
};
