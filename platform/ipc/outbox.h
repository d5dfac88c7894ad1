// Records for a peer whose queue is full wait here, in order, up to a share per
// peer; what does not fit is dropped. Nothing here ever waits: the outbox flushes
// when poll says the peer has made room.
#pragma once

#include <sys/types.h>
#include <sys/un.h>

#include <vector>

#include "ipc/endpoint.h"

namespace plat::ipc {

bool HasOutbox(pid_t peer);
Delivery QueueRecord(pid_t peer, const sockaddr_un& address, std::vector<unsigned char> record);
void DropOutbox(pid_t peer);  // the peer is gone: its records with it

}  // namespace plat::ipc
