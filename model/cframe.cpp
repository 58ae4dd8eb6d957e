#include "model/cframe.h"

#include "model/chain.h"
#include "model/geometry.h"

CFrame::CFrame(CFrame** first, CFrame** last) {
    ChainAppend(this, first, last);
    BuildTransform(0.0f, 0.0f, 0.0f, 0, 0, 0, &transform);
}

CFrame::~CFrame() {
    ChainDestroyAll(last_thing);
    ChainRemove(this);
}

CThing* CFrame::AddThing() {
    return new CThing(&first_thing, &last_thing);
}

CFrame* CFrame::Next(bool wrap) {
    return ChainNext(this, wrap);
}

CFrame* CFrame::Prev(bool wrap) {
    return ChainPrev(this, wrap);
}

int32_t CFrame::PointCount() const {
    int32_t count = 0;
    for (const CThing* thing = first_thing; thing != nullptr; thing = thing->next) {
        for (const CPoly* poly = thing->first_poly; poly != nullptr; poly = poly->next) {
            if (poly->first_vertex != nullptr) {
                count += poly->VertexCount() + 2;
            }
        }
        count += thing->VertexCount();
    }
    // A frame without points is written as one blanked point at the origin.
    return count > 0 ? count : 1;
}
