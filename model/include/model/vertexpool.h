#pragma once

#include <cstddef>

// The allocator behind `new CVector` / `delete` of a CVector (model/cvector.h).
//
// A loaded file holds one CVector per point, millions of them, and a general-purpose
// allocator adds a header to each; the pool hands out fixed slots of sizeof(CVector) from
// blocks of its own (heap blocks starting small and growing to about 1 MiB, then, where the
// system has them, 2 MiB anonymous mappings backed by transparent huge pages), reuses freed
// slots, and gives every block back to the system as soon as no pooled vertex is alive.
// Memory is therefore held at most at the high-water mark of the vertices alive at one time,
// plus less than one block.
//
// Like the whole model, the pool belongs to one thread at a time and takes no lock: a lock
// taken and released for every vertex made and freed cost more than the pool's own work. The
// thread that makes a vertex while none is alive owns the pool until the last vertex is gone;
// debug and sanitizer builds end the process with a message on stderr when another thread
// makes, frees or releases a vertex meanwhile (see VertexPoolChecksThreads).
//
// AddressSanitizer builds keep the pool and poison every slot that holds no vertex, freed or
// not yet handed out, so that a vertex used after its delete is still reported.

// A slot for one CVector; throws std::bad_alloc when no block can be obtained.
[[nodiscard]] void* VertexPoolAllocate();

// Returns a slot from VertexPoolAllocate(); null is ignored.
void VertexPoolFree(void* slot) noexcept;

// Ends every pooled vertex at once and gives all blocks back, when `count` is exactly the
// number alive; true when it did, false (nothing changed) otherwise and for a count of 0. Their
// destructors do not run, so the caller must own all of them and unlink them from its lists
// without touching them: it is for the owner of a whole model that is going away.
bool VertexPoolReleaseAll(std::size_t count) noexcept;

// About this many vertices are about to be made, one after another (an upper bound will do;
// a later call replaces an earlier one; the count goes down with every vertex made). The
// 2 MiB blocks they will fill are then reserved in one mapping (at most 1 GiB of address
// space, untouched until used), instead of a mapping each; the reservation goes back with the
// pool's last vertex. Without it every block is mapped when it is needed.
void VertexPoolExpect(std::size_t vertices) noexcept;

// Vertices currently allocated from the pool.
[[nodiscard]] std::size_t VertexPoolLiveCount() noexcept;

// Bytes of blocks the pool currently holds (heap blocks and mappings).
[[nodiscard]] std::size_t VertexPoolHeldBytes() noexcept;

// Anonymous mappings the pool has made since the process started. Blocks reserved together for
// the vertices VertexPoolExpect announced come from one mapping; without a hint every 2 MiB
// block is a mapping of its own. 0 where the system has no such mappings.
[[nodiscard]] std::size_t VertexPoolMappingCount() noexcept;

// Whether this build checks that one thread at a time uses the pool (debug and sanitizer builds).
[[nodiscard]] bool VertexPoolChecksThreads() noexcept;
