// Records are checked before anything is done with them: the kernel's credentials
// must name this user and the process the record claims, the header must be whole
// and the payload exactly as long as it says. Anything else is dropped.
#include "ipc/endpoint.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "ipc/peer_links.h"
#include "ipc/peers.h"
#include "ipc/record_handlers.h"
#include "ipc/system_calls.h"
#include "win/reactor.h"

namespace plat::ipc {

namespace {

constexpr size_t kMaxRecord = sizeof(RecordHeader) + kMaxPayload;

int endpointFd = -1;
// Asked once: getpid and geteuid are system calls, and every record checks both.
pid_t ownPid = 0;
uid_t ownUid = 0;

bool Valid(const RecordHeader& r, ssize_t length, const ucred* credentials) {
  if (length < (ssize_t)sizeof r || r.magic != kRecordMagic || r.version != kRecordVersion)
    return false;
  if ((size_t)length != sizeof r + r.payloadLength) return false;
  // Another user can't reach the directory; the kernel's word settles the rest.
  return credentials && credentials->uid == ownUid && credentials->pid == (pid_t)r.senderPid &&
         credentials->pid != ownPid;
}

// One record per call: the reactor polls level-triggered and calls again while more
// wait, which spares the empty read that ends a draining loop in the common case.
void ReceiveRecord() {
  static std::vector<unsigned char> buffer(kMaxRecord);
  iovec io{buffer.data(), buffer.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t n = Sys().recvmsg(endpointFd, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
  if (n < 0) return;  // drained, or a passing error: the record (if any) is read next time
  const ucred* credentials = nullptr;
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS &&
        c->cmsg_len >= CMSG_LEN(sizeof(ucred)))
      credentials = (const ucred*)CMSG_DATA(c);
  }
  RecordHeader header{};
  if (n >= (ssize_t)sizeof header) memcpy(&header, buffer.data(), sizeof header);
  if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) || !Valid(header, n, credentials)) return;
  // A sent record runs a window procedure, which may wait and so reenter here:
  // it gets a copy of its payload. Nothing else waits while it is handled.
  const unsigned char* payload = buffer.data() + sizeof header;
  if (header.kind != kSend) return HandleRecord(header, payload);
  std::vector<unsigned char> copy(payload, payload + header.payloadLength);
  HandleRecord(header, copy.data());
}

}  // namespace

RecordHeader NewRecord(RecordKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  RecordHeader r{};
  r.magic = kRecordMagic;
  r.version = kRecordVersion;
  r.kind = kind;
  r.senderPid = (uint32_t)ownPid;
  r.hwnd = (uint64_t)(uintptr_t)hwnd;
  r.message = message;
  r.wParam = wParam;
  r.lParam = lParam;
  return r;
}

bool OpenEndpoint() {
  ownPid = getpid();
  ownUid = geteuid();
  sockaddr_un address;
  if (!EndpointAddress(ownPid, &address)) {
    errno = ENAMETOOLONG;
    return false;
  }
  const SystemCalls& sys = Sys();
  std::string name = EndpointName(ownPid);
  int fd = sys.socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  sys.unlinkat(DesktopFd(), name.c_str(), 0);  // left by a former process with this pid
  int on = 1;
  if (sys.bind(fd, (sockaddr*)&address, sizeof address) != 0 ||
      sys.setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
      sys.fchmodat(DesktopFd(), name.c_str(), 0600, 0) != 0) {
    int error = errno;
    sys.unlinkat(DesktopFd(), name.c_str(), 0);
    sys.close(fd);
    errno = error;
    return false;
  }
  endpointFd = fd;
  plat::win::TheReactor().Watch(fd, POLLIN, [](short) { ReceiveRecord(); });
  static bool cleanupSet = false;
  if (!cleanupSet) {
    cleanupSet = true;
    atexit(CloseEndpoint);
  }
  return true;
}

void CloseEndpoint() {
  if (endpointFd < 0) return;
  plat::win::TheReactor().Unwatch(endpointFd);
  // Asked again: a forked child ending must not take its parent's endpoint.
  Sys().unlinkat(DesktopFd(), EndpointName(getpid()).c_str(), 0);
  Sys().close(endpointFd);
  endpointFd = -1;
}

Delivery SendRecord(pid_t pid, RecordHeader header, const void* payload, bool mayQueue) {
  if (endpointFd < 0) {
    errno = EINVAL;  // replies could not come back
    return Delivery::kFailed;
  }
  return SendToPeer(pid, &header, sizeof header, payload, header.payloadLength, mayQueue);
}

}  // namespace plat::ipc
