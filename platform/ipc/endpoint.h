// This process's endpoint on the desktop: a Unix datagram socket that receives
// records, watched by the reactor, so records are handled whenever the thread
// waits (GetMessage, PeekMessage, a blocking socket call, a SendMessage of its own).
// Records go out over links to the peers (peer_links.h) and never wait for one:
// a record a peer's queue can't take now waits on its link, or is dropped.
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
  kQueued,  // waiting on this process's link to the peer
  kFull,    // no room there either: dropped
  kGone,    // the peer's endpoint is gone (what it was lent or sent is released)
  kFailed,  // any other error (errno)
};
// mayQueue false: what the peer's queue can't take at once is not kept.
Delivery SendRecord(pid_t pid, RecordHeader header, const void* payload = nullptr,
                    bool mayQueue = true);

RecordHeader NewRecord(RecordKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::ipc
