#include "platform/allocatortuning.h"

#include <cstdlib> // defines __GLIBC__ with the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void TuneAllocatorForBatches() {
#if defined(__GLIBC__)
    (void)::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    (void)::mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
