#pragma once

#include <cstdint>

#include "model/cmatrix.h"
#include "model/cthing.h"

// One frame of a channel: its placement and its things. Owns the things.
class CFrame {
public:
    // Identity at construction.
    CMatrix transform;
    // Chain links (see model/chain.h).
    int32_t index = 0;
    CFrame* next = nullptr;
    CFrame* prev = nullptr;
    CFrame** first_slot = nullptr;
    CFrame** last_slot = nullptr;
    CThing* first_thing = nullptr;
    CThing* last_thing = nullptr;

    // Appends the new frame to the list through the slots (either may be null).
    CFrame(CFrame** first, CFrame** last);
    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;
    // Destroys the things from the last to the first, then unlinks the frame.
    ~CFrame();

    // Appends an empty thing and returns it. Never null: when memory runs out it throws
    // std::bad_alloc and leaves the list unchanged.
    [[nodiscard]] CThing* AddThing();

    // The next / previous frame; with `wrap`, the first after the last and the last before
    // the first, or this frame when it stands outside any list.
    [[nodiscard]] CFrame* Next(bool wrap);
    [[nodiscard]] CFrame* Prev(bool wrap);
    [[nodiscard]] CThing* FirstThing() const { return first_thing; }
    [[nodiscard]] int32_t ThingCount() const { return last_thing ? last_thing->index : 0; }
    [[nodiscard]] int32_t Index() const { return index; }
    // The number of point records the ILDA writer gives this frame: per thing, every poly with
    // vertices adds its vertex count plus 2 (a blanked move to its start and the closing
    // return), then the thing's free vertices. A frame that gives no record so is written as one
    // blanked point at the origin, so the count is then 1 (a section of no records would close
    // the file).
    [[nodiscard]] int32_t PointCount() const;
};
