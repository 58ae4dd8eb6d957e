#include "model/cvector.h"

#include "model/chain.h"
#include "model/vertexpool.h"

// One vertex per loaded point: a new member here costs megabytes per file.
static_assert(sizeof(void*) != 8 || sizeof(CVector) == 96);

CVector::CVector(const CVector& other)
    : x(other.x), y(other.y), z(other.z), reserved(other.reserved), colour(other.colour),
      blank(other.blank), marked(other.marked), view_x(other.view_x), view_y(other.view_y),
      view_z(other.view_z), cycle_colour(other.cycle_colour), clip_flags(other.clip_flags) {}

CVector& CVector::operator=(const CVector& other) {
    x = other.x;
    y = other.y;
    z = other.z;
    reserved = other.reserved;
    colour = other.colour;
    blank = other.blank;
    marked = other.marked;
    view_x = other.view_x;
    view_y = other.view_y;
    view_z = other.view_z;
    cycle_colour = other.cycle_colour;
    clip_flags = other.clip_flags;
    return *this;
}

CVector::~CVector() {
    ChainRemove(this);
}

CVector* CVector::Next(bool wrap) {
    return ChainNext(this, wrap);
}

void CVector::operator delete(void* p, std::size_t) noexcept {
    VertexPoolFree(p);
}
