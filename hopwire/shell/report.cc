// A line goes out as the controller expects it: a zero-filled shareable block is
// made first, and only when that succeeds does the channel change; without it the
// controller is told (lParam 0) that a line was lost and its channel is unchanged.
#include "shell/report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "hopwire/session_state.h"
#include "shell/messages.h"

namespace {

// C leaves "+" and " " undefined on %s and %c; they mean nothing to text, so they
// go. False when the format does not fit (it is then used as it is).
bool DropTextSignFlags(const char* format, char* out, size_t size) {
  size_t n = 0;
  const char* p = format;
  while (*p) {
    if (n + 3 >= size) return false;
    if (*p != '%') {
      out[n++] = *p++;
      continue;
    }
    const char* end = p + 1;
    while (*end && !strchr("diouxXeEfFgGaAcspn%", *end))
      ++end;
    bool text = *end == 's' || *end == 'c';
    out[n++] = *p++;
    for (; p < end; ++p) {
      if (n + 3 >= size) return false;
      if (!(text && (*p == '+' || *p == ' '))) out[n++] = *p;
    }
    if (*p) out[n++] = *p++;
  }
  out[n] = 0;
  return true;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
void FormatLine(const char* format, va_list arguments) {
  char cleaned[kChannelSize * 2];
  if (DropTextSignFlags(format, cleaned, sizeof cleaned)) format = cleaned;
  vsnprintf(session.outputBuffer, sizeof session.outputBuffer, format, arguments);
}
#pragma GCC diagnostic pop

void SendLine(const char* line) {
  size_t length = strnlen(line, kMaxChannelText);
  // The block stands for the controller's copy; the line itself goes straight
  // into the channel.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, length + 1);
  HWND controller = FindWindow(kControllerClass, nullptr);
  WPARAM wParam = MAKEWPARAM(kControllerMessage, session.listMode ? kReportListLine : kReportLine);
  bool delivered = controller && block && session.outputView;
  if (delivered) {
    memcpy(session.outputView, line, length);
    session.outputView[length] = 0;
  }
  if (block) GlobalFree(block);
  if (controller) SendMessage(controller, WM_COMMAND, wParam, delivered ? 1 : 0);
  session.outputBuffer[0] = 0;
}

void Report(const char* format, va_list arguments, bool listing) {
  if (session.quiet) return;
  FormatLine(format, arguments);
  const char* line = session.outputBuffer;
  if (listing && session.outputFilter) {
    if (const char* replacement = session.outputFilter(line)) line = replacement;
  }
  SendLine(line);
}

}  // namespace

void ReportLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Report(format, arguments, false);
  va_end(arguments);
}

void ReportListingLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Report(format, arguments, true);
  va_end(arguments);
}

void ReportMessage(UINT number, ...) {
  // Its own copy: the arguments may be texts in LoadMessage's slots.
  char format[kMessageSlotSize];
  if (LoadString(GetModuleHandle(nullptr), number, format, sizeof format) == 0)
    snprintf(format, sizeof format, "**err LoadString ID %u **", number);
  va_list arguments;
  va_start(arguments, number);
  Report(format, arguments, false);
  va_end(arguments);
}

void ReportNumber(WORD code, LONG value) {
  if (HWND controller = FindWindow(kControllerClass, nullptr))
    SendMessage(controller, WM_COMMAND, MAKEWPARAM(kControllerMessage, code), (LPARAM)value);
}

void ReportNotice(WORD notice) {
  if (HWND controller = FindWindow(kControllerClass, nullptr))
    SendMessage(controller, WM_COMMAND, notice, 1);
}
