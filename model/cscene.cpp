#include "model/cscene.h"

#include "model/chain.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "settings/settings.h"

CScene::CScene(const TSettings& settings, CScene** first, CScene** last) : settings_(&settings) {
#define SCENE_SETTING(type, name, defaultText, since) name = settings.SCENE.name;
#include "settings/animationfields.def"
    BuildTransform(0.0f, 0.0f, 0.0f, 0, 0, 0, &transform);
    ChainAppend(this, first, last);
}

namespace {

// Every frame a channel owns: its frames, its spare frames and its work frame.
template <class Visit> void ForEachFrameOf(CChannel* channel, Visit&& visit) {
    for (CFrame* frame = channel->first_frame; frame != nullptr; frame = frame->next)
        visit(frame);
    for (CFrame* frame = channel->first_spare_frame; frame != nullptr; frame = frame->next)
        visit(frame);
    visit(&channel->work_frame);
}

// Every list of vertices below a frame: each thing's polys and its free vertices.
template <class Visit> void ForEachVertexListOf(CFrame* frame, Visit&& visit) {
    for (CThing* thing = frame->first_thing; thing != nullptr; thing = thing->next) {
        for (CPoly* poly = thing->first_poly; poly != nullptr; poly = poly->next)
            visit(poly->first_vertex, poly->last_vertex);
        visit(thing->first_vertex, thing->last_vertex);
    }
}

} // namespace

// Millions of vertices, each unlinked and freed on its own, cost a pass over all their memory
// just before the pool's blocks go back anyway.
bool CScene::ReleaseVerticesAtOnce() noexcept {
    std::size_t count = 0;
    const auto countList = [&count](CVector*, CVector* last) {
        count += static_cast<std::size_t>(ChainCount(last));
    };
    for (CChannel* channel = first_channel; channel != nullptr; channel = channel->next)
        ForEachFrameOf(channel, [&](CFrame* frame) { ForEachVertexListOf(frame, countList); });
    if (!VertexPoolReleaseAll(count))
        return false;
    const auto forgetList = [](CVector*& first, CVector*& last) {
        first = nullptr;
        last = nullptr;
    };
    for (CChannel* channel = first_channel; channel != nullptr; channel = channel->next)
        ForEachFrameOf(channel, [&](CFrame* frame) { ForEachVertexListOf(frame, forgetList); });
    return true;
}

CScene::~CScene() {
    (void)ReleaseVerticesAtOnce();
    ChainDestroyAll(last_channel);
    value_list.clear();
    ChainRemove(this);
}

CChannel* CScene::AddChannel() {
    return new CChannel(*settings_, &first_channel, &last_channel);
}

CScene* CScene::Next(bool wrap) {
    return ChainNext(this, wrap);
}
