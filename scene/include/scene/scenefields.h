#pragma once

#include "model/cchannel.h"
#include "model/cscene.h"

// The plain fields of the scene record and the channel record, in file order, with the format
// version from which each is present, expanded from settings/animationfields.def. The serialize
// routines move them through these walks, and the scene-info command compares them through the
// same walks, so the layout is written down once.
//
// `visit` is called as visit(name, member) with a pointer to a data member of the class (bool,
// int16_t, int32_t, uint32_t, float, or a character array for the channel's texts) and returns
// false to stop the walk; the walk returns false when it was stopped. Fields that `version`
// lacks are left out.
//
// Not in the lists: the scene's `name` (first in the scene record), and what follows the last
// listed field: both records' `transform`, the scene's `value_list` and the channel's `beams`.

// A field that `version` lacks is passed over; a visit that returns false ends the walk.
#define TRELLION_VISIT_FIELD(cls, member, since)                                                   \
    if (version >= (since) && !visit(#member, &cls::member))                                       \
        return false;

template <class Visit> bool ForEachSceneField(int version, Visit&& visit) {
#define SCENE_SETTING(type, name, defaultText, since) TRELLION_VISIT_FIELD(CScene, name, since)
#define SCENE_FIXED(type, name, value, since) TRELLION_VISIT_FIELD(CScene, name, since)
#include "settings/animationfields.def"
    return true;
}

template <class Visit> bool ForEachChannelField(int version, Visit&& visit) {
#define CHANNEL_SETTING(type, name, defaultText, since) TRELLION_VISIT_FIELD(CChannel, name, since)
#define CHANNEL_BORROWED(type, name, group, key, since) TRELLION_VISIT_FIELD(CChannel, name, since)
#define CHANNEL_FIXED(type, name, value, since) TRELLION_VISIT_FIELD(CChannel, name, since)
#include "settings/animationfields.def"
    return true;
}

#undef TRELLION_VISIT_FIELD
