// Requests never run inside one another. A network wait dispatches the queue, so a
// request can reach the window while another is still running; it is held and run
// when that one ends, in arrival order, rather than working the interpreter's
// buffers and the control connection from under it. The cancel is never held.
#include "shell/requests.h"

#include <string.h>

#include <iterator>

#include "hopwire/session_state.h"
#include "shell/channels.h"
#include "shell/command_line.h"
#include "shell/networking.h"
#include "shell/report.h"
#include "shell/slave_end.h"

namespace {

constexpr char kNoText[] = "<no text>";

void Nothing(const char*) {}

void StopNetwork(const char*) {
  EndSessionAndStopNetworking();
}

void Exit(const char*) {
  EndSessionAndStopNetworking();
  session.exitRequested = true;
}

void StartNetwork(const char*) {
  StartNetworkingRequest();
}

void SelfTest(const char*) {
  NetworkSelfTest();
}

void DebugDisplay(const char*) {
  ShowWindow(session.window, SW_SHOWMINIMIZED);
  UpdateWindow(session.window);
  session.debugLines = true;
}

struct RequestEntry {
  WORD code;
  bool hasText;
  void (*action)(const char* text);
};

const RequestEntry kRequests[] = {
    {kStartNetworkRequest, true, StartNetwork},
    {kStopNetworkRequest, false, StopNetwork},
    {kExitRequest, false, Exit},
    {kCommandRequest, true, CommandLineRequest},
    {kDebugRequest, false, DebugDisplay},
    {kSelfTestRequest, false, SelfTest},
    {kListCommandRequest, true, CommandLineRequest},
};

// 504, 505, 507, 508, 509 and codes nobody defined only get their notices.
const RequestEntry kNoAction = {0, false, Nothing};

const RequestEntry& FindRequest(WORD code) {
  for (const RequestEntry& entry : kRequests) {
    if (entry.code == code) return entry;
  }
  return kNoAction;
}

bool RememberQueuedText(HGLOBAL block) {
  for (HGLOBAL& slot : session.queuedTexts) {
    if (!slot) {
      slot = block;
      return true;
    }
  }
  return false;
}

// The block, if it is one we queued; anything else another process put in lParam.
HGLOBAL TakeQueuedText(LPARAM lParam) {
  if (!lParam) return nullptr;
  for (HGLOBAL& slot : session.queuedTexts) {
    if (slot == (HGLOBAL)lParam) {
      slot = nullptr;
      return (HGLOBAL)lParam;
    }
  }
  return nullptr;
}

void RunRequest(WORD code, HGLOBAL block) {
  const RequestEntry& entry = FindRequest(code);
  char text[1024];
  strcpy(text, kNoText);
  if (block) {
    if (const char* queued = (const char*)GlobalLock(block)) {
      size_t length = strnlen(queued, kMaxRequestText);
      memcpy(text, queued, length);
      text[length] = 0;
      GlobalUnlock(block);
    }
    GlobalFree(block);
  }
  session.requestDepth++;
  ReportNotice(kRequestStarting);
  entry.action(text);
  ReportNotice(kRequestDone);
  session.requestDepth--;
}

void Hold(WORD code, HGLOBAL block) {
  if (session.ending || session.heldCount == kMaxHeldRequests) {
    if (block) GlobalFree(block);  // a controller flooding us loses requests
    return;
  }
  session.held[session.heldCount++] = HeldRequest{code, block};
}

void Cancel() {
  WSACancelBlockingCall();
  session.abortRequested = true;
}

}  // namespace

void ReceiveRequest(WORD code, LPARAM lParam) {
  if (code == kCancelRequest) {
    SendMessage(session.window, WM_COMMAND, MAKEWPARAM(kSelfRequest, code), lParam);
    return;
  }
  HGLOBAL text = FindRequest(code).hasText ? CopyRequestText() : nullptr;
  if (text && !RememberQueuedText(text)) {
    GlobalFree(text);
    return;
  }
  if (!PostMessage(session.window, WM_COMMAND, MAKEWPARAM(kSelfRequest, code), (LPARAM)text) &&
      text) {
    TakeQueuedText((LPARAM)text);
    GlobalFree(text);
  }
}

void CarryOutRequest(WORD code, LPARAM lParam) {
  HGLOBAL block = FindRequest(code).hasText ? TakeQueuedText(lParam) : nullptr;
  if (code == kCancelRequest) {
    Cancel();
    return;
  }
  if (session.requestDepth > 0 || session.ending) {
    Hold(code, block);
    return;
  }
  RunRequest(code, block);
  AfterRequests();
}

void AfterRequests() {
  while (session.requestDepth == 0 && !session.ending && session.heldCount > 0) {
    HeldRequest next = session.held[0];
    memmove(session.held, session.held + 1, (size_t)--session.heldCount * sizeof next);
    RunRequest(next.code, next.text);
  }
  if (session.requestDepth > 0 || !session.ending) return;
  for (int i = 0; i < session.heldCount; ++i) {
    if (session.held[i].text) GlobalFree(session.held[i].text);
  }
  session.heldCount = 0;
  EndSessionOnTheWayOut();
}
