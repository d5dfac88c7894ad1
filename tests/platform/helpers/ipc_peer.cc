// The other process of the cross-process tests. Its command line picks a part:
//   echo         window "IpcPeer": answers sent messages, sends and posts back; and
//                window "IpcLiar", whose WM_GETTEXT claims far more than it copied
//   dde-server [refuse] [CLASS]  window "DdeServer" (or CLASS): a DDE partner that
//                accepts pokes, or refuses every second one, prints each poked block
//                in hexadecimal and reports its live memory blocks on terminate
//   section NAME TEXT   writes TEXT into the named section, then waits for WM_CLOSE
// It prints "ready" once its window exists and reports on standard output.
#include <stdio.h>
#include <string.h>

#include <string>

#include "ipc/global_memory.h"
#include "platform/dde.h"
#include "platform/windows.h"
#include "platform/winsock.h"

namespace {

constexpr UINT kAdd = WM_USER + 1;         // sent: answers wParam + lParam
constexpr UINT kCallBack = WM_USER + 2;    // sent: sends kAnswer to "IpcTest", answers that + 1
constexpr UINT kAnswer = WM_USER + 3;      // (handled by the test's window)
constexpr UINT kPostBack = WM_USER + 4;    // posted: posts kPosted with wParam to "IpcTest"
constexpr UINT kPosted = WM_USER + 5;      // (handled by the test's window)
constexpr UINT kCrossLater = WM_USER + 6;  // posted: waits, then sends kAnswer to "IpcTest"
constexpr UINT kIdleSelect = WM_USER + 7;  // posted: a blocking select on an idle socket
constexpr UINT kCancel = WM_USER + 8;      // sent: cancels the blocking call
constexpr UINT kBounce = WM_USER + 9;      // sent: sends kBounce(wParam + 1) back to "IpcTest"

int pokes = 0;
bool refuseEverySecond = false;

LRESULT CALLBACK EchoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kAdd:
      return (LRESULT)(wParam + lParam);
    case kCallBack:
      return SendMessage(FindWindow("IpcTest", nullptr), kAnswer, wParam, 0) + 1;
    case kPostBack:
      PostMessage(FindWindow("IpcTest", nullptr), kPosted, wParam, 0);
      return 0;
    case kCrossLater:
      Sleep(150);
      printf("cross %ld\n", (long)SendMessage(FindWindow("IpcTest", nullptr), kAnswer, 5, 0));
      fflush(stdout);
      return 0;
    case kIdleSelect: {
      SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      printf("waiting\n");
      fflush(stdout);
      DWORD start = GetTickCount();
      int result = select(0, &readable, nullptr, nullptr, nullptr);
      printf("select %d %d after %s\n", result, WSAGetLastError(),
             GetTickCount() - start < 5000 ? "less than 5 s" : "too long");
      fflush(stdout);
      closesocket(s);
      return 0;
    }
    case kCancel:
      return WSACancelBlockingCall();
    case kBounce: {
      // Answers the deepest level the chain reached before a send failed.
      LRESULT deeper = SendMessage(FindWindow("IpcTest", nullptr), kBounce, wParam + 1, 0);
      return deeper > (LRESULT)wParam ? deeper : (LRESULT)wParam;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK LiarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXT) {
    DefWindowProc(hwnd, message, wParam, lParam);
    return 100000;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DdeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_INITIATE:
      SendMessage((HWND)wParam, WM_DDE_ACK, (WPARAM)hwnd, (LPARAM)hwnd);
      return 0;
    case WM_DDE_POKE: {
      HGLOBAL block = (HGLOBAL)(uintptr_t)(lParam & 0xFFFF);
      const unsigned char* bytes = (const unsigned char*)GlobalLock(block);
      std::string text;
      for (SIZE_T i = 0; bytes && i < GlobalSize(block); ++i) {
        char hex[4];
        snprintf(hex, sizeof hex, "%02x", bytes[i]);
        text += hex;
      }
      GlobalUnlock(block);
      bool refuse = refuseEverySecond && (++pokes % 2 == 0);
      printf("poke %s %s\n", text.c_str(), refuse ? "refused" : "accepted");
      fflush(stdout);
      if (!refuse) GlobalFree(block);  // the release flag: the receiver frees an accepted block
      PostMessage((HWND)wParam, WM_DDE_ACK, MAKELONG(refuse ? 0 : 0x8000, (WORD)(uintptr_t)block),
                  (LPARAM)hwnd);
      return 0;
    }
    case WM_DDE_TERMINATE:
      PostMessage((HWND)wParam, WM_DDE_TERMINATE, (WPARAM)hwnd, 0);
      printf("blocks %zu\n", plat::ipc::LiveBlockCount());
      fflush(stdout);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SectionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC proc) {
  WNDCLASS wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = className;
  RegisterClass(&wc);
  return CreateWindow(className, "peer", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                      nullptr, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  refuseEverySecond = strstr(commandLine, "refuse") != nullptr;
  char name[64] = {}, text[256] = {};
  LPVOID view = nullptr;
  if (strncmp(commandLine, "echo", 4) == 0) {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    MakeWindow("IpcPeer", EchoProc);
    SetWindowText(MakeWindow("IpcLiar", LiarProc), "a title longer than the buffer");
  } else if (strncmp(commandLine, "dde-server", 10) == 0) {
    const char* named = strrchr(commandLine, ' ');
    bool hasClass = named && strcmp(named + 1, "refuse") != 0;
    static std::string className = hasClass ? named + 1 : "DdeServer";
    MakeWindow(className.c_str(), DdeProc);
  } else if (sscanf(commandLine, "section %63s %255s", name, text) == 2) {
    HANDLE section = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 512, name);
    view = section ? MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 512) : nullptr;
    if (!view) return 3;
    printf("created %s\n", GetLastError() == ERROR_ALREADY_EXISTS ? "existing" : "new");
    strcpy((char*)view, text);
    MakeWindow("SectionPeer", SectionProc);
  } else {
    return 2;
  }
  printf("ready\n");
  fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  return (int)msg.wParam;
}
