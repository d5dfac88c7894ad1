// calloc behind a countdown that is off unless a test sets it.
#include "config/config_alloc.h"

#include <cstdlib>

namespace {
int allocationsBeforeFailure = -1;
}

void* ConfigAllocate(size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    return nullptr;
  }
  if (allocationsBeforeFailure > 0) allocationsBeforeFailure--;
  return calloc(1, size);
}

void ConfigFailAllocationAfter(int succeeding) {
  allocationsBeforeFailure = succeeding;
}
