// Sent records are answered at once, even when the window is gone (0), so the
// sender never waits out its time-out for nothing. Replies and posts are never
// waited on; a reply the sender's queue can't take is lost, as the sender is
// not reading.
#include "ipc/record_handlers.h"

#include <string.h>

#include <string>

#include "ipc/dde_carriage.h"
#include "ipc/endpoint.h"
#include "ipc/message_crossing.h"
#include "ipc/send_wait.h"
#include "platform/dde.h"
#include "platform/winuser.h"
#include "win/remote_windows.h"
#include "win/window_table.h"

namespace plat::ipc {

namespace {

HWND LocalWindow(uint64_t value) {
  HWND hwnd = (HWND)(uintptr_t)value;
  return plat::win::FindWindowRecord(hwnd) ? hwnd : nullptr;
}

void Reply(pid_t pid, uint64_t serial, LRESULT result, const std::string* text = nullptr) {
  RecordHeader reply = NewRecord(kReply, nullptr, 0, 0, result);
  reply.serial = serial;
  if (text) reply.payloadLength = (uint32_t)text->size();
  SendRecord(pid, reply, text ? text->data() : nullptr);
}

// The text goes back cut to the asker's buffer whatever the procedure answered:
// a count larger than what it copied, or than the buffer, is not believed.
LRESULT GetTextFor(HWND hwnd, uint64_t bufferSize, std::string* text) {
  size_t size = bufferSize < kMaxPayload ? (size_t)bufferSize : kMaxPayload;
  text->assign(size + 1, '\0');
  LRESULT claimed = SendMessage(hwnd, WM_GETTEXT, size, (LPARAM)text->data());
  size_t copied = size ? strnlen(text->data(), size - 1) : 0;
  if (claimed >= 0 && (size_t)claimed < copied) copied = (size_t)claimed;
  text->resize(copied);
  return (LRESULT)copied;
}

void HandleSend(const RecordHeader& r, const unsigned char* payload) {
  HWND hwnd = LocalWindow(r.hwnd);
  pid_t sender = (pid_t)r.senderPid;
  LRESULT result = 0;
  std::string text;
  Crossing crossing = HowItCrosses(r.message, false);
  if (hwnd) {
    plat::win::EnterRemoteSend();
    switch (crossing) {
      case Crossing::kRaw:
        result = SendMessage(hwnd, r.message, r.wParam, r.lParam);
        break;
      case Crossing::kSetText:
        text.assign((const char*)payload, strnlen((const char*)payload, r.payloadLength));
        result = SendMessage(hwnd, r.message, 0, (LPARAM)text.c_str());
        text.clear();
        break;
      case Crossing::kGetText:
        result = GetTextFor(hwnd, r.wParam, &text);
        break;
      case Crossing::kInitiateAnswer:
        result = SendMessage(hwnd, r.message, InitiateAnswerIn(r), r.lParam);
        break;
      default:
        break;  // not something that crosses
    }
    plat::win::LeaveRemoteSend();
  }
  if (r.message == WM_DDE_TERMINATE) TerminateIn(sender);
  Reply(sender, r.serial, result, crossing == Crossing::kGetText ? &text : nullptr);
}

void HandlePost(const RecordHeader& r, const unsigned char* payload) {
  HWND hwnd = LocalWindow(r.hwnd);
  pid_t sender = (pid_t)r.senderPid;
  if (r.message == WM_DDE_TERMINATE) TerminateIn(sender);
  if (!hwnd) return;
  WPARAM wParam = r.wParam;
  LPARAM lParam = r.lParam;
  bool withBlock = false;
  switch (HowItCrosses(r.message, true)) {
    case Crossing::kRaw:
      break;
    case Crossing::kLendBlock:
      if (!ReceiveBlock(r, payload, &lParam)) return;
      withBlock = true;
      break;
    case Crossing::kAcknowledge:
      wParam = AcknowledgeIn(r);
      break;
    default:
      return;
  }
  if (!PostMessage(hwnd, r.message, wParam, lParam) && withBlock) ForgetReceived(sender, lParam);
}

}  // namespace

void HandleRecord(const RecordHeader& r, const unsigned char* payload) {
  switch (r.kind) {
    case kPost:
      HandlePost(r, payload);
      break;
    case kSend:
      HandleSend(r, payload);
      break;
    case kReply:
      AnswerArrived(r, payload);
      break;
    case kActivate:
      if (HWND hwnd = LocalWindow(r.hwnd)) SetForegroundWindow(hwnd);
      break;
    case kQuery:
      Reply((pid_t)r.senderPid, r.serial, LocalWindow(r.hwnd) != nullptr);
      break;
  }
}

}  // namespace plat::ipc
