// The window core's view of other processes' windows, over the endpoint records.
// Questions the layer asks on its own behalf (is this window alive, what is its
// title) wait less than a program's send, and not at all for a peer that is hung.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ipc/dde_carriage.h"
#include "ipc/desktop.h"
#include "ipc/endpoint.h"
#include "ipc/message_crossing.h"
#include "ipc/send_wait.h"
#include "ipc/window_registry.h"
#include "platform/dde.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/remote_windows.h"

namespace plat::ipc {

namespace {

// A live peer answers a query from its endpoint, without running a window procedure.
constexpr UINT kQueryBoundMs = 1000;

class DesktopWindows : public plat::win::RemoteWindows {
 public:
  void Publish(HWND hwnd, const char* className) override { PublishWindow(hwnd, className); }
  void Withdraw(HWND hwnd) override { WithdrawWindow(hwnd); }

  HWND Find(const char* className, const char* title) override {
    return FindPublishedWindow(className,
                               [&](HWND hwnd) { return !title || TitleOf(hwnd) == title; });
  }

  // A peer too busy to answer in time still has its windows while it lives.
  bool Exists(HWND hwnd) override {
    LRESULT alive = 0;
    if (SendAndWait(OwnerOf(hwnd), NewRecord(kQuery, hwnd, 0, 0, 0), nullptr, SMTO_ABORTIFHUNG,
                    kQueryBoundMs, &alive))
      return alive != 0;
    return GetLastError() == ERROR_TIMEOUT && EndpointAlive(OwnerOf(hwnd));
  }

  BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    pid_t peer = OwnerOf(hwnd);
    RecordHeader record = NewRecord(kPost, hwnd, message, wParam, lParam);
    std::vector<unsigned char> payload;
    switch (HowItCrosses(message, true)) {
      case Crossing::kRaw:
        break;
      case Crossing::kLendBlock:
        if (!LendBlock(peer, &record, &payload)) return FALSE;
        break;
      case Crossing::kAcknowledge:
        AcknowledgeOut(peer, &record);
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    record.payloadLength = (uint32_t)payload.size();
    if (message == WM_DDE_TERMINATE) TerminateOut(peer);
    switch (SendRecord(peer, record, payload.data())) {
      case Delivery::kSent:
      case Delivery::kQueued:
        Lent(peer, record);
        return TRUE;
      case Delivery::kFull:
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);  // as when a Win32 queue is full
        return FALSE;
      default:
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
  }

  BOOL Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
            LRESULT* result) override {
    *result = 0;
    pid_t peer = OwnerOf(hwnd);
    RecordHeader record = NewRecord(kSend, hwnd, message, wParam, lParam);
    std::string text;
    Crossing crossing = HowItCrosses(message, false);
    switch (crossing) {
      case Crossing::kRaw:
      case Crossing::kInitiateAnswer:
        break;
      case Crossing::kGetText:
        // The caller's buffer is in this process: the text comes back in the reply.
        if (wParam && lParam) *(char*)lParam = 0;
        break;
      case Crossing::kSetText:
        text = lParam ? (const char*)lParam : "";
        if (text.size() > kMaxPayload) text.resize(kMaxPayload);
        record.payloadLength = (uint32_t)text.size();
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (message == WM_DDE_TERMINATE) TerminateOut(peer);
    std::vector<unsigned char> answer;
    if (!SendAndWait(peer, record, text.data(), flags, timeoutMs, result, &answer)) return FALSE;
    if (crossing == Crossing::kGetText) {
      char* buffer = (char*)lParam;
      size_t n = wParam && buffer ? std::min(answer.size(), (size_t)wParam - 1) : 0;
      if (n) memcpy(buffer, answer.data(), n);
      if (wParam && buffer) buffer[n] = 0;
      *result = (LRESULT)n;
    }
    return TRUE;
  }

  BOOL Activate(HWND hwnd) override {
    Delivery delivery = SendRecord(OwnerOf(hwnd), NewRecord(kActivate, hwnd, 0, 0, 0));
    return delivery == Delivery::kSent || delivery == Delivery::kQueued;
  }

 private:
  std::string TitleOf(HWND hwnd) {
    char title[256] = {};
    LRESULT length = 0;
    Send(hwnd, WM_GETTEXT, sizeof title, (LPARAM)title, SMTO_ABORTIFHUNG, kQueryBoundMs, &length);
    return title;
  }
};

}  // namespace

void InstallRemote() {
  static DesktopWindows windows;
  plat::win::InstallRemoteWindows(&windows);
}

}  // namespace plat::ipc
