#pragma once

#include "render/csegment.h"
#include "render/cvertex.h"

// The segment and dot buffers shared by every CScreen. They live for the whole process and are
// never resized; each draw resets only the counts, so records of earlier draws stay in place.
// Not synchronised: at most one draw may be in progress at a time.

inline constexpr int kSegmentBufferSize = 4094;
// A draw stores at most this many segments; further ones are dropped.
inline constexpr int kMaxSegments = 4090;
inline constexpr int kDotBufferSize = 4094;

extern CSegment SegmentBuffer[kSegmentBufferSize];
extern CVertex DotBuffer[kDotBufferSize];
