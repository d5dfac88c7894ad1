// Zero-filled allocation for the engine's records. A countdown lets tests make
// a chosen allocation fail, so the drop paths can be exercised for real.
#pragma once

#include <cstddef>

void* RpcAllocate(size_t size);
// The next `succeeding` allocations work and the one after fails; -1 turns the
// countdown off.
void RpcFailAllocationAfter(int succeeding);
