// A program for the display tests: a main window with a menu bar, a list box
// with tab stops and a painted status bar showing the menu help line, a setup
// dialog with every kind of control, an about box with an icon, a warning box,
// the open-file dialog, and a UDP echo socket served by the same loop. It
// prints what it receives (menu messages, commands, dialog results, requests)
// one line each, so a test reads the program's side of a person's actions.
// Options: -minimized, -refuse-open N (WM_QUERYOPEN answers 0 N times).
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/commdlg.h"
#include "platform/windows.h"
#include "platform/winsock.h"
#include "tests/platform/helpers/display_demo_ids.h"

using namespace demo;

namespace {

constexpr int kListId = 100;
constexpr UINT kSocketMessage = WM_USER + 1;
constexpr int kStatusHeight = 22;

struct Demo {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  HWND list = nullptr;
  char help[128] = "Ready";
  int refuseOpen = 0;
  SOCKET udp = INVALID_SOCKET;
} app;

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);
}

std::string ItemText(HWND dialog, int id) {
  char text[128] = {};
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const char* name : {"gamma", "alpha", "beta"})
      SendDlgItemMessage(dialog, kIdName, CB_ADDSTRING, 0, (LPARAM)name);
    for (const char* size : {"1024", "2048", "4096", "8192"})
      SendDlgItemMessage(dialog, kIdSize, CB_ADDSTRING, 0, (LPARAM)size);
    SendDlgItemMessage(dialog, kIdSize, CB_SETCURSEL, 2, 0);
    for (const char* group : {"wheel", "users", "staff", "adm", "audio", "video", "disk", "games"})
      SendDlgItemMessage(dialog, kIdGroups, LB_ADDSTRING, 0, (LPARAM)group);
    CheckRadioButton(dialog, kIdAppend, kIdTruncate, kIdAppend);
    // Where a person finds the controls: screen rectangles.
    for (int id : {kIdPassword, kIdComment, kIdServerOn, kIdTruncate, kIdSize}) {
      RECT r;
      GetWindowRect(GetDlgItem(dialog, id), &r);
      Say("at %d %d %d %d %d", id, (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
    }
    Say("setup open");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      Say("setup ok name=%s password=%s comment=%s size=%d groups=%d server=%u truncate=%u",
          ItemText(dialog, kIdName).c_str(), ItemText(dialog, kIdPassword).c_str(),
          ItemText(dialog, kIdComment).c_str(),
          (int)SendDlgItemMessage(dialog, kIdSize, CB_GETCURSEL, 0, 0),
          (int)SendDlgItemMessage(dialog, kIdGroups, LB_GETSELCOUNT, 0, 0),
          IsDlgButtonChecked(dialog, kIdServerOn), IsDlgButtonChecked(dialog, kIdTruncate));
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      Say("setup cancel");
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_LBUTTONDBLCLK && (wParam & (MK_SHIFT | MK_CONTROL))) {
    RECT icon;
    GetWindowRect(GetDlgItem(dialog, kIdIcon), &icon);
    POINT at{(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
    ClientToScreen(dialog, &at);
    if (PtInRect(&icon, at)) {
      MessageBeep(0xFFFF);
      Say("beep");
    }
    return TRUE;
  }
  if (message == WM_COMMAND) {
    Say("about closed");
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void ChooseFile(HWND hwnd) {
  char path[MAX_PATH] = {};
  OPENFILENAME ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = "Log Files(*.log)\0*.log\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrInitialDir = getenv("DEMO_DIR") ? getenv("DEMO_DIR") : "c:\\";
  ofn.lpstrTitle = "Log File Selection";
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (GetOpenFileName(&ofn)) {
    Say("file %s", path);
  } else {
    Say("file cancelled");
  }
}

void Command(HWND hwnd, UINT id) {
  Say("command %u", id);
  switch (id) {
    case kIdOpen:
      DialogBoxParam(app.instance, "SETUP", hwnd, SetupProc, 0);
      break;
    case kIdAbout:
      DialogBoxParam(app.instance, MAKEINTRESOURCE(kAboutDialog), hwnd, AboutProc, 0);
      break;
    case kIdFile:
      ChooseFile(hwnd);
      break;
    case kIdWarn:
      MessageBox(hwnd, "Something to know.", "Display Demo", MB_OK | MB_ICONEXCLAMATION);
      Say("warning closed");
      break;
    case kIdLog: {
      HMENU menu = GetMenu(hwnd);
      UINT state = GetMenuState(menu, kIdLog, MF_BYCOMMAND);
      CheckMenuItem(menu, kIdLog,
                    MF_BYCOMMAND | ((state & MF_CHECKED) ? MF_UNCHECKED : MF_CHECKED));
      break;
    }
    case kIdExit:
      PostMessage(hwnd, WM_CLOSE, 0, 0);
      break;
  }
}

void PaintStatus(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  RECT bar{0, client.bottom - kStatusHeight, client.right, client.bottom};
  FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
  RECT line{0, bar.top, client.right, bar.top + 1};
  FillRect(dc, &line, GetSysColorBrush(COLOR_WINDOWTEXT));
  RECT pane{6, bar.top + 4, client.right - 6, client.bottom - 3};
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  HFONT old = (HFONT)SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  ExtTextOut(dc, pane.left + 3, pane.top + 1, ETO_CLIPPED | ETO_OPAQUE, &pane, app.help,
             (UINT)strlen(app.help), nullptr);
  SelectObject(dc, old);
}

void ServeDatagram() {
  char buffer[512];
  sockaddr_in from{};
  int fromLength = sizeof from;
  int n = recvfrom(app.udp, buffer, sizeof buffer - 1, 0, (sockaddr*)&from, &fromLength);
  if (n < 0) return;
  buffer[n] = 0;
  std::string reply = std::string("echo ") + buffer;
  sendto(app.udp, reply.data(), (int)reply.size(), 0, (sockaddr*)&from, fromLength);
  Say("served %s", buffer);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITMENUPOPUP:
      Say("initmenupopup %u", LOWORD(lParam));
      return 0;
    case WM_MENUSELECT: {
      UINT item = LOWORD(wParam), flags = HIWORD(wParam);
      Say("menuselect %u %04x", item, flags);
      if (flags == 0xFFFF && !lParam) {
        strcpy(app.help, "Ready");
      } else if (flags & MF_POPUP) {
        strcpy(app.help, "");
      } else if (!LoadString(app.instance, item, app.help, sizeof app.help)) {
        strcpy(app.help, "");
      }
      RECT client;
      GetClientRect(hwnd, &client);
      client.top = client.bottom - kStatusHeight;
      InvalidateRect(hwnd, &client, FALSE);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kListId) {
        if (HIWORD(wParam) == LBN_DBLCLK) {
          Say("list double click %d", (int)SendMessage(app.list, LB_GETCURSEL, 0, 0));
        }
        return 0;
      }
      Command(hwnd, LOWORD(wParam));
      return 0;
    case WM_SIZE:
      Say("size %u %u %u", (unsigned)wParam, LOWORD(lParam), HIWORD(lParam));
      if (app.list && wParam != SIZE_MINIMIZED)
        MoveWindow(app.list, 0, 0, LOWORD(lParam), HIWORD(lParam) - kStatusHeight, TRUE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintStatus(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_QUERYOPEN:
      if (app.refuseOpen > 0) {
        app.refuseOpen--;
        Say("queryopen refused");
        return 0;
      }
      Say("queryopen accepted");
      return 1;
    case kSocketMessage:
      ServeDatagram();
      return 0;
    case WM_CLOSE:
      Say("close");
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

bool OpenSocket(HWND hwnd) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  app.udp = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (app.udp == INVALID_SOCKET || bind(app.udp, (sockaddr*)&at, sizeof at) != 0) return false;
  int length = sizeof at;
  getsockname(app.udp, (sockaddr*)&at, &length);
  WSAAsyncSelect(app.udp, hwnd, kSocketMessage, FD_READ);
  Say("udp %u", ntohs(at.sin_port));
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  app.instance = instance;
  bool minimized = strstr(commandLine, "-minimized") != nullptr;
  if (const char* refuse = strstr(commandLine, "-refuse-open ")) app.refuseOpen = atoi(refuse + 13);
  WNDCLASS wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(kAppIcon));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszMenuName = "DemoMenu";
  wc.lpszClassName = "DemoMain";
  if (!RegisterClass(&wc)) return 1;
  app.main = CreateWindow("DemoMain", "Display Demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40,
                          480, 300, nullptr, nullptr, instance, nullptr);
  if (!app.main) return 1;
  RECT client;
  GetClientRect(app.main, &client);
  app.list = CreateWindow("ListBox", "",
                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                              LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT,
                          0, 0, client.right, client.bottom - kStatusHeight, app.main,
                          (HMENU)(INT_PTR)kListId, instance, nullptr);
  INT stops[] = {80, 160};
  SendMessage(app.list, LB_SETTABSTOPS, 2, (LPARAM)stops);
  for (int i = 1; i <= 40; ++i) {
    char line[64];
    snprintf(line, sizeof line, "item %02d\tvalue %d\t%s", i, i * 7, i % 2 ? "odd" : "even");
    SendMessage(app.list, LB_ADDSTRING, 0, (LPARAM)line);
  }
  if (!OpenSocket(app.main)) return 1;
  ShowWindow(app.main, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
  UpdateWindow(app.main);
  GetClientRect(app.main, &client);
  Say("ready iconic=%d client=%dx%d", IsIconic(app.main) ? 1 : 0, (int)client.right,
      (int)client.bottom);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  closesocket(app.udp);
  return (int)msg.wParam;
}
