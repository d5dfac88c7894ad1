// Handles are slot numbers 1..65535, handed out round-robin so that a freed
// handle value is not met again soon: a late acknowledge naming an old block then
// finds nothing instead of somebody else's block.
#include "ipc/global_memory.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "ipc/dde_carriage.h"
#include "platform/winbase.h"

namespace plat::ipc {

namespace {

constexpr size_t kMaxHandles = 0xFFFF;

struct Block {
  unsigned char* bytes = nullptr;
  size_t size = 0;
  int locks = 0;
  bool live = false;
};

// Slot 0 is never used: handle 0 means none. Never destroyed: a process may end
// holding blocks (a peer's copies, say), and they stay its until it is gone.
auto& blocks = *new std::vector<Block>(1);
size_t lastHandle = 0;
size_t liveCount = 0;

Block* Find(HGLOBAL handle) {
  uintptr_t index = (uintptr_t)handle;
  if (index == 0 || index >= blocks.size() || !blocks[index].live) return nullptr;
  return &blocks[index];
}

size_t FreeSlot() {
  for (size_t tried = 0; tried < kMaxHandles; ++tried) {
    size_t index = lastHandle % kMaxHandles + 1;
    lastHandle = index;
    if (index >= blocks.size()) blocks.resize(index + 1);
    if (!blocks[index].live) return index;
  }
  return 0;
}

}  // namespace

const unsigned char* BlockBytes(HGLOBAL block, size_t* size) {
  Block* b = Find(block);
  if (!b) return nullptr;
  *size = b->size;
  return b->bytes;
}

HGLOBAL NewBlockWithCopy(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (block && size) memcpy(Find(block)->bytes, bytes, size);
  return block;
}

bool IsLiveBlock(HGLOBAL block) {
  return Find(block) != nullptr;
}
size_t LiveBlockCount() {
  return liveCount;
}

}  // namespace plat::ipc

using plat::ipc::Block;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  size_t index = plat::ipc::FreeSlot();
  // Every block is zero-filled: GMEM_ZEROINIT is honoured and costs nothing extra.
  unsigned char* memory = index ? (unsigned char*)calloc(1, bytes ? bytes : 1) : nullptr;
  if (!memory) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  (void)flags;
  plat::ipc::blocks[index] = Block{memory, bytes, 0, true};
  plat::ipc::liveCount++;
  plat::ipc::BlockAllocated((HGLOBAL)(uintptr_t)index);
  return (HGLOBAL)(uintptr_t)index;
}

LPVOID GlobalLock(HGLOBAL block) {
  Block* b = plat::ipc::Find(block);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  b->locks++;
  return b->bytes;
}

BOOL GlobalUnlock(HGLOBAL block) {
  Block* b = plat::ipc::Find(block);
  if (!b || b->locks == 0) {
    SetLastError(b ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return --b->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  Block* b = plat::ipc::Find(block);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
  }
  free(b->bytes);
  *b = Block{};
  plat::ipc::liveCount--;
  plat::ipc::BlockFreed(block);
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Block* b = plat::ipc::Find(block);
  return b ? b->size : 0;
}
