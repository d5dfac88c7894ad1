// Sending, posting, retrieving and dispatching messages, and timers.
// SendMessage to a window of this process is a direct call of its procedure;
// to a window of another process it goes through the cross-process layer.
#include <unistd.h>

#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/message_queue.h"
#include "win/remote_windows.h"
#include "win/window_table.h"

using plat::win::FindWindowRecord;
using plat::win::TheQueue;

namespace {

// Win32's threshold for a window that no longer answers: a plain SendMessage to
// another process gives up after it, so no peer holds this thread for longer.
constexpr UINT kRemoteSendBoundMs = 5000;

plat::win::RemoteWindows* remoteWindows = nullptr;
int remoteSendDepth = 0;

bool InvalidFilter(HWND filter) {
  if (!filter || filter == (HWND)-1 || FindWindowRecord(filter)) return false;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return true;
}

}  // namespace

namespace plat::win {

void InstallRemoteWindows(RemoteWindows* remote) {
  remoteWindows = remote;
}
RemoteWindows* Remote() {
  return remoteWindows;
}
void EnterRemoteSend() {
  remoteSendDepth++;
}
void LeaveRemoteSend() {
  remoteSendDepth--;
}

}  // namespace plat::win

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (plat::win::Window* w = FindWindowRecord(hwnd)) return w->proc(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  if (hwnd && !plat::win::IsLocalHandle(hwnd) && remoteWindows) {
    remoteWindows->Send(hwnd, message, wParam, lParam, SMTO_NORMAL, kRemoteSendBoundMs, &result);
    return result;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

LRESULT SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeoutMs, DWORD_PTR* result) {
  LRESULT answer = 0;
  BOOL answered = FALSE;
  if (plat::win::Window* w = FindWindowRecord(hwnd)) {
    answer = w->proc(hwnd, message, wParam, lParam);
    answered = TRUE;
  } else if (hwnd && !plat::win::IsLocalHandle(hwnd) && remoteWindows) {
    answered = remoteWindows->Send(hwnd, message, wParam, lParam, flags, timeoutMs, &answer);
  } else {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  }
  if (result) *result = answered ? (DWORD_PTR)answer : 0;
  return answered;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd || FindWindowRecord(hwnd)) return TheQueue().Post(hwnd, message, wParam, lParam);
  if (!plat::win::IsLocalHandle(hwnd) && remoteWindows)
    return remoteWindows->Post(hwnd, message, wParam, lParam);
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  if (threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TheQueue().Post(nullptr, message, wParam, lParam);
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg || InvalidFilter(hwnd)) return -1;
  bool pollFirst = true;
  while (!TheQueue().Peek(msg, hwnd, filterMin, filterMax, true, pollFirst)) {
    TheQueue().Wait(hwnd, filterMin, filterMax);
    pollFirst = false;  // the wait has just served every ready descriptor
  }
  TheQueue().lastMessageTime = msg->time;
  return msg->message != WM_QUIT;
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg || InvalidFilter(hwnd)) return FALSE;
  if (!TheQueue().Peek(msg, hwnd, filterMin, filterMax, removeFlags & PM_REMOVE)) return FALSE;
  if (removeFlags & PM_REMOVE) TheQueue().lastMessageTime = msg->time;
  return TRUE;
}

BOOL WaitMessage() {
  MSG msg;
  while (!TheQueue().Peek(&msg, nullptr, 0, 0, false))
    TheQueue().Wait(nullptr, 0, 0);
  return TRUE;
}

// Display backends put the character of a key into the scan-code byte of
// WM_KEYDOWN's lParam (bits 16-23); TranslateMessage turns it into WM_CHAR.
BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  BYTE character = (BYTE)((msg->lParam >> 16) & 0xff);
  if (!character) return FALSE;
  UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  return TheQueue().Post(msg->hwnd, charMessage, character, msg->lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    // Only a timer procedure that was really set may be called: lParam is caller data.
    TIMERPROC proc = (TIMERPROC)msg->lParam;
    if (!TheQueue().IsTimerProc(msg->hwnd, msg->wParam, proc)) return 0;
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  plat::win::Window* w = FindWindowRecord(msg->hwnd);
  if (!w) return 0;
  return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
  TheQueue().PostQuit(exitCode);
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

BOOL InSendMessage() {
  return remoteSendDepth > 0;
}

// The queue grows as needed up to Win32's limit of 10000 posted messages; a size
// is checked against that limit, not reserved.
BOOL SetMessageQueue(int size) {
  return size >= 1 && (size_t)size <= plat::win::MessageQueue::kMaxPosted;
}

DWORD GetMessageTime() {
  return TheQueue().lastMessageTime;
}

DWORD GetCurrentThreadId() {
  return (DWORD)getpid();
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !FindWindowRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return TheQueue().SetTimer(hwnd, id, elapse, proc);
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  return TheQueue().KillTimer(hwnd, id);
}
