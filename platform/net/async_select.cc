// WSAAsyncSelect: the reactor watches the socket and posts one notification,
// then stops watching it until the program calls the function that re-enables
// that event (recv/recvfrom for FD_READ, accept for FD_ACCEPT). So at most one
// notification per socket is ever pending, and unread data is announced again.
#include <errno.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "net/held_datagram.h"
#include "net/net_errors.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"
#include "platform/winuser.h"
#include "win/reactor.h"

namespace plat::net {

namespace {

constexpr long kOffered = ws::kFdRead | ws::kFdAccept | ws::kFdClose;

short PollEvents(const SocketRecord& r) {
  if (r.listening) return (r.events & ws::kFdAccept) ? POLLIN : 0;
  if (r.closeNotified) return 0;
  short events = 0;
  if ((r.events & ws::kFdRead) && !r.readEnded) events |= POLLIN;
  if ((r.events & ws::kFdClose) && r.type == ws::kSockStream) events |= POLLRDHUP;
  return events;
}

// The peer has ended the stream and nothing is left to read before that end.
bool StreamClosed(int fd, short revents) {
  if (!(revents & (POLLRDHUP | POLLHUP | POLLERR))) return false;
  int pending = 0;
  return ioctl(fd, FIONREAD, &pending) != 0 || pending == 0;
}

void Notify(int fd, short revents) {
  SocketRecord* r = FindSocket(fd);
  if (!r || !r->events) {
    win::TheReactor().Unwatch(fd);
    return;
  }
  win::TheReactor().SetEvents(fd, 0);
  long event = 0;
  int error = 0;
  if (r->listening) {
    event = ws::kFdAccept;
  } else if ((r->events & ws::kFdClose) && r->type == ws::kSockStream &&
             StreamClosed(fd, revents)) {
    event = ws::kFdClose;
    socklen_t len = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
    r->closeNotified = true;
  } else if (r->events & ws::kFdRead) {
    event = ws::kFdRead;
  } else {
    return;
  }
  // A window that is gone gets nothing; the socket stays quiet until re-enabled.
  LPARAM reply = MAKELPARAM(event, error ? WsaErrorFromErrno(error) : 0);
  PostMessage(r->window, r->message, (WPARAM)fd, reply);
}

}  // namespace

int AsyncSelect(ws::Socket s, HWND hwnd, UINT message, long events) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (events & ~kOffered) return FailErrno(EINVAL);
  if (events && !IsWindow(hwnd)) return FailErrno(EINVAL);
  r->nonBlocking = true;  // and it stays so after a cancel, as in WinSock
  r->window = hwnd;
  r->message = message;
  r->events = events;
  r->closeNotified = false;
  if (!events) {
    StopNotifications(r->fd);
    return 0;
  }
  int fd = r->fd;
  win::TheReactor().Watch(fd, PollEvents(*r), [fd](short revents) { Notify(fd, revents); });
  return 0;
}

namespace {

// A busy datagram socket would cost a poll per datagram to learn that another one
// waits; reading it ahead answers the same question with the read the program
// makes next anyway. Only sockets that notify FD_READ read ahead.
bool ReadAhead(SocketRecord* r) {
  if (r->type != ws::kSockDgram || !(r->events & ws::kFdRead)) return false;
  if (r->HasHeld()) return true;
  if (!r->held) r->held = std::make_shared<HeldDatagram>();
  HeldDatagram& h = *r->held;
  iovec io{h.bytes, kHeldDatagramSize};
  msghdr m{};
  m.msg_name = &h.from;
  m.msg_namelen = sizeof h.from;
  m.msg_iov = &io;
  m.msg_iovlen = 1;
  ssize_t n = recvmsg(r->fd, &m, MSG_DONTWAIT | MSG_TRUNC);
  if (n < 0) return false;
  h.full = true;
  h.length = (size_t)n;
  return true;
}

}  // namespace

// A read also re-enables FD_CLOSE, which waits for the data before the end to be read.
void RearmNotification(int fd, long event) {
  SocketRecord* r = FindSocket(fd);
  if (event == ws::kFdRead) event |= ws::kFdClose;
  if (!r || !(r->events & event) || !win::TheReactor().IsWatched(fd)) return;
  if (event & ws::kFdRead && ReadAhead(r)) {
    PostMessage(r->window, r->message, (WPARAM)fd, MAKELPARAM(ws::kFdRead, 0));
    return;  // the socket stays unpolled: the held datagram is what is announced
  }
  win::TheReactor().SetEvents(fd, PollEvents(*r));
}

void StopNotifications(int fd) {
  win::TheReactor().Unwatch(fd);
}

}  // namespace plat::net
