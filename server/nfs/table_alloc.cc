// calloc behind a countdown that is off unless a test sets it.
#include "nfs/table_alloc.h"

#include <cstdlib>

namespace {
int allocationsBeforeFailure = -1;
}

void* TableAllocate(size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    return nullptr;
  }
  if (allocationsBeforeFailure > 0) allocationsBeforeFailure--;
  return calloc(1, size);
}

void TableFailAllocationAfter(int succeeding) {
  allocationsBeforeFailure = succeeding;
}
