// Start-up, in this order: refuse a second server, version information, the global
// record, the window class, the program's files, the settings, fonts and status
// bar, the main window and its lists, the log, the handle table, the exports, the
// services the settings switch on, the display. Shut-down reverses it.
#include "shell/server_startup.h"

#include "nfs/export_anchor.h"

#include <stdio.h>

#include "config/export_table.h"
#include "config/group_table.h"
#include "config/settings_load.h"
#include "config/user_table.h"
#include "nfs/handle_table.h"
#include "shell/program_locations.h"
#include "shell/service_control.h"
#include "ui/main_window.h"
#include "ui/server_log.h"
#include "ui/status_bar.h"
#include "ui/ui_ids.h"
#include "ui/version_info.h"

namespace {

const char kCannotStart[] = "Cannot start Brevant NFS Server";
const char kCaption[] = "Brevant NFS Server";

HGLOBAL serverBlock = nullptr;
StartupOutcome outcome = STARTUP_ENDED;

// Another server's window (and its last active pop-up) comes to the front.
bool AnotherServerRuns() {
  HWND other = FindWindow(kMainWindowClass, nullptr);
  if (!other) return false;
  BringWindowToTop(other);
  HWND popup = GetLastActivePopup(other);
  if (popup && popup != other) BringWindowToTop(popup);
  return true;
}

void ReadVersionTexts(char* title, size_t titleSize, char* version, size_t versionSize) {
  char path[MAX_PATH];
  void* block = ProgramFileName(path, sizeof path) ? ReadVersionInformation(path) : nullptr;
  const char* description = VersionString(block, "FileDescription");
  const char* fileVersion = VersionString(block, "FileVersion");
  snprintf(title, titleSize, "%s", description ? description : "");
  snprintf(version, versionSize, "%s", fileVersion ? fileVersion : "");
  FreeVersionInformation(block);
}

bool AllocateServerRecord() {
  serverBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ServerRecord));
  Server = serverBlock ? (ServerRecord*)GlobalLock(serverBlock) : nullptr;
  if (!Server) return false;
  Server->log.openFile = -1;
  return true;
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASS wc{};
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_TOLMID));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszMenuName = "tolmid";
  wc.lpszClassName = kMainWindowClass;
  if (RegisterClass(&wc)) return true;
  char text[128];
  if (!LoadString(instance, IDS_NO_WINDOW_CLASS, text, sizeof text)) text[0] = 0;
  MessageBox(GetActiveWindow(), text, Server->windowTitle, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

bool CreateMainWindow(HINSTANCE instance) {
  const WindowRect& r = Server->settings.winpos;
  return CreateWindow(kMainWindowClass, Server->windowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance,
                      Server) != nullptr;
}

bool FailStart(const char* logLine) {
  outcome = STARTUP_FAILED;
  ServerLog(&Server->log, logLine);
  MessageBox(Server->mainWindow, kCannotStart, kCaption, MB_OK | MB_ICONERROR);
  return false;
}

bool StartServices() {
  HWND main = Server->mainWindow;
  BOOL debug = Server->settings.debugMode;
  if (Server->settings.portMapEnabled && !StartPortMapper(main, debug)) return false;
  if (Server->settings.enabled && (!StartNfsService(main, debug) || !StartMountDaemon(main, debug)))
    return false;
  if (Server->settings.pcnfsEnabled && !StartPcnfsDaemon(main, debug)) return false;
  return true;
}

}  // namespace

BOOL InitServer(HINSTANCE instance) {
  outcome = STARTUP_ENDED;
  if (AnotherServerRuns()) {
    outcome = STARTUP_ANOTHER_SERVER;
    return FALSE;
  }
  char title[kWindowTitleSize], version[kVersionTextSize];
  ReadVersionTexts(title, sizeof title, version, sizeof version);
  if (!AllocateServerRecord()) return FALSE;
  snprintf(Server->windowTitle, sizeof Server->windowTitle, "%s", title);
  snprintf(Server->versionText, sizeof Server->versionText, "%s", version);
  if (!RegisterMainClass(instance)) return FALSE;
  LocateProgramFiles(Server);
  if (!LoadSettings(Server->settingsFile, &Server->settings)) return FALSE;
  CreateListFont(Server);
  InitStatusBar(Server);
  if (!CreateMainWindow(instance) || !CreateMainLists(Server)) return FALSE;
  StartServerLog(&Server->log, Server->mainWindow, &Server->settings, Server->windowTitle,
                 Server->versionText);
  if (!OpenHandleTable(Server->programDirectory, Server->settings.timestamp))
    return FailStart("Brevant NFS Server failed initailizing file table manager.");
  // A table created just now has a stamp of its own; the next one must differ.
  Server->settings.timestamp = HandleTableStamp();
  SaveSetting(Server->settingsFile, &Server->settings, SETTING_TIMESTAMP);
  EmptyExportTable();
  if (!LoadExports(Server->settingsFile))
    return FailStart("Mount Daemon failed reading exports from INI.");
  if (!StartServices()) {
    outcome = STARTUP_FAILED;  // the failed start has logged and told why
    return FALSE;
  }
  ShowStartupDisplay(Server);
  outcome = STARTUP_RUNNING;
  return TRUE;
}

StartupOutcome LastStartupOutcome() {
  return outcome;
}

void ShutdownServer() {
  if (!Server) return;
  StopMountDaemon();
  StopPcnfsDaemon();
  StopNfsService();
  StopPortMapper();
  CloseExportAnchors();
  EmptyExportTable();  // the export roots' holds go before the table closes
  CloseHandleTable();
  StopServerLog(&Server->log);
  FreeUserList();
  FreeGroupList();
  UseSettings(nullptr);
  FreeStatusBar(Server);
  if (Server->listFont) DeleteObject(Server->listFont);
  if (Server->mainWindow && IsWindow(Server->mainWindow)) DestroyWindow(Server->mainWindow);
  UnregisterClass(kMainWindowClass, GetModuleHandle(nullptr));
  GlobalUnlock(serverBlock);
  GlobalFree(serverBlock);
  serverBlock = nullptr;
  Server = nullptr;
}
