// The server log: every line to the log file (while file logging is on and a
// file is open) and to the console program (while console logging is on). Each
// file line starts with a 26-character local time stamp and ends in CR LF on
// disk, as the file is written in text mode.
#pragma once

#include <ctime>

#include "ui/server_record.h"

inline constexpr int kLogStampSize = 26;

// "Wed Jan 02 02:03:55 1980: ", or 26 blanks when the time can't be converted.
void LogLineStamp(time_t when, char stamp[kLogStampSize + 1]);

// Never fails towards its caller.
void ServerLog(ServerLogState* state, const char* text);

BOOL OpenLogFile(ServerLogState* state);
void CloseLogFile(ServerLogState* state);

// Start-up: the console connection, its start line, then the log file if one is named.
void StartServerLog(ServerLogState* state, HWND ownerWindow, const ServerSettings* settings,
                    const char* windowTitle, const char* versionText);
// Shut-down: the log file, then the console connection.
void StopServerLog(ServerLogState* state);
