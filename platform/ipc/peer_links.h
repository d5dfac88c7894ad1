// Records go to a peer over a socket connected to its endpoint, one per peer
// written to lately: the peer's path is looked up once, not for every record,
// and poll reports the socket writable once a full peer has made room. What a
// full peer can't take waits on its link, in order, up to a share per peer, and
// what does not fit is dropped. Nothing here ever waits for a peer.
#pragma once

#include <sys/types.h>

#include <cstddef>

#include "ipc/endpoint.h"

namespace plat::ipc {

// mayQueue false: what the peer's queue can't take at once is not kept (kFull).
Delivery SendToPeer(pid_t peer, const void* header, size_t headerLength, const void* payload,
                    size_t payloadLength, bool mayQueue);
void DropLink(pid_t peer);  // the peer is gone: its waiting records with it

}  // namespace plat::ipc
