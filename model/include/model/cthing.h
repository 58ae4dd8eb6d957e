#pragma once

#include <cstdint>

#include "model/cpoly.h"
#include "model/cvector.h"

// One object of a frame: closed polys and one open path of free vertices. Owns both lists.
class CThing {
public:
    // Stored with the thing in scene files; no meaning in this system.
    uint8_t thing_flag = 0;
    // Chain links (see model/chain.h).
    int32_t index = 0;
    CThing* next = nullptr;
    CThing* prev = nullptr;
    CThing** first_slot = nullptr;
    CThing** last_slot = nullptr;
    CPoly* first_poly = nullptr;
    CPoly* last_poly = nullptr;
    // The free vertices, drawn and written as one open path.
    CVector* first_vertex = nullptr;
    CVector* last_vertex = nullptr;

    // Appends the new thing to the list through the slots (either may be null).
    CThing(CThing** first, CThing** last);
    CThing(const CThing&) = delete;
    CThing& operator=(const CThing&) = delete;
    // Destroys the polys, then the free vertices, each from the last to the first; then
    // unlinks the thing.
    ~CThing();

    // Appends a free vertex and returns it; its `thing` is this thing, `poly` null. The Add
    // operations never return null: when memory runs out they throw std::bad_alloc and leave
    // the list unchanged.
    [[nodiscard]] CVector* AddVertex(float x, float y, float z, uint32_t colour, uint8_t blank);
    // The same with all values zero, for a reader that fills the vertex itself.
    [[nodiscard]] CVector* AddVertex();
    // Appends an empty poly and returns it.
    [[nodiscard]] CPoly* AddPoly();

    [[nodiscard]] CThing* Next(bool wrap);
    [[nodiscard]] CPoly* FirstPoly() const { return first_poly; }
    [[nodiscard]] int32_t PolyCount() const { return last_poly ? last_poly->index : 0; }
    [[nodiscard]] CVector* FirstVertex() const { return first_vertex; }
    [[nodiscard]] int32_t VertexCount() const { return last_vertex ? last_vertex->index : 0; }
    [[nodiscard]] int32_t Index() const { return index; }
};
