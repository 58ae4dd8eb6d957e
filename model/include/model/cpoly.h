#pragma once

#include <cstdint>

#include "model/cvector.h"

class CThing;

// A closed outline of a thing: the last vertex joins back to the first. Owns its vertices.
class CPoly {
public:
    // Plane constant: normal . a vertex.
    float distance = 0.0f;
    // Unit normal of the poly's plane; zero while the plane is undefined.
    CVector normal;
    // Set: the renderer draws the poly even when it faces away.
    uint8_t two_sided = 0;
    // The owning thing; never owning.
    CThing* thing = nullptr;
    // Chain links (see model/chain.h).
    int32_t index = 0;
    CPoly* next = nullptr;
    CPoly* prev = nullptr;
    CPoly** first_slot = nullptr;
    CPoly** last_slot = nullptr;
    CVector* first_vertex = nullptr;
    CVector* last_vertex = nullptr;

    // Appends the new poly to the list through the slots (either may be null).
    CPoly(CThing* owner, CPoly** first, CPoly** last);
    CPoly(const CPoly&) = delete;
    CPoly& operator=(const CPoly&) = delete;
    // Destroys the vertices from the last to the first, then unlinks the poly.
    ~CPoly();

    // Appends a vertex to the outline and returns it; its `poly` is this poly. Never null:
    // when memory runs out it throws std::bad_alloc and leaves the outline unchanged.
    [[nodiscard]] CVector* AddVertex(float x, float y, float z, uint32_t colour, uint8_t blank);

    // Recomputes `normal` and `distance` from the first three vertices A, B, C:
    // normal = normalized (A - B) x (A - C), distance = normal . B. With fewer than three
    // vertices both are zero; collinear vertices give a zero normal.
    void UpdatePlane();

    [[nodiscard]] CPoly* Next(bool wrap);
    [[nodiscard]] CVector* FirstVertex() const { return first_vertex; }
    [[nodiscard]] int32_t VertexCount() const { return last_vertex ? last_vertex->index : 0; }
    [[nodiscard]] int32_t Index() const { return index; }
};
