// Records are checked before anything is done with them: the kernel's credentials
// must name this user and the process the record claims, the header must be whole
// and the payload exactly as long as it says. Anything else is dropped.
#include "ipc/endpoint.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "ipc/dde_carriage.h"
#include "ipc/desktop.h"
#include "ipc/message_crossing.h"
#include "platform/dde.h"
#include "platform/winuser.h"
#include "win/reactor.h"
#include "win/remote_windows.h"
#include "win/window_table.h"

namespace plat::ipc {

namespace {

constexpr int kAliveCheckMs = 200;
constexpr size_t kMaxRecord = sizeof(RecordHeader) + kMaxPayload;

int endpointFd = -1;
uint64_t nextSerial = 1;

struct Answer {
  bool arrived = false;
  LRESULT result = 0;
  std::vector<unsigned char> payload;
};
std::map<uint64_t, Answer> awaited;  // serials of this process's sends still waiting

bool AddressOf(pid_t pid, sockaddr_un* address) {
  std::string path = EndpointPath(pid);
  if (path.size() >= sizeof address->sun_path) return false;
  memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool Reply(pid_t pid, uint64_t serial, LRESULT result, const std::string* text = nullptr) {
  RecordHeader reply = NewRecord(kReply, nullptr, 0, 0, result);
  reply.serial = serial;
  if (text) reply.payloadLength = (uint32_t)text->size();
  return SendRecord(pid, reply, text ? text->data() : nullptr);
}

void HandleSend(const RecordHeader& r, const unsigned char* payload) {
  HWND hwnd = (HWND)(uintptr_t)r.hwnd;
  LRESULT result = 0;
  std::string text;
  if (IsWindow(hwnd) && plat::win::IsLocalHandle(hwnd)) {
    plat::win::EnterRemoteSend();
    switch (HowItCrosses(r.message, false)) {
      case Crossing::kRaw:
        result = SendMessage(hwnd, r.message, r.wParam, r.lParam);
        break;
      case Crossing::kSetText:
        text.assign((const char*)payload, r.payloadLength);
        result = SendMessage(hwnd, r.message, 0, (LPARAM)text.c_str());
        text.clear();
        break;
      case Crossing::kGetText: {
        size_t size = r.wParam < kMaxPayload ? r.wParam : kMaxPayload;
        text.assign(size + 1, '\0');
        result = SendMessage(hwnd, r.message, size, (LPARAM)text.data());
        text.resize(result > 0 ? (size_t)result : 0);
        break;
      }
      default:
        break;  // not something that crosses
    }
    plat::win::LeaveRemoteSend();
  }
  if (r.message == WM_DDE_TERMINATE) TerminateIn((pid_t)r.senderPid);
  Reply((pid_t)r.senderPid, r.serial, result, r.message == WM_GETTEXT ? &text : nullptr);
}

void HandlePost(const RecordHeader& r, const unsigned char* payload) {
  HWND hwnd = (HWND)(uintptr_t)r.hwnd;
  if (!IsWindow(hwnd) || !plat::win::IsLocalHandle(hwnd)) return;
  LPARAM lParam = r.lParam;
  switch (HowItCrosses(r.message, true)) {
    case Crossing::kRaw:
      break;
    case Crossing::kLendBlock:
      if ((r.flags & kHasBlock) && !ReceiveBlock(r, payload, &lParam)) return;
      break;
    case Crossing::kAcknowledge:
      AcknowledgeIn(r);
      break;
    default:
      return;
  }
  if (r.message == WM_DDE_TERMINATE) TerminateIn((pid_t)r.senderPid);
  PostMessage(hwnd, r.message, r.wParam, lParam);
}

void Handle(const RecordHeader& r, const unsigned char* payload) {
  switch (r.kind) {
    case kPost:
      HandlePost(r, payload);
      break;
    case kSend:
      HandleSend(r, payload);
      break;
    case kReply: {
      auto it = awaited.find(r.serial);
      if (it == awaited.end()) break;  // the sender stopped waiting
      it->second.arrived = true;
      it->second.result = r.lParam;
      it->second.payload.assign(payload, payload + r.payloadLength);
      break;
    }
    case kActivate:
      if (plat::win::IsLocalHandle((HWND)(uintptr_t)r.hwnd))
        SetForegroundWindow((HWND)(uintptr_t)r.hwnd);
      break;
    case kQuery:
      Reply((pid_t)r.senderPid, r.serial, IsWindow((HWND)(uintptr_t)r.hwnd));
      break;
  }
}

bool Valid(const RecordHeader& r, ssize_t length, const ucred* credentials) {
  if (length < (ssize_t)sizeof r || r.magic != kRecordMagic || r.version != kRecordVersion)
    return false;
  if ((size_t)length != sizeof r + r.payloadLength) return false;
  // Another user can't reach the directory; the kernel's word settles the rest.
  return credentials && credentials->uid == geteuid() && credentials->pid == (pid_t)r.senderPid;
}

// One record per call: the reactor polls level-triggered and calls again while more
// wait, which spares the empty read that ends a draining loop in the common case.
void ReceiveRecord() {
  static std::vector<unsigned char> buffer(kMaxRecord);
  {
    iovec io{buffer.data(), buffer.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = recvmsg(endpointFd, &message, MSG_DONTWAIT);
    if (n < 0) return;  // drained (or the socket went away)
    const ucred* credentials = nullptr;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS)
        credentials = (const ucred*)CMSG_DATA(c);
    }
    RecordHeader header;
    if (n >= (ssize_t)sizeof header) memcpy(&header, buffer.data(), sizeof header);
    if ((message.msg_flags & MSG_TRUNC) || !Valid(header, n, credentials)) return;
    // Handling may wait again and so reenter here: copy what this record needs.
    std::vector<unsigned char> payload(buffer.begin() + sizeof header, buffer.begin() + n);
    Handle(header, payload.data());
  }
}

}  // namespace

RecordHeader NewRecord(RecordKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  RecordHeader r{};
  r.magic = kRecordMagic;
  r.version = kRecordVersion;
  r.kind = kind;
  r.senderPid = (uint32_t)getpid();
  r.hwnd = (uint64_t)(uintptr_t)hwnd;
  r.message = message;
  r.wParam = wParam;
  r.lParam = lParam;
  return r;
}

bool OpenEndpoint() {
  sockaddr_un address;
  if (!AddressOf(getpid(), &address)) {
    errno = ENAMETOOLONG;
    return false;
  }
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  unlink(address.sun_path);  // left by a former process with this pid
  int on = 1;
  // A peer that does not drain its queue for a second is hung: give up on it then.
  timeval patience{1, 0};
  if (bind(fd, (sockaddr*)&address, sizeof address) != 0 ||
      setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
      setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience) != 0) {
    close(fd);
    return false;
  }
  chmod(address.sun_path, 0600);
  endpointFd = fd;
  plat::win::TheReactor().Watch(fd, POLLIN, [](short) { ReceiveRecord(); });
  static std::string path = address.sun_path;
  atexit([] { unlink(path.c_str()); });
  return true;
}

bool SendRecord(pid_t pid, RecordHeader header, const void* payload) {
  sockaddr_un address;
  if (endpointFd < 0 || !AddressOf(pid, &address)) return false;
  iovec io[2] = {{&header, sizeof header}, {const_cast<void*>(payload), header.payloadLength}};
  msghdr message{};
  message.msg_name = &address;
  message.msg_namelen = sizeof address;
  message.msg_iov = io;
  message.msg_iovlen = header.payloadLength ? 2 : 1;
  return sendmsg(endpointFd, &message, MSG_NOSIGNAL) ==
         (ssize_t)(sizeof header + header.payloadLength);
}

LRESULT SendAndWait(pid_t pid, RecordHeader header, const void* payload) {
  header.serial = nextSerial++;
  awaited[header.serial] = Answer{};
  if (!SendRecord(pid, header, payload)) {
    awaited.erase(header.serial);
    return 0;
  }
  while (!awaited[header.serial].arrived) {
    plat::win::TheReactor().Wait(kAliveCheckMs);
    if (!awaited[header.serial].arrived && !EndpointAlive(pid)) break;
  }
  Answer answer = std::move(awaited[header.serial]);
  awaited.erase(header.serial);
  if (header.message == WM_GETTEXT && header.kind == kSend && answer.arrived) {
    // The caller's buffer is in this process: the text comes back in the reply.
    char* buffer = (char*)(uintptr_t)header.lParam;
    size_t size = header.wParam;
    size_t n = answer.payload.size() < size ? answer.payload.size() : (size ? size - 1 : 0);
    if (size) {
      memcpy(buffer, answer.payload.data(), n);
      buffer[n] = 0;
    }
    return (LRESULT)n;
  }
  return answer.result;
}

}  // namespace plat::ipc
