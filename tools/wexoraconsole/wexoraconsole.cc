// The stand-in for the console program of the product family: a window of class
// "zVkClassconsole" that serves DDE conversations on application "wexoraconsole",
// topic "console_log", and prints each poked line with its time and header; on a
// display the lines also fill a list box over the window's client area.
// Its commands (menu ids, also sent by tests as WM_COMMAND) refuse lines, end the
// conversations (the partners then quit) and exit. "-refuse" starts refusing.
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dde.h"
#include "platform/windows.h"

namespace {

constexpr UINT kRefuseLines = 101;  // toggles
constexpr UINT kEndConversations = 102;
constexpr UINT kExit = 103;
constexpr WORD kReleaseFlag = 0x2000;
constexpr WORD kAccepted = 0x8000;
constexpr int kListId = 1;
constexpr int kKeptLines = 2000;  // the window shows the latest; standard output has all

struct Console {
  bool refusing = false;
  ATOM item = 0;
  HWND list = nullptr;
  std::vector<HWND> partners;
} console;

bool AtomIs(ATOM atom, const char* name) {
  char text[64];
  return GlobalGetAtomName(atom, text, sizeof text) && strcasecmp(text, name) == 0;
}

// A line block as sent: flags, format, time, then the header and the text, each
// ending in a zero byte inside the block. Anything else is refused.
bool ReadLine(HGLOBAL block, WORD* flags, std::string* line) {
  SIZE_T size = GlobalSize(block);
  const BYTE* bytes = (const BYTE*)GlobalLock(block);
  if (!bytes) return false;
  bool ok = false;
  WORD format = 0;
  if (size >= 10) {
    memcpy(flags, bytes, 2);
    memcpy(&format, bytes + 2, 2);
    const char* header = (const char*)bytes + 8;
    const char* headerEnd = (const char*)memchr(header, 0, size - 8);
    const char* text = headerEnd ? headerEnd + 1 : nullptr;
    const char* textEnd = text && text < (const char*)bytes + size
                              ? (const char*)memchr(text, 0, (const char*)bytes + size - text)
                              : nullptr;
    if (format == CF_TEXT && textEnd) {
      time_t when = (time_t)((uint32_t)bytes[4] | (uint32_t)bytes[5] << 8 |
                             (uint32_t)bytes[6] << 16 | (uint32_t)bytes[7] << 24);
      char stamp[16];
      struct tm local;
      strftime(stamp, sizeof stamp, "%H:%M:%S", localtime_r(&when, &local));
      *line = std::string(stamp) + " " + header + " " + text;
      ok = true;
    }
  }
  GlobalUnlock(block);
  return ok;
}

void Show(const std::string& line) {
  if (!console.list) return;
  if (SendMessage(console.list, LB_GETCOUNT, 0, 0) >= kKeptLines)
    SendMessage(console.list, LB_DELETESTRING, 0, 0);
  LRESULT at = SendMessage(console.list, LB_ADDSTRING, 0, (LPARAM)line.c_str());
  if (at >= 0) SendMessage(console.list, LB_SETTOPINDEX, (WPARAM)at, 0);
}

void Poke(HWND self, HWND partner, LPARAM lParam) {
  HGLOBAL block = (HGLOBAL)(UINT_PTR)LOWORD(lParam);
  WORD flags = 0;
  std::string line;
  bool accept = !console.refusing && ReadLine(block, &flags, &line);
  if (accept) {
    // Lines end in "\r" or "\n" of their own at times; one line per line here.
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
      line.pop_back();
    printf("%s\n", line.c_str());
    fflush(stdout);
    Show(line);
    if (flags & kReleaseFlag) GlobalFree(block);
  }
  PostMessage(partner, WM_DDE_ACK, MAKELONG(accept ? kAccepted : 0, LOWORD(lParam)), (LPARAM)self);
}

void EndConversations(HWND self) {
  for (HWND partner : console.partners)
    PostMessage(partner, WM_DDE_TERMINATE, (WPARAM)self, 0);
  console.partners.clear();
}

LRESULT CALLBACK ConsoleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_INITIATE:
      if (AtomIs(LOWORD(lParam), "wexoraconsole") && AtomIs(HIWORD(lParam), "console_log")) {
        console.partners.push_back((HWND)wParam);
        SendMessage((HWND)wParam, WM_DDE_ACK, (WPARAM)hwnd, (LPARAM)hwnd);
      }
      return 0;
    case WM_DDE_POKE:
      Poke(hwnd, (HWND)wParam, lParam);
      return 0;
    case WM_DDE_TERMINATE:
      std::erase(console.partners, (HWND)wParam);
      return 0;
    case WM_SIZE:
      if (console.list && wParam != SIZE_MINIMIZED)
        MoveWindow(console.list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kRefuseLines:
          console.refusing = !console.refusing;
          break;
        case kEndConversations:
          EndConversations(hwnd);
          break;
        case kExit:
          DestroyWindow(hwnd);
          break;
      }
      return 0;
    case WM_DESTROY:
      EndConversations(hwnd);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  console.refusing = strstr(commandLine, "-refuse") != nullptr;
  if (FindWindow("zVkClassconsole", nullptr)) {
    fprintf(stderr, "wexoraconsole: a console is already running on this desktop\n");
    return 1;
  }
  WNDCLASS wc{};
  wc.lpfnWndProc = ConsoleProc;
  wc.hInstance = instance;
  wc.lpszClassName = "zVkClassconsole";
  if (!RegisterClass(&wc)) return 1;
  HWND hwnd = CreateWindow("zVkClassconsole", "Console", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                           CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  RECT client;
  GetClientRect(hwnd, &client);
  console.list =
      CreateWindow("ListBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0,
                   client.right, client.bottom, hwnd, (HMENU)(INT_PTR)kListId, instance, nullptr);
  SendMessage(console.list, WM_SETFONT, (WPARAM)GetStockObject(ANSI_FIXED_FONT), FALSE);
  console.item = GlobalAddAtom("console_log");  // keeps the topic's atom while we serve it
  ShowWindow(hwnd, show);
  printf("wexoraconsole ready\n");
  fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  GlobalDeleteAtom(console.item);
  return (int)msg.wParam;
}
