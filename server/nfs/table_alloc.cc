// calloc and realloc behind a countdown that is off unless a test sets it.
#include "nfs/table_alloc.h"

#include <cstdlib>
#include <cstring>

namespace {

int allocationsBeforeFailure = -1;

bool CountdownRefuses() {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    return true;
  }
  if (allocationsBeforeFailure > 0) allocationsBeforeFailure--;
  return false;
}

}  // namespace

void* TableAllocate(size_t size) {
  return CountdownRefuses() ? nullptr : calloc(1, size);
}

// A fresh zeroed block and a copy rather than realloc: the zeroing of a large
// block is left to the kernel, so capacity not yet used is never touched.
void* TableReallocate(void* block, size_t oldSize, size_t newSize) {
  if (CountdownRefuses()) return nullptr;
  void* grown = calloc(1, newSize);
  if (!grown) return nullptr;
  if (block) memcpy(grown, block, oldSize < newSize ? oldSize : newSize);
  free(block);
  return grown;
}

void TableFailAllocationAfter(int succeeding) {
  allocationsBeforeFailure = succeeding;
}
