#pragma once

#include "model/cvector.h"

// An affine transform: a 3x3 rotation followed by a translation.
//
// Points are row vectors, p' = p * R + T:
//   x' = x*r0 + y*r3 + z*r6 + T.x
//   y' = x*r1 + y*r4 + z*r7 + T.y
//   z' = x*r2 + y*r5 + z*r8 + T.z
// and a product X * Y applies X first. Only translation.x, .y and .z are used.
//
// A new matrix has a zero translation and a zero rotation; every owner fills it at once with
// BuildTransform or MatrixIdentity (model/geometry.h).
class CMatrix {
public:
    // Row by row: entries 0-2 are row 0, 3-5 row 1, 6-8 row 2.
    float rotation[9] = {};
    CVector translation;
};
