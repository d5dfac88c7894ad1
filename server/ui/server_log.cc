// Each file line costs three unbuffered writes (stamp, text, line end), so a line
// reaches the file even if the server dies right after logging it.
#include "ui/server_log.h"

#include <stdio.h>
#include <string.h>

#include "platform/io.h"
#include "ui/log_echo.h"
#include "ui/ui_ids.h"

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr size_t kStringBuffer = 64;
constexpr size_t kLineBuffer = 256;

// One of the three file-state lines: its string-table text with the file name in
// place of the "%s" (filled by hand: a format never comes from a table).
void LogFileLine(ServerLogState* state, UINT id, const char* name, char* line) {
  char format[kStringBuffer];
  if (!LoadString(GetModuleHandle(nullptr), id, format, sizeof format)) format[0] = 0;
  const char* at = strstr(format, "%s");
  if (at) {
    snprintf(line, kLineBuffer, "%.*s%s%s", (int)(at - format), format, name, at + 2);
  } else {
    snprintf(line, kLineBuffer, "%s", format);
  }
  ServerLog(state, line);
}

}  // namespace

void LogLineStamp(time_t when, char stamp[kLogStampSize + 1]) {
  struct tm local;
  if (!localtime_r(&when, &local) || local.tm_year + 1900 > 9999 || local.tm_year + 1900 < 0) {
    memset(stamp, ' ', kLogStampSize);
    stamp[kLogStampSize] = 0;
    return;
  }
  snprintf(stamp, kLogStampSize + 1, "%s %s %02d %02d:%02d:%02d %04d: ", kDays[local.tm_wday],
           kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
           local.tm_year + 1900);
}

void ServerLog(ServerLogState* state, const char* text) {
  time_t now = time(nullptr);
  bool toFile = state->fileLogging == 1 && state->openFile != -1;
  if (toFile || LogEchoOn()) {
    char stamp[kLogStampSize + 1];
    LogLineStamp(now, stamp);
    if (toFile) {
      _write(state->openFile, stamp, kLogStampSize);
      _write(state->openFile, text, (unsigned)strlen(text));
      _write(state->openFile, "\n", 1);
    }
    EchoLogLine(stamp, text);
  }
  if (state->consoleLogging == 1 && state->console)
    PostConsoleLine(state->console, now, state->sourceName, text);
}

BOOL OpenLogFile(ServerLogState* state) {
  int flags = _O_WRONLY | _O_CREAT | _O_APPEND | _O_TEXT | (state->truncate ? _O_TRUNC : 0);
  state->openFile = _open(state->logFileName, flags, _S_IREAD | _S_IWRITE);
  char line[kLineBuffer];
  if (state->openFile == -1) {
    LogFileLine(state, IDS_CANNOT_OPEN_LOG, state->logFileName, line);
    MessageBox(state->ownerWindow, line, state->caption, MB_OK | MB_ICONERROR);
    state->logFileName[0] = 0;
    return FALSE;
  }
  LogFileLine(state, IDS_LOG_OPENED, state->logFileName, line);
  return TRUE;
}

void CloseLogFile(ServerLogState* state) {
  if (state->openFile == -1) return;
  char line[kLineBuffer];
  LogFileLine(state, IDS_LOG_CLOSED, state->logFileName, line);  // the file's last line
  _close(state->openFile);
  state->openFile = -1;
}

void StartServerLog(ServerLogState* state, HWND ownerWindow, const ServerSettings* settings,
                    const char* windowTitle, const char* versionText) {
  state->ownerWindow = ownerWindow;
  snprintf(state->sourceName, sizeof state->sourceName, "%s", "[tolmid]");
  snprintf(state->caption, sizeof state->caption, "%s", windowTitle);
  snprintf(state->logFileName, sizeof state->logFileName, "%s", settings->logFile);
  state->truncate = settings->logFileTrunc;
  state->fileLogging = settings->logFileLog;
  state->consoleLogging = settings->consoleLog;
  state->console = OpenConsoleConnection(ownerWindow);

  // The start line goes to the console whatever its switch says, and never to the file.
  char line[kLineBuffer];
  snprintf(line, sizeof line, "%s %s (%s, %s)", windowTitle, versionText, __DATE__, __TIME__);
  PostConsoleLine(state->console, 0, state->sourceName, line);
  if (state->logFileName[0]) OpenLogFile(state);
}

void StopServerLog(ServerLogState* state) {
  CloseLogFile(state);
  CloseConsoleConnection(state->console);
  state->console = nullptr;
}
