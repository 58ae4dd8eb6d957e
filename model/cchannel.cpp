#include "model/cchannel.h"

#include "model/chain.h"
#include "model/geometry.h"
#include "settings/settings.h"

CChannel::CChannel(const TSettings& settings, CChannel** first, CChannel** last) {
#define CHANNEL_SETTING(type, name, defaultText, since) name = settings.CHANNEL.name;
#define CHANNEL_BORROWED(type, name, group, key, since) name = settings.group.key;
#include "settings/animationfields.def"
    BuildTransform(0.0f, 0.0f, -3900.0f, 0, 0, 0, &transform);
    ChainAppend(this, first, last);
}

CChannel::~CChannel() {
    ChainDestroyAll(last_frame);
    while (!beams.empty()) {
        beams.pop_back();
    }
    ChainDestroyAll(last_spare_frame);
    ChainRemove(this);
}

CFrame* CChannel::AddFrame() {
    return new CFrame(&first_frame, &last_frame);
}

CBeam* CChannel::AddBeam() {
    beams.push_back(std::make_unique<CBeam>());
    return beams.back().get();
}

CChannel* CChannel::Next(bool wrap) {
    return ChainNext(this, wrap);
}
