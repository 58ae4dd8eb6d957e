#pragma once

#include <cstddef>
#include <cstdint>

#include "model/chain.h"
#include "model/vertexpool.h"

class CPoly;
class CThing;

// A point or direction in model units, and the vertex record of the scene model.
//
// As a vertex it sits in at most one list: a poly's outline (`poly` set, `thing` null) or a
// thing's free-vertex path (`thing` set, `poly` null). A free-standing vector (a work vector,
// or a matrix's translation) belongs to no list and has all links null.
//
// Copying a vector copies its values (coordinates, colour, flags and the renderer's work
// members) but never its list membership: a copy stands outside any list, and assigning to
// a linked vertex leaves it where it is.
//
// A loaded file holds one CVector per point, so the class keeps exactly these members.
class CVector final {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    // Stored with the vertex in scene files; no meaning in this system.
    uint32_t reserved = 0;
    // Beam colour, 0x00BBGGRR.
    uint32_t colour = 0;
    // 1 when the beam is off on the way to this vertex.
    uint8_t blank = 0;
    // Non-zero: the preview draws this vertex's dot as a 3x3 block.
    uint8_t marked = 0;
    // Renderer work members: the vertex after the view transform, then screen x, screen y
    // and reciprocal depth after projection; the display colour while colour cycling; the
    // clipping outcode bits.
    float view_x = 0.0f;
    float view_y = 0.0f;
    float view_z = 0.0f;
    uint32_t cycle_colour = 0;
    uint32_t clip_flags = 0;
    // Chain links (see model/chain.h). The index sits in the four bytes before the pointers,
    // which would otherwise be padding: 8 bytes a point less than beside the other links.
    int32_t index = 0;
    // The list holding this vertex; never owning.
    CPoly* poly = nullptr;
    CThing* thing = nullptr;
    CVector* next = nullptr;
    CVector* prev = nullptr;
    CVector** first_slot = nullptr;
    CVector** last_slot = nullptr;

    // A free-standing zero vector.
    CVector() = default;
    // A vertex appended to `owner`'s outline through the slots (either may be null).
    CVector(CPoly* owner, CVector** first, CVector** last, float vx, float vy, float vz,
            uint32_t vcolour, uint8_t vblank) noexcept
        : x(vx), y(vy), z(vz), colour(vcolour), blank(vblank), poly(owner) {
        ChainAppend(this, first, last);
    }
    // A vertex appended to `owner`'s free-vertex path through the slots. Defined here, as the
    // allocation below: a loaded file makes one per point.
    CVector(CThing* owner, CVector** first, CVector** last, float vx, float vy, float vz,
            uint32_t vcolour, uint8_t vblank) noexcept
        : x(vx), y(vy), z(vz), colour(vcolour), blank(vblank), thing(owner) {
        ChainAppend(this, first, last);
    }

    CVector(const CVector& other);
    CVector& operator=(const CVector& other);

    // Unlinks the vertex from its list.
    ~CVector();

    // The next vertex of the list; with `wrap`, the first after the last, or this vertex
    // when it stands outside any list.
    [[nodiscard]] CVector* Next(bool wrap);
    [[nodiscard]] int32_t Index() const { return index; }

    // `new CVector` takes a slot of the vertex pool (model/vertexpool.h): a loaded file holds
    // millions of vertices and a general-purpose allocator adds a header to each.
    static void* operator new(std::size_t) { return VertexPoolAllocate(); }
    static void* operator new(std::size_t, void* where) noexcept { return where; }
    static void operator delete(void* p, std::size_t size) noexcept;
    static void operator delete(void*, void*) noexcept {}
};
