// Global memory blocks of this process, and what the DDE carriage needs of them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windef.h"

namespace plat::ipc {

// The bytes of a live block (nullptr when the handle names none).
const unsigned char* BlockBytes(HGLOBAL block, size_t* size);
// A new movable, shareable block holding a copy of the bytes.
HGLOBAL NewBlockWithCopy(const void* bytes, size_t size);
bool IsLiveBlock(HGLOBAL block);
size_t LiveBlockCount();  // for tests: nothing may leak

}  // namespace plat::ipc
