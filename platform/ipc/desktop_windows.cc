// The window core's view of other processes' windows, over the endpoint records.
#include <string.h>

#include <string>
#include <vector>

#include "ipc/dde_carriage.h"
#include "ipc/endpoint.h"
#include "ipc/message_crossing.h"
#include "ipc/window_registry.h"
#include "platform/dde.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/remote_windows.h"

namespace plat::ipc {

namespace {

class DesktopWindows : public plat::win::RemoteWindows {
 public:
  void Publish(HWND hwnd, const char* className) override { PublishWindow(hwnd, className); }
  void Withdraw(HWND hwnd) override { WithdrawWindow(hwnd); }

  HWND Find(const char* className, const char* title) override {
    for (HWND hwnd : FindPublishedWindows(className)) {
      if (!title || TitleOf(hwnd) == title) return hwnd;
    }
    return nullptr;
  }

  bool Exists(HWND hwnd) override {
    return SendAndWait(OwnerOf(hwnd), NewRecord(kQuery, hwnd, 0, 0, 0)) != 0;
  }

  BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    pid_t peer = OwnerOf(hwnd);
    RecordHeader record = NewRecord(kPost, hwnd, message, wParam, lParam);
    std::vector<unsigned char> payload;
    switch (HowItCrosses(message, true)) {
      case Crossing::kRaw:
        break;
      case Crossing::kLendBlock:
        LendBlock(peer, &record, &payload);
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
    if (SendRecord(peer, record, payload.data())) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }

  LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    pid_t peer = OwnerOf(hwnd);
    RecordHeader record = NewRecord(kSend, hwnd, message, wParam, lParam);
    std::string text;
    switch (HowItCrosses(message, false)) {
      case Crossing::kRaw:
      case Crossing::kGetText:
        break;
      case Crossing::kSetText:
        text = lParam ? (const char*)lParam : "";
        record.payloadLength = (uint32_t)text.size();
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (message == WM_DDE_TERMINATE) TerminateOut(peer);
    return SendAndWait(peer, record, text.data());
  }

  BOOL Activate(HWND hwnd) override {
    return SendRecord(OwnerOf(hwnd), NewRecord(kActivate, hwnd, 0, 0, 0));
  }

 private:
  std::string TitleOf(HWND hwnd) {
    char title[256] = {};
    Send(hwnd, WM_GETTEXT, sizeof title, (LPARAM)title);
    return title;
  }
};

}  // namespace

void InstallRemote() {
  static DesktopWindows windows;
  plat::win::InstallRemoteWindows(&windows);
}

}  // namespace plat::ipc
