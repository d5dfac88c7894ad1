#include "ipc/dde_carriage.h"

#include <string.h>

#include <algorithm>

#include "ipc/global_memory.h"
#include "platform/dde.h"
#include "platform/winbase.h"

namespace plat::ipc {

namespace {

struct Lent {
  pid_t peer;
  HGLOBAL original;
  bool release;  // the receiver owns the block once it accepts it
};
struct Received {
  pid_t peer;
  HGLOBAL copy;
  uint32_t original;  // the poster's handle
};

std::vector<Lent> lent;
std::vector<Received> received;

HGLOBAL AsHandle(uint32_t value) {
  return (HGLOBAL)(uintptr_t)value;
}

}  // namespace

void LendBlock(pid_t peer, RecordHeader* record, std::vector<unsigned char>* payload) {
  HGLOBAL original = AsHandle((uint32_t)(record->lParam & 0xFFFF));
  size_t size = 0;
  const unsigned char* bytes = BlockBytes(original, &size);
  if (!bytes || size > kMaxPayload) {
    record->lParam &= ~(LPARAM)0xFFFF;  // a handle the peer could not use: none
    return;
  }
  payload->assign(bytes, bytes + size);
  record->flags |= kHasBlock;
  record->blockHandle = (uint32_t)(uintptr_t)original;
  WORD flags = 0;
  if (size >= sizeof flags) memcpy(&flags, bytes, sizeof flags);
  lent.push_back(Lent{peer, original, (flags & DDE_FRELEASE) != 0});
}

void AcknowledgeOut(pid_t peer, RecordHeader* record) {
  uint32_t copy = (uint32_t)((record->wParam >> 16) & 0xFFFF);
  auto it = std::find_if(received.begin(), received.end(), [&](const Received& r) {
    return r.peer == peer && r.copy == AsHandle(copy);
  });
  if (it == received.end()) return;
  bool accepted = (record->wParam & 0xFFFF) != 0;
  record->wParam = (record->wParam & ~(uint64_t)0xFFFF0000) | ((uint64_t)it->original << 16);
  if (accepted) {
    record->flags |= kReleaseOriginal;
  } else {
    GlobalFree(it->copy);  // the poster frees the block; this copy is the layer's to free
  }
  received.erase(it);
}

void TerminateOut(pid_t peer) {
  for (const Lent& l : lent) {
    if (l.peer == peer && l.release) GlobalFree(l.original);
  }
  std::erase_if(lent, [&](const Lent& l) { return l.peer == peer; });
  std::erase_if(received, [&](const Received& r) { return r.peer == peer; });
}

bool ReceiveBlock(const RecordHeader& record, const unsigned char* payload, LPARAM* lParam) {
  HGLOBAL copy = NewBlockWithCopy(payload, record.payloadLength);
  if (!copy) return false;
  received.push_back(Received{(pid_t)record.senderPid, copy, record.blockHandle});
  *lParam = (*lParam & ~(LPARAM)0xFFFF) | (LPARAM)(uintptr_t)copy;
  return true;
}

void AcknowledgeIn(const RecordHeader& record) {
  HGLOBAL original = AsHandle((uint32_t)((record.wParam >> 16) & 0xFFFF));
  auto it = std::find_if(lent.begin(), lent.end(), [&](const Lent& l) {
    return l.peer == (pid_t)record.senderPid && l.original == original;
  });
  if (it == lent.end()) return;
  if ((record.flags & kReleaseOriginal) && it->release) GlobalFree(it->original);
  lent.erase(it);
}

void TerminateIn(pid_t peer) {
  TerminateOut(peer);
}

}  // namespace plat::ipc
