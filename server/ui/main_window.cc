// Every action runs to completion inside one message; while a menu or a modal
// dialog is open their loops keep dispatching, so requests are served between
// the operator's actions.
#include "ui/main_window.h"

#include <stdio.h>
#include <string.h>

#include "config/export_table.h"
#include "portmap/portmap_table.h"
#include "rpc/rpc_programs.h"
#include "ui/about_box.h"
#include "ui/export_setup.h"
#include "ui/group_setup.h"
#include "ui/log_file_setup.h"
#include "ui/server_setup.h"
#include "ui/status_bar.h"
#include "ui/ui_ids.h"
#include "ui/user_setup.h"

namespace {

constexpr int kExportsTabs[] = {120, 180, 240};  // dialog template units
constexpr int kPortTabs[] = {75, 110, 150, 180};

// The second line's tabs are the list's own stops, so each heading stands
// over its column in whatever font the display uses.
struct Heading {
  const char* line1;
  const char* line2;
  const int* tabs;
  int tabCount;
};
constexpr Heading kExportsHeading{"Exports", "Directory\tOwner\tPermissions", kExportsTabs, 3};
constexpr Heading kPortHeading{
    "Port Mapper Table", "Program Number\tVersion\tProtocol\tPort\tProgram Name", kPortTabs, 4};

// List boxes draw a line this far inside their client area.
constexpr int kListTextInset = 2;

// Menu help of the drop-down titles, by their position on the menu bar.
constexpr int kTitleHelp[] = {IDS_FILE_MENU, IDS_DISPLAY_MENU, IDS_OPTIONS_MENU, IDS_HELP_MENU};

struct RequestReady {
  UINT message;
  ServiceId service;
};
constexpr RequestReady kRequestReady[] = {
    {kPortMapReady, SERVICE_PORTMAP},
    {kMountReady, SERVICE_MOUNT},
    {kNfsReady, SERVICE_NFS},
    {kPcnfsReady, SERVICE_PCNFSD},
};

HGDIOBJ ListFontOrSystem(ServerRecord* server) {
  return server->listFont ? (HGDIOBJ)server->listFont : GetStockObject(SYSTEM_FONT);
}

void OnCreate(HWND hwnd, ServerRecord* server) {
  server->mainWindow = hwnd;
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, ListFontOrSystem(server));
  server->textColor = GetSysColor(COLOR_WINDOWTEXT);
  server->backgroundColor = GetSysColor(COLOR_WINDOW);
  TEXTMETRIC metrics{};
  GetTextMetrics(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  server->headingX = (int16_t)metrics.tmAveCharWidth;
  server->lineHeight = (int16_t)(metrics.tmHeight + metrics.tmExternalLeading);
  server->headingLine1Y = 0;
  server->headingLine2Y = server->lineHeight;
  server->listTop = 2 * server->lineHeight;

  HMENU bar = GetMenu(hwnd);
  server->fileMenu = GetSubMenu(bar, 0);
  server->displayMenu = GetSubMenu(bar, 1);
  server->optionsMenu = GetSubMenu(bar, 2);
  server->helpMenu = GetSubMenu(bar, 3);
  if (server->settings.debugMode) {
    AppendMenu(server->fileMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(server->fileMenu, MF_STRING, IDM_DEBUG, "De&bug");
  }
}

// Tab stops in dialog template units are quarters of the font's average
// letter width, as the list box works them out.
int TemplateUnitBase(HDC dc) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32(dc, kLetters, 52, &size);
  return (size.cx / 26 + 1) / 2;
}

void DrawHeading(ServerRecord* server, HDC dc) {
  const Heading& h = server->settings.display == DISPLAY_EXPORTS ? kExportsHeading : kPortHeading;
  HGDIOBJ old = SelectObject(dc, ListFontOrSystem(server));
  SetTextColor(dc, server->textColor);
  SetBkMode(dc, TRANSPARENT);
  int base = TemplateUnitBase(dc);
  int tabs[4];
  for (int i = 0; i < h.tabCount; ++i)
    tabs[i] = MulDiv(h.tabs[i], base, 4);
  TextOut(dc, server->headingX, server->headingLine1Y, h.line1, (int)strlen(h.line1));
  TabbedTextOut(dc, server->headingX, server->headingLine2Y, h.line2, (int)strlen(h.line2),
                h.tabCount, tabs, server->headingX);
  SelectObject(dc, old);
}

void OnPaint(HWND hwnd, ServerRecord* server) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  if (paint.fErase) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(server->backgroundColor);
    FillRect(dc, &client, background);
    DeleteObject(background);
  }
  PaintStatusBar(server, dc);
  DrawHeading(server, dc);
  EndPaint(hwnd, &paint);
}

void OnSize(HWND hwnd, ServerRecord* server, int width, int height) {
  PlaceStatusBar(server, width, height);
  InvalidateRect(hwnd, &server->statusBar.rect, TRUE);
  int listHeight = height - server->listTop - server->statusBar.height;
  HWND lists[] = {server->exportsList, server->hiddenList, server->portList};
  for (HWND list : lists) {
    if (list) MoveWindow(list, 0, server->listTop, width, listHeight > 0 ? listHeight : 0, TRUE);
  }
}

void OnInitMenuPopup(ServerRecord* server, HMENU menu) {
  if (menu != server->optionsMenu) return;
  UINT enabled = server->log.logFileName[0] ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, IDM_LOG_TO_FILE, MF_BYCOMMAND | enabled);
  CheckMenuItem(menu, IDM_LOG_TO_FILE,
                MF_BYCOMMAND | (server->log.fileLogging ? MF_CHECKED : MF_UNCHECKED));
}

void OnMenuSelect(ServerRecord* server, UINT item, UINT flags, HMENU menu) {
  if (flags == 0xFFFF && !menu) {
    if (server->pane0Saved) {
      SetStatusText(0, server->savedPane0Text, TRUE);
      server->pane0Saved = FALSE;
    }
    return;
  }
  if (!server->pane0Saved) {
    snprintf(server->savedPane0Text, sizeof server->savedPane0Text, "%s", server->pane0Text);
    server->pane0Saved = TRUE;
  }
  int id;
  if (flags & MF_SYSMENU) {
    id = 0;
  } else if (flags & MF_POPUP) {
    id = item < 4 ? kTitleHelp[item] : -1;
  } else {
    id = (flags & MF_SEPARATOR) ? 0 : (int)item;
  }
  char text[kPane0TextSize] = "";
  if (id != 0 && (id < 0 || !LoadString(GetModuleHandle(nullptr), (UINT)id, text, sizeof text)))
    snprintf(text, sizeof text, "%s", "Unknown Item");
  SetStatusText(0, text, TRUE);
}

void RedrawHeading(HWND hwnd, ServerRecord* server) {
  RECT area;
  GetClientRect(hwnd, &area);
  area.bottom = server->listTop;
  InvalidateRect(hwnd, &area, TRUE);
}

void SwitchDisplay(HWND hwnd, ServerRecord* server, DisplayMode mode) {
  if (server->settings.display == mode) return;
  bool exports = mode == DISPLAY_EXPORTS;
  CheckMenuItem(server->displayMenu, IDM_EXPORTS, exports ? MF_CHECKED : MF_UNCHECKED);
  CheckMenuItem(server->displayMenu, IDM_PORTS, exports ? MF_UNCHECKED : MF_CHECKED);
  if (exports) {
    RefillExportsList(server);
  } else {
    FillPortList(server);
  }
  ShowWindow(exports ? server->portList : server->exportsList, SW_HIDE);
  ShowWindow(exports ? server->exportsList : server->portList, SW_SHOW);
  server->settings.display = mode;
  RedrawHeading(hwnd, server);
  SaveSetting(server->settingsFile, &server->settings, SETTING_DISPLAY);
}

void OnClose(HWND hwnd, ServerRecord* server) {
  snprintf(server->settings.version, sizeof server->settings.version, "%s", server->versionText);
  SaveSetting(server->settingsFile, &server->settings, SETTING_VERSION);
  if (!IsIconic(hwnd)) {
    RECT r;
    GetWindowRect(hwnd, &r);
    server->settings.winpos = WindowRect{r.left, r.top, r.right, r.bottom};
    SaveSetting(server->settingsFile, &server->settings, SETTING_WINPOS);
  }
  DestroyWindow(hwnd);
}

void EditSelectedExport(ServerRecord* server) {
  LRESULT line = SendMessage(server->exportsList, LB_GETCURSEL, 0, 0);
  if (line == LB_ERR) return;
  const ExportEntry* entry =
      (const ExportEntry*)SendMessage(server->exportsList, LB_GETITEMDATA, line, 0);
  ShowExportSetup(server, entry);
  RefillExportsList(server);
}

void OnCommand(HWND hwnd, ServerRecord* server, int id, int code) {
  switch (id) {
    case IDM_EXIT:
      PostMessage(hwnd, WM_CLOSE, 0, 0);
      break;
    case IDM_DEBUG:
      if (IsDebuggerPresent()) DebugBreak();
      break;
    case IDM_EXPORTS:
      SwitchDisplay(hwnd, server, DISPLAY_EXPORTS);
      break;
    case IDM_PORTS:
      SwitchDisplay(hwnd, server, DISPLAY_PORTMAP);
      break;
    case IDM_LOG_TO_FILE:
      ToggleFileLogging(server);
      break;
    case IDM_LOG_FILE_SETUP:
      ShowLogFileSetup(server);
      break;
    case IDM_SETUP_SERVER:
      ShowServerSetup(server);
      break;
    case IDM_SETUP_USERS:
      ShowUserSetup(server);
      break;
    case IDM_SETUP_GROUPS:
      ShowGroupSetup(server);
      break;
    case IDM_SETUP_EXPORTS:
      ShowExportSetup(server, nullptr);
      RefillExportsList(server);
      break;
    case IDC_EXPORTS_LIST:
      if (code == LBN_DBLCLK) EditSelectedExport(server);
      break;
    case IDM_ABOUT:
      ShowAboutBox(hwnd, IDI_TOLMID);
      break;
  }
}

bool DispatchRequest(UINT message) {
  for (const RequestReady& r : kRequestReady) {
    if (r.message != message) continue;
    ServeNextRequest(r.service);
    return true;
  }
  return false;
}

}  // namespace

ServerRecord* Server = nullptr;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (DispatchRequest(message)) return 0;
  ServerRecord* server = Server;
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd, (ServerRecord*)((CREATESTRUCT*)lParam)->lpCreateParams);
      return 0;
    case WM_GETMINMAXINFO:
      if (server && server->mainWindow) {
        RECT client;
        GetClientRect(hwnd, &client);
        PlaceStatusBar(server, client.right, client.bottom);
      }
      return 0;
  }
  if (!server) return DefWindowProc(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      OnPaint(hwnd, server);
      return 0;
    case WM_SIZE:
      OnSize(hwnd, server, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(server, (HMENU)wParam);
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(server, LOWORD(wParam), HIWORD(wParam), (HMENU)lParam);
      return 0;
    case WM_COMMAND:
      OnCommand(hwnd, server, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      OnClose(hwnd, server);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

BOOL CreateListFont(ServerRecord* server) {
  LOGFONT font{};
  GetObject(GetStockObject(SYSTEM_FONT), sizeof font, &font);
  font.lfHeight -= 2;
  font.lfWidth -= 2;
  font.lfWeight = 300;
  font.lfCharSet = ANSI_CHARSET;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", "Helv");
  server->listFont = CreateFontIndirect(&font);
  return server->listFont != nullptr;
}

BOOL CreateMainLists(ServerRecord* server) {
  HWND main = server->mainWindow;
  RECT client;
  GetClientRect(main, &client);
  int height = client.bottom - server->listTop - server->statusBar.height;
  height = height > 0 ? height : 0;
  DWORD common = WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
                 LBS_NOINTEGRALHEIGHT;
  struct ListSpec {
    HWND* slot;
    int id;
    DWORD style;
    const int* tabs;
    int tabCount;
  } lists[] = {
      {&server->exportsList, IDC_EXPORTS_LIST, common | WS_VISIBLE | WS_TABSTOP, kExportsTabs, 3},
      {&server->hiddenList, IDC_HIDDEN_LIST, common | LBS_SORT, kPortTabs, 4},
      {&server->portList, IDC_PORT_LIST, common | LBS_SORT | WS_TABSTOP, kPortTabs, 4},
  };
  HINSTANCE instance = GetModuleHandle(nullptr);
  for (ListSpec& wanted : lists) {
    *wanted.slot = CreateWindow("Listbox", nullptr, wanted.style, 0, server->listTop, client.right,
                                height, main, (HMENU)(INT_PTR)wanted.id, instance, nullptr);
    if (!*wanted.slot) {
      for (ListSpec& made : lists) {
        if (*made.slot) DestroyWindow(*made.slot);
        *made.slot = nullptr;
      }
      return FALSE;
    }
    SendMessage(*wanted.slot, WM_SETFONT, (WPARAM)ListFontOrSystem(server), FALSE);
    SendMessage(*wanted.slot, LB_SETTABSTOPS, wanted.tabCount, (LPARAM)wanted.tabs);
  }
  // The headings start where the lists' lines do.
  POINT origin{0, 0};
  ClientToScreen(server->exportsList, &origin);
  ScreenToClient(main, &origin);
  server->headingX = (int16_t)(origin.x + kListTextInset);
  return TRUE;
}

void RefillExportsList(ServerRecord* server) {
  SendMessage(server->exportsList, LB_RESETCONTENT, 0, 0);
  for (int slot = 0; slot < kExportSlots; ++slot) {
    ExportEntry* entry = ExportSlot(slot);
    if (!entry) continue;
    char access[kAccessTextSize];
    AccessToText(entry->access, access);
    char line[400];
    snprintf(line, sizeof line, "%s\t%s\t%s\t   %s", entry->path,
             entry->owner ? entry->owner->username : "", access, "");
    LRESULT index = SendMessage(server->exportsList, LB_ADDSTRING, 0, (LPARAM)line);
    if (index >= 0) SendMessage(server->exportsList, LB_SETITEMDATA, index, (LPARAM)entry);
  }
}

void FillPortList(ServerRecord* server) {
  SendMessage(server->portList, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kPortMapSlots; ++i) {
    const PortMapping* slot = PortMapSlot(i);
    if (slot->program == 0) continue;
    const char* protocol = slot->protocol == PROTOCOL_TCP   ? "TCP"
                           : slot->protocol == PROTOCOL_UDP ? "UDP"
                                                            : "unkown";
    char name[kPortMapNameSize + 1] = {};
    memcpy(name, slot->name, kPortMapNameSize);
    char line[160];
    snprintf(line, sizeof line, "   %lu\t      %lu\t  %s\t%lu\t%s", (unsigned long)slot->program,
             (unsigned long)slot->version, protocol, (unsigned long)slot->port, name);
    SendMessage(server->portList, LB_ADDSTRING, 0, (LPARAM)line);
  }
}

void ShowStartupDisplay(ServerRecord* server) {
  if (server->settings.display == DISPLAY_EXPORTS) {
    RedrawHeading(server->mainWindow, server);
    RefillExportsList(server);
    ShowWindow(server->exportsList, SW_SHOW);
    CheckMenuItem(server->displayMenu, IDM_EXPORTS, MF_CHECKED);
  } else {
    FillPortList(server);
    ShowWindow(server->portList, SW_SHOW);
    ShowWindow(server->exportsList, SW_HIDE);
    CheckMenuItem(server->displayMenu, IDM_PORTS, MF_CHECKED);
  }
  ShowWindow(server->mainWindow,
             server->settings.startMinimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
  UpdateWindow(server->mainWindow);
}
