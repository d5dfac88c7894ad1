// setsockopt, getsockopt and ioctlsocket: WinSock's levels and names mapped to
// Linux's. Options are ints on both sides except the linger pair, which WinSock
// keeps in two u_shorts. SO_REUSEADDR and SO_ERROR are kept by the layer (see
// socket_setup.cc and socket_select.cc).
#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "net/held_datagram.h"
#include "net/net_errors.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"

namespace plat::net {

namespace {

struct OptionName {
  int level;
  int name;
  int osLevel;
  int osName;
};

constexpr OptionName kOptions[] = {
    {ws::kSolSocket, ws::kSoAcceptConn, SOL_SOCKET, SO_ACCEPTCONN},
    {ws::kSolSocket, ws::kSoKeepAlive, SOL_SOCKET, SO_KEEPALIVE},
    {ws::kSolSocket, ws::kSoDontRoute, SOL_SOCKET, SO_DONTROUTE},
    {ws::kSolSocket, ws::kSoBroadcast, SOL_SOCKET, SO_BROADCAST},
    {ws::kSolSocket, ws::kSoOobInline, SOL_SOCKET, SO_OOBINLINE},
    {ws::kSolSocket, ws::kSoSndBuf, SOL_SOCKET, SO_SNDBUF},
    {ws::kSolSocket, ws::kSoRcvBuf, SOL_SOCKET, SO_RCVBUF},
    {ws::kIpProtoTcp, ws::kTcpNoDelay, IPPROTO_TCP, TCP_NODELAY},
};

const OptionName* FindOption(int level, int name) {
  for (const OptionName& o : kOptions) {
    if (o.level == level && o.name == name) return &o;
  }
  return nullptr;
}

bool KnownLevel(int level) {
  return level == ws::kSolSocket || level == ws::kIpProtoTcp;
}

int SetLinger(int fd, bool on, int seconds) {
  ::linger l{on ? 1 : 0, seconds};
  return setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : FailErrno(errno);
}

int ReturnInt(int value, char* out, int* length) {
  if (!out || !length || *length < (int)sizeof(int)) return FailErrno(EFAULT);
  memcpy(out, &value, sizeof value);
  *length = (int)sizeof value;
  return 0;
}

// The pending error of the socket: a failed non-blocking connect seen by select
// first, then whatever Linux holds. Reading it clears it, on both systems.
int PendingError(SocketRecord& r) {
  int error = r.connectError;
  r.connectError = 0;
  if (error == 0) {
    socklen_t len = sizeof error;
    getsockopt(r.fd, SOL_SOCKET, SO_ERROR, &error, &len);
  }
  return error == 0 ? 0 : WsaErrorFromErrno(error);
}

}  // namespace

int SetOption(ws::Socket s, int level, int name, const char* value, int length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (!KnownLevel(level)) return FailErrno(EINVAL);
  if (level == ws::kSolSocket && name == ws::kSoLinger) {
    if (!value || length < (int)sizeof(ws::Linger)) return FailErrno(EFAULT);
    ws::Linger l;
    memcpy(&l, value, sizeof l);
    return SetLinger(r->fd, l.onoff != 0, l.seconds);
  }
  if (!value || length < (int)sizeof(int)) return FailErrno(EFAULT);
  int v;
  memcpy(&v, value, sizeof v);
  if (level == ws::kSolSocket && name == ws::kSoDontLinger) return SetLinger(r->fd, v == 0, 0);
  if (level == ws::kSolSocket && name == ws::kSoReuseAddr) {
    r->reuseAddress = v != 0;
    // Stream sockets hold the option already; a datagram socket gets what it asks for.
    if (r->type == ws::kSockDgram) setsockopt(r->fd, SOL_SOCKET, SO_REUSEADDR, &v, sizeof v);
    return 0;
  }
  const OptionName* o = FindOption(level, name);
  if (!o || o->osName == SO_ACCEPTCONN) return FailErrno(ENOPROTOOPT);
  return setsockopt(r->fd, o->osLevel, o->osName, &v, sizeof v) == 0 ? 0 : FailErrno(errno);
}

int GetOption(ws::Socket s, int level, int name, char* value, int* length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (!KnownLevel(level)) return FailErrno(EINVAL);
  if (level == ws::kSolSocket) {
    if (name == ws::kSoReuseAddr) return ReturnInt(r->reuseAddress, value, length);
    if (name == ws::kSoError) return ReturnInt(PendingError(*r), value, length);
    if (name == ws::kSoType) return ReturnInt(r->type, value, length);
    if (name == ws::kSoLinger || name == ws::kSoDontLinger) {
      ::linger l{};
      socklen_t len = sizeof l;
      if (getsockopt(r->fd, SOL_SOCKET, SO_LINGER, &l, &len) != 0) return FailErrno(errno);
      if (name == ws::kSoDontLinger) return ReturnInt(!l.l_onoff, value, length);
      if (!value || !length || *length < (int)sizeof(ws::Linger)) return FailErrno(EFAULT);
      ws::Linger out{(uint16_t)(l.l_onoff ? 1 : 0), (uint16_t)l.l_linger};
      memcpy(value, &out, sizeof out);
      *length = (int)sizeof out;
      return 0;
    }
  }
  const OptionName* o = FindOption(level, name);
  if (!o) return FailErrno(ENOPROTOOPT);
  int v = 0;
  socklen_t len = sizeof v;
  if (getsockopt(r->fd, o->osLevel, o->osName, &v, &len) != 0) return FailErrno(errno);
  return ReturnInt(v, value, length);
}

int Ioctl(ws::Socket s, long command, unsigned long* argument) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (!argument) return FailErrno(EFAULT);
  if (command == ws::kFionbio) {
    // WSAAsyncSelect needs the socket non-blocking; WinSock refuses to undo that.
    if (*argument == 0 && r->events) return FailErrno(EINVAL);
    r->nonBlocking = *argument != 0;
    return 0;
  }
  if (command == ws::kFionread) {
    if (r->HasHeld()) {
      *argument = (unsigned long)r->held->length;
      return 0;
    }
    int n = 0;
    if (ioctl(r->fd, FIONREAD, &n) != 0) return FailErrno(errno);
    *argument = (unsigned long)n;
    return 0;
  }
  return FailErrno(EINVAL);
}

}  // namespace plat::net
