// Waits are keyed by serial in a map, whose entries stay put while nested waits
// add theirs. Win32 stops nested inter-thread sends at 64 levels; so do we, which
// keeps two processes bouncing a message from growing each other's stacks.
#include "ipc/send_wait.h"

#include <errno.h>

#include <map>
#include <utility>

#include "ipc/desktop.h"
#include "ipc/endpoint.h"
#include "ipc/peers.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/message_queue.h"
#include "win/reactor.h"

namespace plat::ipc {

namespace {

constexpr int kMaxNestedSends = 64;
constexpr uint64_t kAliveCheckMs = 200;  // for a peer without a pidfd

struct Wait {
  pid_t peer = 0;
  bool arrived = false;
  bool gone = false;
  LRESULT result = 0;
  std::vector<unsigned char> payload;
};

std::map<uint64_t, Wait> waits;
uint64_t nextSerial = 1;
int depth = 0;

DWORD ErrorOfPoll(int error) {
  return error == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_GEN_FAILURE;
}

}  // namespace

BOOL SendAndWait(pid_t pid, RecordHeader header, const void* payload, UINT flags, UINT timeoutMs,
                 LRESULT* result, std::vector<unsigned char>* answer) {
  *result = 0;
  if (depth >= kMaxNestedSends) {
    SetLastError(ERROR_STACK_OVERFLOW);
    return FALSE;
  }
  bool abortIfHung = (flags & SMTO_ABORTIFHUNG) != 0;
  if (abortIfHung && Unanswering(pid)) {
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  uint64_t serial = header.serial = nextSerial++;
  waits[serial].peer = pid;
  Delivery delivery = SendRecord(pid, header, payload, !abortIfHung);
  if (delivery != Delivery::kSent && delivery != Delivery::kQueued) {
    waits.erase(serial);
    // A peer that does not read is as hung as it gets.
    SetLastError(delivery == Delivery::kFull ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Its end ends the wait at once; unwatched, it is looked for now and then.
  bool watched = WatchPeer(pid);
  uint64_t deadline = plat::win::NowMicroseconds() + (uint64_t)timeoutMs * 1000;
  DWORD error = ERROR_TIMEOUT;
  depth++;
  for (;;) {
    const Wait& w = waits[serial];
    if (w.arrived || w.gone) break;
    uint64_t now = plat::win::NowMicroseconds();
    if (now >= deadline) break;
    // Rounded up: a wait that ended before the deadline would only come back here.
    uint64_t left = (deadline - now + 999) / 1000;
    if (!watched && left > kAliveCheckMs) left = kAliveCheckMs;
    if (plat::win::TheReactor().Wait((int)(left > 0x7FFFFFFF ? 0x7FFFFFFF : left)) < 0) {
      error = ErrorOfPoll(errno);
      break;
    }
    if (!watched && !waits[serial].arrived && !EndpointAlive(pid)) waits[serial].gone = true;
  }
  depth--;
  Wait done = std::move(waits[serial]);
  waits.erase(serial);
  if (done.arrived) {
    *result = done.result;
    if (answer) *answer = std::move(done.payload);
    return TRUE;
  }
  if (done.gone) {
    error = ERROR_INVALID_WINDOW_HANDLE;
  } else if (error == ERROR_TIMEOUT) {
    MarkUnanswering(pid, serial);
  }
  SetLastError(error);
  return FALSE;
}

void AnswerArrived(const RecordHeader& reply, const unsigned char* payload) {
  AnsweredBy((pid_t)reply.senderPid, reply.serial);
  auto it = waits.find(reply.serial);
  // Only the process that was asked may answer; a late answer finds nobody waiting.
  if (it == waits.end() || it->second.peer != (pid_t)reply.senderPid) return;
  it->second.arrived = true;
  it->second.result = reply.lParam;
  it->second.payload.assign(payload, payload + reply.payloadLength);
}

void FailWaitsFor(pid_t pid) {
  for (auto& [serial, w] : waits) {
    if (w.peer == pid) w.gone = true;
  }
}

}  // namespace plat::ipc
