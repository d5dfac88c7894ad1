// Everything happens in the window procedure, driven by messages: hopwire's reports,
// standard input, the slave's end (its process descriptor), Ctrl-C (from the
// console handler) and a checking timer for the bounds.
#include "controller.h"

#include <ctype.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>

#include "platform/console.h"

namespace {

constexpr char kControllerClass[] = "KORFTP-Main";
constexpr char kSlaveClass[] = "KORFTP-Slave";
constexpr char kRequestChannel[] = "FtpChannel1";
constexpr char kOutputChannel[] = "FtpChannel2";
constexpr int kChannelSize = 512;
constexpr size_t kMaxCommand = 510;  // what hopwire keeps of a request text

constexpr WORD kControllerMessage = 546;
constexpr WORD kStartNetwork = 500;
constexpr WORD kCommandLine = 503;
constexpr WORD kExit = 502;
constexpr WORD kCancel = 512;
constexpr WPARAM kStarting = 547;
constexpr WPARAM kDone = 548;

constexpr UINT kInputReady = WM_APP + 1;
constexpr UINT kSlaveEnded = WM_APP + 2;
constexpr UINT kCtrlC = WM_APP + 3;
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckPeriodMs = 250;

constexpr DWORD kStartLimitMs = 10000;
constexpr DWORD kCancelGraceMs = 20000;
constexpr DWORD kClosingLimitMs = 30000;
constexpr DWORD kStoppingLimitMs = 5000;
constexpr UINT kDeliverLimitMs = 5000;

Controller* current = nullptr;

// ---- Output.

// The class of a reply line: its first digit when it starts with three digits and
// a blank, a hyphen or its end.
int ReplyClass(const std::string& line) {
  if (line.size() < 3 || !isdigit((unsigned char)line[0]) || !isdigit((unsigned char)line[1]) ||
      !isdigit((unsigned char)line[2]))
    return 0;
  if (line.size() > 3 && !strchr(" -\r\n", line[3])) return 0;
  return line[0] - '0';
}

// korftp's own remarks: whatever hopwire reported before them shows first.
void Remark(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Remark(const char* format, ...) {
  fflush(stdout);
  va_list arguments;
  va_start(arguments, format);
  vfprintf(stderr, format, arguments);
  va_end(arguments);
}

void PrintLine(Controller* c, std::string line) {
  for (size_t at; (at = line.find("\r\n")) != std::string::npos;)
    line.erase(at, 1);
  if (c->countsClass && c->atLineStart) {
    if (int k = ReplyClass(line)) c->requestClass = k;
  }
  HideProgressBar(&c->bar);
  WriteAbovePrompt(&c->source, line.c_str());
  if (c->flushEachLine) fflush(stdout);
  if (!line.empty()) c->atLineStart = line.back() == '\n';
  if (c->atLineStart) RedrawProgressBar(&c->bar);
}

// ---- Requests.

void GiveUp(Controller* c, const char* why);

// A request hopwire did not take would be waited for in vain.
bool Deliver(Controller* c, WORD code) {
  DWORD_PTR result = 0;
  return SendMessageTimeout(c->slave, WM_COMMAND, MAKEWPARAM(kControllerMessage, code), 0,
                            SMTO_ERRORONEXIT, kDeliverLimitMs, &result) != 0;
}

void SendRequest(Controller* c, WORD code, const std::string& text, Phase phase, bool countsClass) {
  if (c->requestView) {
    size_t n = std::min(text.size(), (size_t)kChannelSize - 1);
    memcpy(c->requestView, text.data(), n);
    c->requestView[n] = 0;
  }
  c->phase = phase;
  c->phaseSince = c->lastWord = GetTickCount();
  c->cancelling = false;
  c->countsClass = countsClass;
  c->requestClass = 0;
  if (!Deliver(c, code)) GiveUp(c, "hopwire does not take requests");
}

void SendCancel(Controller* c) {
  if (!Deliver(c, kCancel)) return GiveUp(c, "hopwire does not take requests");
  if (!c->cancelling) c->cancelSent = GetTickCount();
  c->cancelling = true;
}

// "bye" and "quit" end the session in hopwire; korftp then ends too.
bool EndsTheSession(const std::string& line) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  size_t end = line.find_first_of(" \t", start);
  std::string word = line.substr(start, end == std::string::npos ? end : end - start);
  return word == "by" || word == "bye" || word == "qui" || word == "quit";
}

void Finish(Controller* c) {
  c->phase = Phase::kDone;
  PostMessage(c->window, WM_NULL, 0, 0);  // wakes the loop to see it
}

void GiveUp(Controller* c, const char* why) {
  HideProgressBar(&c->bar);
  Remark("korftp: %s; ending it\n", why);
  KillSlave(&c->process);
  c->slaveVanished = true;
  Finish(c);
}

void BeginStopping(Controller* c) {
  c->phase = Phase::kStopping;
  c->phaseSince = GetTickCount();
  PostMessage(c->slave, WM_CLOSE, 0, 0);
}

void BeginClosing(Controller* c) {
  CloseCommandSource(&c->source);
  SendRequest(c, kExit, "", Phase::kClosing, false);
}

void Advance(Controller* c) {
  while (c->phase == Phase::kIdle) {
    std::string line;
    if (c->endAfterRequest) {
      BeginClosing(c);
      return;
    }
    if (!NextCommand(&c->source, &line)) {
      if (c->source.ended) {
        BeginClosing(c);
      } else {
        AwaitCommand(&c->source);
      }
      return;
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line.size() > kMaxCommand) {
      Remark("korftp: a command line holds at most %zu characters\n", kMaxCommand);
      c->lastClass = 5;
      continue;
    }
    if (EndsTheSession(line)) c->endAfterRequest = true;
    SendRequest(c, kCommandLine, line, Phase::kBusy, true);
  }
}

// ---- Events.

void OnReport(Controller* c, WPARAM wParam, LPARAM lParam) {
  c->lastWord = GetTickCount();
  if (wParam == kStarting) return;
  if (wParam == kDone) {
    fflush(stdout);
    if (c->phase == Phase::kBusy) {
      if (c->countsClass) c->lastClass = c->requestClass;
      c->phase = Phase::kIdle;
      Advance(c);
    } else if (c->phase == Phase::kClosing) {
      BeginStopping(c);
    }
    return;
  }
  if (LOWORD(wParam) != kControllerMessage) return;
  WORD code = HIWORD(wParam);
  if (code == 503 || code == 511) {
    if (!lParam || !c->outputView) {
      HideProgressBar(&c->bar);
      Remark("korftp: (hopwire could not prepare a line)\n");
      return;
    }
    PrintLine(c, std::string(c->outputView, strnlen(c->outputView, kChannelSize - 1)));
    return;
  }
  ProgressNumber(&c->bar, code, (LONG)lParam);
}

void OnSlaveEnded(Controller* c) {
  if (!SlaveEnded(&c->process)) {
    WatchInputDescriptor(c->process.pidfd, c->window, kSlaveEnded);
    return;
  }
  if (c->phase != Phase::kStopping) {
    HideProgressBar(&c->bar);
    Remark("korftp: hopwire ended (%s)\n", DescribeEnd(c->process).c_str());
    c->slaveVanished = true;
  }
  CloseCommandSource(&c->source);
  Finish(c);
}

void OnCtrlC(Controller* c) {
  switch (c->phase) {
    case Phase::kBusy:
      // The terminal has echoed "^C"; what hopwire says next starts a line of its own.
      if (isatty(1) && c->atLineStart) fputc('\n', stdout);
      SendCancel(c);
      return;
    case Phase::kIdle:
      if (!c->slave) {  // still starting: the session ends once it has started
        c->interrupted = true;
        c->endAfterRequest = true;
      } else if (c->source.prompting) {
        InterruptPrompt(&c->source);
      } else {
        c->interrupted = true;
        BeginClosing(c);
      }
      return;
    case Phase::kClosing:
    case Phase::kStopping:
      c->interrupted = true;
      KillSlave(&c->process);
      Finish(c);
      return;
    case Phase::kDone:
      return;
  }
}

// SIGTERM or SIGHUP: the session ends as at the end of input.
void OnClose(Controller* c) {
  if (c->phase == Phase::kBusy) {
    c->endAfterRequest = true;
    SendCancel(c);
  } else if (c->phase == Phase::kIdle && !c->slave) {
    c->endAfterRequest = true;  // still starting: the session ends once it has started
  } else if (c->phase == Phase::kIdle) {
    BeginClosing(c);
  }
}

void OnCheck(Controller* c) {
  DWORD now = GetTickCount();
  switch (c->phase) {
    case Phase::kBusy:
      if (c->cancelling && now - c->cancelSent > kCancelGraceMs) {
        GiveUp(c, "hopwire did not finish the cancelled command");
      } else if (!c->cancelling && c->idleLimitMs && now - c->lastWord > (DWORD)c->idleLimitMs) {
        HideProgressBar(&c->bar);
        Remark("korftp: nothing from hopwire for %d s; cancelling\n", c->idleLimitMs / 1000);
        SendCancel(c);
      }
      return;
    case Phase::kClosing:
      if (now - c->phaseSince > kClosingLimitMs) BeginStopping(c);
      return;
    case Phase::kStopping:
      if (now - c->phaseSince > kStoppingLimitMs) GiveUp(c, "hopwire does not end");
      return;
    default:
      return;
  }
}

LRESULT CALLBACK ControllerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Controller* c = current;
  if (!c || c->phase == Phase::kDone) return DefWindowProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      OnReport(c, wParam, lParam);
      return 0;
    case kInputReady:
      ReadInput(&c->source);
      if (c->phase == Phase::kIdle) Advance(c);
      return 0;
    case kSlaveEnded:
      OnSlaveEnded(c);
      return 0;
    case kCtrlC:
      OnCtrlC(c);
      return 0;
    case WM_TIMER:
      fflush(stdout);
      OnCheck(c);
      return 0;
    case WM_CLOSE:
      OnClose(c);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

BOOL WINAPI OnConsoleCtrl(DWORD) {
  if (current && current->window) PostMessage(current->window, kCtrlC, 0, 0);
  return TRUE;
}

// ---- Start.

void Serve() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
}

// A slave of a korftp that was killed ends by itself within seconds, unless a new
// controller appears first: it is asked to end now.
bool EndLingeringSlave() {
  HWND lingering = FindWindow(kSlaveClass, nullptr);
  if (!lingering) return true;
  PostMessage(lingering, WM_CLOSE, 0, 0);
  for (DWORD start = GetTickCount(); GetTickCount() - start < kStoppingLimitMs;) {
    if (!FindWindow(kSlaveClass, nullptr)) return true;
    Sleep(50);
  }
  return false;
}

bool MapChannels(Controller* c) {
  const char* names[2] = {kRequestChannel, kOutputChannel};
  char* views[2] = {};
  for (int i = 0; i < 2; ++i) {
    c->sections[i] =
        CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kChannelSize, names[i]);
    if (c->sections[i])
      views[i] = (char*)MapViewOfFile(c->sections[i], FILE_MAP_ALL_ACCESS, 0, 0, kChannelSize);
  }
  c->requestView = views[0];
  c->outputView = views[1];
  return c->requestView && c->outputView;
}

bool WaitForSlaveWindow(Controller* c) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kStartLimitMs;) {
    Serve();
    if (HWND slave = FindWindow(kSlaveClass, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(slave, &owner);
      if ((pid_t)owner != c->process.pid) {
        Remark("korftp: another hopwire runs on this desktop\n");
        return false;
      }
      c->slave = slave;
      return true;
    }
    if (SlaveEnded(&c->process)) {
      Remark("korftp: hopwire ended at its start (%s)\n", DescribeEnd(c->process).c_str());
      return false;
    }
    Sleep(10);
  }
  Remark("korftp: hopwire did not show its window\n");
  return false;
}

}  // namespace

bool StartController(Controller* c, const KorftpOptions& options) {
  c->idleLimitMs = options.idleLimitSeconds * 1000;
  c->flushEachLine = isatty(STDOUT_FILENO);
  InitProgressBar(&c->bar);
  if (FindWindow(kControllerClass, nullptr)) {
    fputs(
        "korftp: another korftp runs on this desktop; give this one a desktop of its own with "
        "PLATFORM_DESKTOP=<a new directory>\n",
        stderr);
    return false;
  }
  if (!EndLingeringSlave()) {
    Remark("korftp: a hopwire of another session does not end\n");
    return false;
  }
  WNDCLASS wc{};
  wc.lpfnWndProc = ControllerProc;
  wc.lpszClassName = kControllerClass;
  if (!RegisterClass(&wc)) return false;
  // Captioned, so SIGTERM and SIGHUP reach it as WM_CLOSE.
  c->window = CreateWindow(kControllerClass, "korftp", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                           nullptr, nullptr, nullptr);
  if (!c->window) return false;
  current = c;
  SetConsoleCtrlHandler(OnConsoleCtrl, TRUE);
  if (!MapChannels(c)) {
    Remark("korftp: cannot make the channels FtpChannel1 and FtpChannel2\n");
    return false;
  }
  std::string program = FindSlaveProgram(options.slaveProgram.c_str());
  if (!StartSlaveProcess(program, &c->process)) {
    Remark("korftp: cannot start %s: %s\n", program.c_str(), strerror(errno));
    return false;
  }
  if (!WaitForSlaveWindow(c)) return false;
  WatchInputDescriptor(c->process.pidfd, c->window, kSlaveEnded);
  SetTimer(c->window, kCheckTimer, kCheckPeriodMs, nullptr);
  SourceKind kind = options.haveCommands ? SourceKind::kList
                    : isatty(0)          ? SourceKind::kTerminal
                                         : SourceKind::kStream;
  OpenCommandSource(&c->source, kind, options.commands, c->window, kInputReady);
  SendRequest(c, kStartNetwork, "", Phase::kBusy, false);
  return true;
}

void RunController(Controller* c) {
  MSG msg;
  while (c->phase != Phase::kDone && GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
}

int StopController(Controller* c) {
  CloseCommandSource(&c->source);
  HideProgressBar(&c->bar);
  if (!SlaveEnded(&c->process)) KillSlave(&c->process);
  SetConsoleCtrlHandler(OnConsoleCtrl, FALSE);
  for (int i = 0; i < 2; ++i) {
    char* view = i == 0 ? c->requestView : c->outputView;
    if (view) UnmapViewOfFile(view);
    if (c->sections[i]) CloseHandle(c->sections[i]);
  }
  c->requestView = c->outputView = nullptr;
  if (c->window) DestroyWindow(c->window);
  c->window = nullptr;
  current = nullptr;
  fflush(stdout);
  if (c->interrupted) return 130;
  if (c->slaveVanished) return 3;
  return c->lastClass == 4 || c->lastClass == 5 ? 1 : 0;
}
