// The seam through which the window core reaches windows of other processes on
// the same desktop. The cross-process layer installs an implementation; without
// one, a process sees only its own windows.
#pragma once

#include "platform/windef.h"

namespace plat::win {

class RemoteWindows {
 public:
  virtual ~RemoteWindows() = default;

  // Top-level windows of this process become findable by class, and stop being.
  virtual void Publish(HWND hwnd, const char* className) = 0;
  virtual void Withdraw(HWND hwnd) = 0;

  // A live top-level window of another process with this class (and title, when given).
  virtual HWND Find(const char* className, const char* title) = 0;
  virtual bool Exists(HWND hwnd) = 0;
  virtual BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Waits at most timeoutMs for the answer while serving messages sent to this
  // process meanwhile; FALSE (with the last error set) when none came.
  virtual BOOL Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                    UINT timeoutMs, LRESULT* result) = 0;
  // Asks the owning process to bring its window to the front.
  virtual BOOL Activate(HWND hwnd) = 0;
};

void InstallRemoteWindows(RemoteWindows* remote);
RemoteWindows* Remote();  // none when not installed

// Brackets the handling of a message another process sent (what InSendMessage reports).
void EnterRemoteSend();
void LeaveRemoteSend();

}  // namespace plat::win
