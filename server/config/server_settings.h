// The server's switches: every key of section [tolmid] as one record, which
// the server's global record embeds. Read once at start-up; written one key or
// one group of keys at a time, at the moments each key is changed.
#pragma once

#include <cstdint>

#include "config/setting_text.h"
#include "platform/windef.h"

inline constexpr int kLogFileNameSize = 160;  // 159 characters
inline constexpr int kVersionTextSize = 64;

struct ServerSettings {
  uint32_t consoleLog;
  uint32_t debugMode;
  DisplayMode display;
  uint32_t enabled;  // the NFS service and the mount daemon
  uint32_t genUid;
  uint32_t genGid;
  uint16_t prefTransferSize;
  char logFile[kLogFileNameSize];
  uint32_t logFileLog;
  uint32_t logFileTrunc;
  uint32_t pcnfsEnabled;
  uint32_t portMapEnabled;
  uint32_t startMinimized;
  uint32_t timestamp;  // stamp for a newly created handle table
  uint32_t exportUnixStyle;
  WindowRect winpos;
  char version[kVersionTextSize];  // the program's version text: written, never read
};

// What SaveSetting writes: single keys, and the groups that one operator
// action changes together.
enum SettingKey {
  SETTING_DISPLAY,
  SETTING_GENUID,
  SETTING_GENGID,
  SETTING_LOGFILELOG,
  SETTING_TIMESTAMP,
  SETTING_WINPOS,
  SETTING_VERSION,
  // logfile, logfiletrunc
  SETTING_LOG_FILE_SETUP,
  // enabled, preftransfersize, pcnfsenabled, portmapenabled, startminimized,
  // exportunixstyle
  SETTING_SERVER_DIALOG,
};

// The settings the running server works with: the record LoadSettings filled,
// or null before that and after shut-down. Services read their switches here
// on every call, so an operator's change applies to the next request.
const ServerSettings* ActiveSettings();
void UseSettings(const ServerSettings* settings);

// Each key with its default when absent or empty.
void ReadServerSettings(const char* iniFile, ServerSettings* settings);
// Failures of the private-profile calls are not reported.
void SaveSetting(const char* iniFile, const ServerSettings* settings, SettingKey key);
