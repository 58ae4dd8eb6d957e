#pragma once

// Settles the C heap's thresholds for a program that converts file after file.
//
// Left to itself the allocator adjusts its thresholds from what it has seen freed, and whether
// a batch of small files reuses one file's freed memory for the next or hands it back to the
// system and faults it in again (several times the work of the conversion itself) depends on
// where small allocations happened to land. Fixed thresholds make it predictable, at the
// values the adjustment reaches after one large file: blocks under 32 MiB (a file's bytes, the
// vertex pool's first blocks, output buffers) come from the heap, whose free memory is kept for
// the next file up to 64 MiB; larger blocks are mapped and go back to the system when freed.
// To be called once at start, before anything large is allocated. Does nothing where the C
// library has no such settings.
void TuneAllocatorForBatches();
