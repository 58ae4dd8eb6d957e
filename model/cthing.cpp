#include "model/cthing.h"

#include "model/chain.h"

CThing::CThing(CThing** first, CThing** last) {
    ChainAppend(this, first, last);
}

CThing::~CThing() {
    ChainDestroyAll(last_poly);
    ChainDestroyAll(last_vertex);
    ChainRemove(this);
}

CVector* CThing::AddVertex(float x, float y, float z, uint32_t colour, uint8_t blank) {
    return new CVector(this, &first_vertex, &last_vertex, x, y, z, colour, blank);
}

CVector* CThing::AddVertex() {
    return AddVertex(0.0f, 0.0f, 0.0f, 0, 0);
}

CPoly* CThing::AddPoly() {
    return new CPoly(this, &first_poly, &last_poly);
}

CThing* CThing::Next(bool wrap) {
    return ChainNext(this, wrap);
}
