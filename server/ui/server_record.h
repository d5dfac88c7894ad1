// The one global record of the server: settings switches, paths, the host name,
// window and drawing state, the status bar and the log state. Allocated
// zero-filled at start-up and freed at shut-down; none exists before or after.
#pragma once

#include <cstdint>

#include "config/config_records.h"
#include "config/server_settings.h"
#include "platform/windows.h"
#include "ui/console_connection.h"

inline constexpr int kSettingsPathSize = 160;
inline constexpr int kProgramDirectorySize = 144;
inline constexpr int kHostNameSize = 80;
inline constexpr int kPane0TextSize = 128;
inline constexpr int kPane1TextSize = 64;
inline constexpr int kWindowTitleSize = 128;
inline constexpr int kSourceNameSize = 28;

struct StatusPane {
  int widthChars;
  char* text;
  BOOL fixedWidth;
  int textPixels;  // the least width that holds each text the pane shows
  int widthPixels;
  int left;
  BOOL laidOut;
};

// Every size derives from b, the system's border height.
struct StatusBar {
  int b;
  int height;
  HFONT font;
  int averageCharWidth;
  RECT rect;
  int paneCount;
  StatusPane panes[2];
};

struct ServerLogState {
  char logFileName[kLogFileNameSize];
  uint32_t truncate;  // 1: the file is emptied when it is opened
  int openFile;       // -1 while closed
  HWND ownerWindow;
  char sourceName[kSourceNameSize];
  char caption[kWindowTitleSize];
  uint32_t fileLogging;
  ConsoleConnection* console;
  uint32_t consoleLogging;
};

struct ServerRecord {
  HWND mainWindow;
  HWND exportsList;
  HWND hiddenList;  // made at start-up, never shown
  HWND portList;
  char settingsFile[kSettingsPathSize];
  char helpFile[kSettingsPathSize];
  char programDirectory[kProgramDirectorySize];
  char hostName[kHostNameSize];
  ServerSettings settings;
  HFONT listFont;
  COLORREF textColor;
  COLORREF backgroundColor;
  int16_t headingX;
  int16_t lineHeight;
  int32_t headingLine1Y;
  int32_t headingLine2Y;
  int32_t listTop;
  HMENU fileMenu;
  HMENU displayMenu;
  HMENU optionsMenu;
  HMENU helpMenu;
  char pane0Text[kPane0TextSize];
  char pane1Text[kPane1TextSize];
  char savedPane0Text[kPane0TextSize];
  BOOL pane0Saved;
  StatusBar statusBar;
  ServerLogState log;
  char windowTitle[kWindowTitleSize];
  char versionText[kVersionTextSize];
  // The setup dialogs' edit copies: live records change only on OK, Remove
  // and Create Unique ID, so requests served meanwhile see the live ones.
  ServerSettings settingsCopy;
  UserEntry userCopy;
  BOOL secondaryGroupsMode;
  GroupEntry groupCopy;
  ExportEntry* exportCopy;  // allocated while Setup Export Directories is open
  uint32_t logTruncateCopy;
};

extern ServerRecord* Server;
