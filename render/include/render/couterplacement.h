#pragma once

#include "model/cmatrix.h"

// The outermost placement of a rendered channel (applied after the scene's transform), with two
// flips that combine with the channel's and scene's flip effects. Nothing in the utility supplies
// one.
struct COuterPlacement {
    CMatrix matrix;
    bool flipHorizontal = false;
    bool flipVertical = false;
};
