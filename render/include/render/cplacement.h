#pragma once

#include "model/cmatrix.h"

// An extra placement of a rendered channel, applied between the effects and the frame's own
// transform. Nothing in the utility supplies one; the renderer accepts it for callers that place
// a channel inside a larger show.
struct CPlacement {
    CMatrix matrix;
};
