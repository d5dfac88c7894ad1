// This process's endpoint on the desktop: a Unix datagram socket that receives
// records, watched by the reactor, so records are handled whenever the thread
// waits (GetMessage, PeekMessage, a blocking socket call, a SendMessage of its own).
// Nothing sent from here ever waits for a peer: a record its queue can't take
// now waits in an outbox for that peer, or is dropped when that is full too.
#pragma once

#include <sys/types.h>

#include "ipc/records.h"
#include "platform/windef.h"

namespace plat::ipc {

bool OpenEndpoint();
void CloseEndpoint();
void InstallRemote();

enum class Delivery {
  kSent,    // in the peer's queue
  kQueued,  // in this process's outbox for the peer
  kFull,    // no room in either: dropped
  kGone,    // the peer's endpoint is gone (what it was lent or sent is released)
  kFailed,  // any other error (errno)
};
// mayQueue false: what the peer's queue can't take at once is not kept.
Delivery SendRecord(pid_t pid, RecordHeader header, const void* payload = nullptr,
                    bool mayQueue = true);

RecordHeader NewRecord(RecordKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::ipc
