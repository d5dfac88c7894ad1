// The slave with a command interpreter of the tests' own: the real process shell,
// channel and timers, and command lines that reach into them. Every line is
// "probe <verb> [arguments]":
//   text                 reports "text <length> <last 8 characters>" of the whole line
//   state                reports the session's switches and counters
//   ticks MS             watchdog every MS ms; each tick prints "tick missing=M idle=I
//                        keep=K" on standard output
//   transfer BYTES MS    a transfer of BYTES bytes over MS ms in 20 steps, waiting in
//                        select between blocks, ended with TransferFinished(BYTES, MS)
//   expect TEXT          ReportExpectedSize(TEXT)
//   listmode 0|1         sets list mode
//   lines N              N reported lines; long N: one line of N characters
//   format               one line through printf's flags on text
//   quiet                a line while quiet, then one after
//   filter               installs an upper-casing listing filter, reports a reply line
//                        and a listing line; listing TEXT reports TEXT as a listing line
//   block                reports "blocking", waits in accept on an idle listener, then
//                        reports "block <result> <error>"
//   connect ADDRESS PORT reports "connecting", connects, reports "connect <result> <error>"
//   message A B CODE     reports "message <text A>|<text B>|<socket error text of CODE>",
//                        A and B loaded into slots 0 and 1
//   reply TEXT           reports TEXT as a line
//   hang MS              reports "hanging", then serves nothing for MS ms
//   exit CODE            the process ends at once, in the middle of the request
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "hopwire/session_state.h"
#include "platform/windows.h"
#include "platform/winsock.h"
#include "shell/messages.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "shell/slave_calls.h"
#include "shell/timers.h"

namespace {

WNDPROC slaveProc = nullptr;

LRESULT CALLBACK TracingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProc(slaveProc, hwnd, message, wParam, lParam);
  if (message == WM_TIMER && wParam == kWatchdogTimer) {
    printf("tick missing=%d idle=%d keep=%d\n", session.missingControllerTicks, session.idleSeconds,
           session.keepAlive);
    fflush(stdout);
  }
  return result;
}

void EnsureWinsock() {
  static bool started = false;
  WSADATA data;
  if (!started) started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

// An idle listener on loopback: nobody connects, so waits on it only end by
// their time or a cancel.
SOCKET IdleListener() {
  EnsureWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, (sockaddr*)&address, sizeof address);
  listen(s, 1);
  return s;
}

void Transfer(long bytes, long milliseconds) {
  SOCKET idle = IdleListener();
  TransferStarted();
  constexpr int kSteps = 20;
  for (int i = 1; i <= kSteps; ++i) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(idle, &readable);
    timeval step{0, (suseconds_t)(milliseconds * 1000 / kSteps)};
    select(0, &readable, nullptr, nullptr, &step);
    session.transferBytes = (int32_t)(bytes * i / kSteps);
    if (PollDuringTransfer() == PollResult::kAbort) break;
  }
  TransferFinished(session.transferBytes, milliseconds);
  closesocket(idle);
}

const char* Upper(const char* line) {
  static char upper[kChannelSize];
  size_t i = 0;
  for (; line[i] && i + 1 < sizeof upper; ++i)
    upper[i] = (char)toupper((unsigned char)line[i]);
  upper[i] = 0;
  return upper;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
void ReportRuntimeFormat() {
  // Formats from the string resources reach ReportLine at run time like this one.
  static const char format[] = "[%+11s][%-*s][%ld][%lu][%u][%c][%+d][% c]\n";
  const char* volatile runtimeFormat = format;
  ReportLine(runtimeFormat, "right", 6, "left", -7L, 8UL, 9U, 'c', 10, 'd');
}
#pragma GCC diagnostic pop

}  // namespace

void ExecuteCommandLine(const char* text) {
  char verb[16] = {};
  int offset = 0;
  if (sscanf(text, "probe %15s %n", verb, &offset) < 1) {
    ReportLine("500 probe: not a probe line\n");
    return;
  }
  const char* rest = offset ? text + offset : text + strlen(text);
  std::string v = verb;
  if (v == "text") {
    size_t length = strlen(text);
    ReportLine("text %zu %s\n", length, text + (length > 8 ? length - 8 : 0));
  } else if (v == "state") {
    ReportLine(
        "state keep=%d idle=%d debug=%d net=%d exit=%d expected=%d list=%d visible=%d "
        "iconic=%d local=%s\n",
        session.keepAlive, session.idleSeconds, session.debugLines, session.networkStarted,
        session.exitRequested, session.expectedSize, session.listMode,
        IsWindowVisible(session.window), IsIconic(session.window), inet_ntoa(session.localAddress));
  } else if (v == "ticks") {
    if (!slaveProc) {
      slaveProc = (WNDPROC)SetWindowLongPtr(session.window, GWLP_WNDPROC, (LONG_PTR)TracingProc);
    }
    SetTimer(session.window, kWatchdogTimer, (UINT)atoi(rest), nullptr);
    ReportLine("ticking\n");
  } else if (v == "transfer") {
    long bytes = 0, milliseconds = 0;
    sscanf(rest, "%ld %ld", &bytes, &milliseconds);
    Transfer(bytes, milliseconds);
  } else if (v == "expect") {
    ReportExpectedSize(rest);
  } else if (v == "listmode") {
    session.listMode = atoi(rest) != 0;
  } else if (v == "lines") {
    for (int i = 0, n = atoi(rest); i < n; ++i)
      ReportLine("line %d\n", i);
  } else if (v == "long") {
    std::string line(atoi(rest), 'x');
    ReportLine("%s", line.c_str());
  } else if (v == "format") {
    ReportRuntimeFormat();
  } else if (v == "quiet") {
    session.quiet = true;
    ReportLine("hidden\n");
    session.quiet = false;
    ReportLine("shown\n");
  } else if (v == "filter") {
    session.outputFilter = Upper;
    ReportLine("reply line\n");
    ReportListingLine("listing line\n");
  } else if (v == "listing") {
    ReportListingLine("%s\n", rest);
  } else if (v == "block") {
    SOCKET idle = IdleListener();
    ReportLine("blocking\n");
    SOCKET accepted = accept(idle, nullptr, nullptr);
    ReportLine("block %d %d\n", accepted == INVALID_SOCKET ? -1 : 0, WSAGetLastError());
    closesocket(idle);
  } else if (v == "connect") {
    char host[64] = {};
    int port = 0;
    sscanf(rest, "%63s %d", host, &port);
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)port);
    address.sin_addr.s_addr = (uint32_t)inet_addr(host);
    ReportLine("connecting\n");
    int result = connect(s, (sockaddr*)&address, sizeof address);
    ReportLine("connect %d %d\n", result, result ? WSAGetLastError() : 0);
    closesocket(s);
  } else if (v == "message") {
    unsigned a = 0, b = 0;
    int code = 0;
    sscanf(rest, "%u %u %d", &a, &b, &code);
    ReportLine("message %s|%s|%s\n", LoadMessage(0, a), LoadMessage(1, b), SocketErrorText(code));
  } else if (v == "reply") {
    ReportLine("%s\n", rest);
  } else if (v == "hang") {
    ReportLine("hanging\n");
    usleep((useconds_t)atoi(rest) * 1000);
  } else if (v == "exit") {
    _exit(atoi(rest));
  } else {
    ReportLine("500 probe: unknown verb %s\n", verb);
  }
}
