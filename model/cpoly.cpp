#include "model/cpoly.h"

#include "model/chain.h"
#include "model/geometry.h"

CPoly::CPoly(CThing* owner, CPoly** first, CPoly** last) : thing(owner) {
    ChainAppend(this, first, last);
}

CPoly::~CPoly() {
    ChainDestroyAll(last_vertex);
    ChainRemove(this);
}

CVector* CPoly::AddVertex(float x, float y, float z, uint32_t colour, uint8_t blank) {
    return new CVector(this, &first_vertex, &last_vertex, x, y, z, colour, blank);
}

void CPoly::UpdatePlane() {
    if (VertexCount() < 3) {
        VectorZero(&normal);
        distance = 0.0f;
        return;
    }
    const CVector* a = first_vertex;
    const CVector* b = a->next;
    const CVector* c = b->next;
    CVector e1;
    e1.x = a->x - b->x;
    e1.y = a->y - b->y;
    e1.z = a->z - b->z;
    CVector e2;
    e2.x = a->x - c->x;
    e2.y = a->y - c->y;
    e2.z = a->z - c->z;
    Cross(&e1, &e2, &normal);
    Normalize(&normal);
    Dot(&normal, b, &distance);
}

CPoly* CPoly::Next(bool wrap) {
    return ChainNext(this, wrap);
}
