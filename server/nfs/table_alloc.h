// Zero-filled allocation for the handle table's records. A countdown lets tests
// make a chosen allocation fail, so the "no memory" paths run for real.
#pragma once

#include <cstddef>

void* TableAllocate(size_t size);
// Grows (or shrinks) a block from TableAllocate; the bytes past `oldSize` are
// zero. On failure the old block is untouched and nullptr comes back.
void* TableReallocate(void* block, size_t oldSize, size_t newSize);
// The next `succeeding` allocations work and the one after fails; -1 turns the
// countdown off.
void TableFailAllocationAfter(int succeeding);
