// Entries are erased before the layer frees their block, so the free hook never
// sees a pair that is being released. A received copy the receiver freed keeps
// its pair until the acknowledge that names it (that is how the poster learns
// to free the original), or until its handle is given out again.
#include "ipc/dde_carriage.h"

#include <string.h>

#include <algorithm>

#include "ipc/global_memory.h"
#include "ipc/peers.h"
#include "ipc/window_registry.h"
#include "platform/dde.h"
#include "platform/winbase.h"

namespace plat::ipc {

namespace {

// A DDEPOKE or DDEDATA block starts with its flags and clipboard format words.
constexpr size_t kDdeBlockHeader = 4;
// What one peer may hold of this process's blocks, and this process of its:
// far more than a console's lines in flight, far less than a flood.
constexpr size_t kMaxBlocksPerPeer = 1024;
constexpr size_t kMaxBytesPerPeer = 1 << 20;

struct LentBlock {
  pid_t peer;
  HGLOBAL original;
  bool release;  // the receiver owns the block once it accepts it
  size_t size;
};
struct ReceivedBlock {
  pid_t peer;
  HGLOBAL copy;
  uint32_t original;  // the poster's handle
  bool release;
  size_t size;
  bool copyFreed;  // by the receiver; the pair waits for the acknowledge
};

std::vector<LentBlock> lent;
std::vector<ReceivedBlock> received;

HGLOBAL AsHandle(uint64_t value) {
  return (HGLOBAL)(uintptr_t)(value & 0xFFFF);
}

bool ReleaseFlag(const unsigned char* bytes, size_t size) {
  WORD flags = 0;
  if (size >= sizeof flags) memcpy(&flags, bytes, sizeof flags);
  return (flags & DDE_FRELEASE) != 0;
}

template <typename Entry>
bool WithinShare(const std::vector<Entry>& entries, pid_t peer, size_t more) {
  size_t count = 0, bytes = 0;
  for (const Entry& e : entries) {
    if (e.peer != peer) continue;
    count++;
    bytes += e.size;
  }
  return count < kMaxBlocksPerPeer && bytes + more <= kMaxBytesPerPeer;
}

void FreeAll(const std::vector<HGLOBAL>& blocks) {
  for (HGLOBAL block : blocks)
    GlobalFree(block);
}

}  // namespace

BOOL LendBlock(pid_t peer, RecordHeader* record, std::vector<unsigned char>* payload) {
  HGLOBAL original = AsHandle((uint64_t)record->lParam);
  size_t size = 0;
  const unsigned char* bytes = BlockBytes(original, &size);
  if (!bytes) {
    record->lParam &= ~(LPARAM)0xFFFF;  // a handle the peer could not use: none
    return TRUE;
  }
  if (size < kDdeBlockHeader || size > kMaxPayload) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!WithinShare(lent, peer, size)) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  payload->assign(bytes, bytes + size);
  record->flags |= kHasBlock;
  record->blockHandle = (uint32_t)(uintptr_t)original;
  return TRUE;
}

void Lent(pid_t peer, const RecordHeader& record) {
  if (!(record.flags & kHasBlock)) return;
  HGLOBAL original = AsHandle(record.blockHandle);
  size_t size = 0;
  const unsigned char* bytes = BlockBytes(original, &size);
  if (!bytes) return;
  lent.push_back(LentBlock{peer, original, ReleaseFlag(bytes, size), size});
  WatchPeer(peer);
}

void AcknowledgeOut(pid_t peer, RecordHeader* record) {
  HGLOBAL copy = AsHandle(record->wParam >> 16);
  auto it = std::find_if(received.begin(), received.end(),
                         [&](const ReceivedBlock& r) { return r.peer == peer && r.copy == copy; });
  record->wParam &= ~(uint64_t)0xFFFF0000;
  if (it == received.end()) return;  // names no block the peer lent: none
  ReceivedBlock pair = *it;
  received.erase(it);
  record->wParam |= (uint64_t)pair.original << 16;
  bool accepted = (record->wParam & 0xFFFF) != 0;
  if (accepted) record->flags |= kReleaseOriginal;
  // A refused copy, or an accepted one the receiver does not own, is the
  // layer's to free: the poster frees the original.
  if (!pair.copyFreed && (!accepted || !pair.release)) GlobalFree(pair.copy);
}

void TerminateOut(pid_t peer) {
  std::vector<HGLOBAL> owned;
  for (const LentBlock& l : lent) {
    if (l.peer == peer && l.release) owned.push_back(l.original);
  }
  std::erase_if(lent, [&](const LentBlock& l) { return l.peer == peer; });
  std::erase_if(received, [&](const ReceivedBlock& r) { return r.peer == peer; });
  FreeAll(owned);
}

bool ReceiveBlock(const RecordHeader& record, const unsigned char* payload, LPARAM* lParam) {
  *lParam &= ~(LPARAM)0xFFFF;
  if (!(record.flags & kHasBlock)) return true;  // names no block that crossed: none
  pid_t peer = (pid_t)record.senderPid;
  size_t size = record.payloadLength;
  if (size < kDdeBlockHeader || !WithinShare(received, peer, size)) return false;
  HGLOBAL copy = NewBlockWithCopy(payload, size);
  if (!copy) return false;
  received.push_back(
      ReceivedBlock{peer, copy, record.blockHandle, ReleaseFlag(payload, size), size, false});
  WatchPeer(peer);
  if (!IsLiveBlock(copy)) return false;  // the peer ended already: its copies went with it
  *lParam |= (LPARAM)(uintptr_t)copy;
  return true;
}

void ForgetReceived(pid_t peer, LPARAM lParam) {
  HGLOBAL copy = AsHandle((uint64_t)lParam);
  auto it = std::find_if(received.begin(), received.end(), [&](const ReceivedBlock& r) {
    return r.peer == peer && r.copy == copy && !r.copyFreed;
  });
  if (it == received.end()) return;
  received.erase(it);
  GlobalFree(copy);
}

WPARAM AcknowledgeIn(const RecordHeader& record) {
  HGLOBAL original = AsHandle(record.wParam >> 16);
  auto it = std::find_if(lent.begin(), lent.end(), [&](const LentBlock& l) {
    return l.peer == (pid_t)record.senderPid && l.original == original;
  });
  if (it == lent.end()) return (WPARAM)(record.wParam & ~(uint64_t)0xFFFF0000);
  bool freeOriginal = (record.flags & kReleaseOriginal) && it->release;
  lent.erase(it);
  if (freeOriginal) GlobalFree(original);
  return (WPARAM)record.wParam;
}

WPARAM InitiateAnswerIn(const RecordHeader& record) {
  HWND window = (HWND)(uintptr_t)record.wParam;
  bool senders = OwnerOf(window) == (pid_t)record.senderPid && LOWORD(record.wParam) != 0;
  return senders ? (WPARAM)record.wParam : 0;
}

void TerminateIn(pid_t peer) {
  TerminateOut(peer);
}

void ReleasePeerBlocks(pid_t peer) {
  std::vector<HGLOBAL> owned;
  for (const LentBlock& l : lent) {
    if (l.peer == peer && l.release) owned.push_back(l.original);
  }
  for (const ReceivedBlock& r : received) {
    if (r.peer == peer && !r.copyFreed) owned.push_back(r.copy);
  }
  std::erase_if(lent, [&](const LentBlock& l) { return l.peer == peer; });
  std::erase_if(received, [&](const ReceivedBlock& r) { return r.peer == peer; });
  FreeAll(owned);
}

void BlockFreed(HGLOBAL block) {
  // A poster that frees a block it lent takes it back: an acknowledge naming
  // it later frees nothing.
  std::erase_if(lent, [&](const LentBlock& l) { return l.original == block; });
  for (ReceivedBlock& r : received) {
    if (r.copy == block && !r.copyFreed) {
      r.copyFreed = true;
      r.size = 0;
    }
  }
}

void BlockAllocated(HGLOBAL block) {
  std::erase_if(received, [&](const ReceivedBlock& r) { return r.copy == block && r.copyFreed; });
}

}  // namespace plat::ipc
