#include "render/drawbuffers.h"

CSegment SegmentBuffer[kSegmentBufferSize];
CVertex DotBuffer[kDotBufferSize];
