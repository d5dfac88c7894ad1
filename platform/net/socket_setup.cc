// Creating, naming, connecting and closing sockets. Descriptors are always
// O_NONBLOCK; a socket in blocking mode waits through BlockingCall instead, so
// the program's messages keep flowing and WSACancelBlockingCall can end the wait.
//
// SO_REUSEADDR follows WinSock: the option on the socket being bound alone lets
// it share a port. Linux wants it on both sockets, so every stream socket holds
// it, except while a socket whose program did not ask for it is being bound.
#include <errno.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

#include "net/blocking_call.h"
#include "net/net_errors.h"
#include "net/sockaddr_io.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"

namespace plat::net {

namespace {

void SetReuse(int fd, int on) {
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

ws::Socket FailSocket(int error) {
  FailErrno(error);
  return ws::kInvalidSocket;
}

bool IsBound(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  return getsockname(fd, (sockaddr*)&a, &len) == 0 && (a.sin_port != 0 || a.sin_addr.s_addr != 0);
}

ws::Socket Register(int fd, int type) {
  if (type == ws::kSockStream) SetReuse(fd, 1);
  AddSocket(fd, type);
  return (ws::Socket)fd;
}

// getsockname or getpeername into a WinSock address. An unbound socket has no
// name in WinSock (WSAEINVAL), where Linux would answer 0.0.0.0:0.
int ReadName(ws::Socket s, int (*call)(int, sockaddr*, socklen_t*), void* address, int* length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (!address) return FailErrno(EFAULT);
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (call(r->fd, (sockaddr*)&a, &len) != 0) return FailErrno(errno);
  if (a.sin_port == 0 && a.sin_addr.s_addr == 0) return FailErrno(EINVAL);
  int error = WriteAddress(a, address, length);
  return error ? FailErrno(error) : 0;
}

}  // namespace

ws::Socket OpenSocket(int af, int type, int protocol) {
  if (af != ws::kAfInet) return FailSocket(EAFNOSUPPORT);
  if (type != ws::kSockStream && type != ws::kSockDgram) return FailSocket(ESOCKTNOSUPPORT);
  int own = type == ws::kSockStream ? ws::kIpProtoTcp : ws::kIpProtoUdp;
  if (protocol != 0 && protocol != own) return FailSocket(EPROTONOSUPPORT);
  int osType = type == ws::kSockStream ? SOCK_STREAM : SOCK_DGRAM;
  int fd = socket(AF_INET, osType | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
  if (fd < 0) return FailSocket(errno);
  return Register(fd, type);
}

int CloseSocket(ws::Socket s) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  int fd = r->fd;
  StopNotifications(fd);
  CancelWaitsOnSocket(fd);
  RemoveSocket(fd);
  // Linux closes the descriptor even when close reports an error.
  return close(fd) == 0 || errno == EINTR ? 0 : FailErrno(errno);
}

int Bind(ws::Socket s, const void* address, int length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  sockaddr_in a;
  if (int error = ReadAddress(address, length, &a)) return FailErrno(error);
  bool lend = r->type == ws::kSockStream && !r->reuseAddress;
  if (lend) SetReuse(r->fd, 0);
  int rc = bind(r->fd, (const sockaddr*)&a, sizeof a);
  int error = errno;
  if (lend) SetReuse(r->fd, 1);
  return rc == 0 ? 0 : FailErrno(error);
}

int Listen(ws::Socket s, int backlog) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (r->type != ws::kSockStream) return FailErrno(EOPNOTSUPP);
  if (!IsBound(r->fd)) return FailErrno(EINVAL);  // Linux would pick a port; WinSock refuses
  if (listen(r->fd, backlog < 1 ? 1 : backlog) != 0) return FailErrno(errno);
  r->listening = true;
  RearmNotification(r->fd, ws::kFdAccept);  // FD_ACCEPT may have been asked for before listen
  return 0;
}

ws::Socket Accept(ws::Socket s, void* address, int* length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kInvalidSocket;
  if (address && (!length || *length < (int)sizeof(sockaddr_in))) return FailSocket(EFAULT);
  int fd = r->fd;
  std::optional<BlockingCall> call;
  if (!r->nonBlocking && !call.emplace().Entered()) return ws::kInvalidSocket;
  for (;;) {
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    int c = accept4(fd, (sockaddr*)&peer, &peerLength, SOCK_NONBLOCK | SOCK_CLOEXEC);
    int error = errno;
    RearmNotification(fd, ws::kFdAccept);
    if (c >= 0) {
      SocketRecord* listener = FindSocket(s);
      Register(c, ws::kSockStream);
      if (listener) {
        // WinSock gives the new socket the listening socket's mode and notifications.
        FindSocket(c)->nonBlocking = listener->nonBlocking;
        if (listener->events) AsyncSelect(c, listener->window, listener->message, listener->events);
      }
      WriteAddress(peer, address, length);
      return (ws::Socket)c;
    }
    // A connection that was reset while queued is not the caller's business.
    if (error != EAGAIN && error != ECONNABORTED && error != EINTR) return FailSocket(error);
    if (!call) return FailSocket(EAGAIN);
    if (error != EINTR && WaitForSocket(*call, fd, POLLIN) != 0) return ws::kInvalidSocket;
  }
}

int Connect(ws::Socket s, const void* address, int length) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  sockaddr_in a;
  if (int error = ReadAddress(address, length, &a)) return FailErrno(error);
  if (r->type == ws::kSockStream && (a.sin_addr.s_addr == INADDR_ANY || a.sin_port == 0))
    return FailErrno(EADDRNOTAVAIL);
  int fd = r->fd;
  std::optional<BlockingCall> call;
  if (!r->nonBlocking && !call.emplace().Entered()) return ws::kSocketError;
  if (connect(fd, (const sockaddr*)&a, sizeof a) == 0) return 0;
  if (errno != EINPROGRESS) return FailErrno(errno);
  r->connecting = true;
  if (!call) return FailErrno(EAGAIN);  // WinSock's word for a connect under way
  if (WaitForSocket(*call, fd, POLLOUT) != 0) return ws::kSocketError;
  if ((r = FindSocket(s))) r->connecting = false;
  int error = 0;
  socklen_t errorLength = sizeof error;
  getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorLength);
  return error == 0 ? 0 : FailErrno(error);
}

int Shutdown(ws::Socket s, int how) {
  static constexpr int kHow[] = {SHUT_RD, SHUT_WR, SHUT_RDWR};
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (how < 0 || how > 2) return FailErrno(EINVAL);
  if (shutdown(r->fd, kHow[how]) != 0) return FailErrno(errno);
  if (how != 0) r->sendShut = true;
  return 0;
}

int LocalName(ws::Socket s, void* address, int* length) {
  return ReadName(s, getsockname, address, length);
}

int PeerName(ws::Socket s, void* address, int* length) {
  return ReadName(s, getpeername, address, length);
}

}  // namespace plat::net
