// The sockets this process opened through WinSock, by descriptor number. A
// SOCKET names a socket exactly while its descriptor is in the table, so a stale
// or foreign number is never closed, polled or read. A record may vanish during
// any wait (a window procedure can close the socket), so callers look it up
// again afterwards instead of keeping the pointer.
#pragma once

#include <memory>
#include <vector>

#include "net/ws_constants.h"
#include "platform/windef.h"

namespace plat::net {

struct HeldDatagram;  // socket_calls.h; kept out of this header, which the API's file sees

struct SocketRecord {
  int fd = -1;
  int type = 0;               // ws::kSockStream or ws::kSockDgram
  bool nonBlocking = false;   // the program's mode; the descriptor is O_NONBLOCK anyway
  bool reuseAddress = false;  // SO_REUSEADDR as the program set it
  bool connecting = false;    // a non-blocking connect not yet seen to end
  int connectError = 0;       // errno of a non-blocking connect that failed, for SO_ERROR
  bool sendShut = false;      // shutdown of the sending side, to tell EPIPE's two causes apart
  bool listening = false;
  HWND window = nullptr;  // WSAAsyncSelect registration
  UINT message = 0;
  long events = 0;
  bool readEnded = false;      // recv saw the end of the stream: no further FD_READ
  bool closeNotified = false;  // FD_CLOSE was posted: nothing further
  // A datagram read ahead for a socket with FD_READ notifications (see async_select).
  std::shared_ptr<HeldDatagram> held;
  bool HasHeld() const;
};

SocketRecord* FindSocket(ws::Socket s);
SocketRecord* LookupSocket(ws::Socket s);  // as FindSocket, setting WSAENOTSOCK when unknown
SocketRecord& AddSocket(int fd, int type);
void RemoveSocket(int fd);
std::vector<int> OpenSockets();

}  // namespace plat::net
