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
