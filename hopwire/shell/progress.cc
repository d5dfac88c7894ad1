// Counts are signed 32-bit and split with C's truncating division, so a failed
// receive (-1) reports -1 and 0 rather than 1023 and -1.
#include "shell/progress.h"

#include <ctype.h>
#include <stdint.h>

#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/report.h"
#include "shell/timers.h"

namespace {

void ReportCount(WORD remainderCode, WORD kilobytesCode, int32_t count) {
  ReportNumber(remainderCode, count % 1024);
  ReportNumber(kilobytesCode, count / 1024);
}

// The decimal number after the parenthesis: blanks and a sign allowed, reading
// stops at the first non-digit; a number too large for 32 bits saturates.
int32_t ParseSize(const char* text) {
  while (isspace((unsigned char)*text))
    ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  int64_t value = 0;
  for (; isdigit((unsigned char)*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT32_MAX) {
      value = INT32_MAX + (int64_t)negative;
      break;
    }
  }
  return (int32_t)(negative ? -value : value);
}

}  // namespace

void TransferStarted() {
  if (session.listMode || session.transferActive) return;
  session.transferBytes = 0;
  session.progressTicks = 0;
  session.lastReportedBytes = 0;
  session.abortRequested = false;
  session.transferActive = true;
  SetTimer(session.window, kProgressTimer, kProgressPeriodMs, nullptr);
}

void TransferFinished(LONG bytes, LONG milliseconds) {
  if (session.listMode || !session.transferActive) return;
  KillTimer(session.window, kProgressTimer);
  ReportCount(kReportBytes, kReportKilobytes, bytes);
  ReportNumber(kReportSeconds, milliseconds / 1000);
  session.transferActive = false;
  session.abortRequested = false;
}

void ProgressTick() {
  if (!session.transferActive || session.listMode) return;
  session.progressTicks++;
  if (session.transferBytes == session.lastReportedBytes) return;
  ReportCount(kReportBytes, kReportKilobytes, session.transferBytes);
  session.lastReportedBytes = session.transferBytes;
}

PollResult PollDuringTransfer() {
  if (session.listMode) return PollResult::kGoOn;
  DWORD entry = GetTickCount();
  if (entry - session.lastTickService > kProgressPeriodMs) {
    bool found = false;
    MSG msg;
    while (session.window && PeekMessage(&msg, session.window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      HandleTimer(msg.wParam);
      found = true;
    }
    if (found) session.lastTickService = entry;
  }
  if (!session.abortRequested) return PollResult::kGoOn;
  ReportMessage(kMsgCancellingTransfer);
  return PollResult::kAbort;
}

void ReportExpectedSize(const char* text) {
  if (session.listMode) return;
  if (text[0] != '(') {
    ReportMessage(kMsgExpectingSize, text);
    session.expectedSize = 0;
    return;
  }
  session.expectedSize = ParseSize(text + 1);
  ReportCount(kReportExpectedBytes, kReportExpectedKilobytes, session.expectedSize);
}
