// A host for the RPC engine until the server shell exists: opens the endpoints
// named on its command line (any of "portmap nfs mount pcnfsd", and "debug"), in
// the server's order, and serves them in its message loop. Log lines go to
// standard output as "<prefix><text>"; "ready" follows the opens.
#include <stdio.h>
#include <string.h>

#include "platform/windows.h"
#include "portmap/portmap_table.h"
#include "rpc/rpc_programs.h"
#include "rpc/udp_endpoint.h"

namespace {

void Print(const char* prefix, const char* text) {
  printf("%s%s\n", prefix, text);
  fflush(stdout);
}
void PortMapLog(int, const char* text) {
  Print("Port Mapper: ", text);
}
void MountLog(int, const char* text) {
  Print("Mount Daemon: ", text);
}
void NfsLog(int, const char* text) {
  Print("Brevant NFS Server: ", text);
}
void PcnfsLog(int, const char* text) {
  Print("PCNFS Daemon: ", text);
}

struct Service {
  const char* word;
  ServiceId id;
  UINT ready;
  LogCallback log;
};

// The server's start order: the port mapper first, NFS before mount.
const Service kServices[] = {
    {"portmap", SERVICE_PORTMAP, kPortMapRequestReady, PortMapLog},
    {"nfs", SERVICE_NFS, kNfsRequestReady, NfsLog},
    {"mount", SERVICE_MOUNT, kMountRequestReady, MountLog},
    {"pcnfsd", SERVICE_PCNFSD, kPcnfsRequestReady, PcnfsLog},
};

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const Service& s : kServices) {
    if (message != s.ready) continue;
    ServeNextRequest(s.id);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASS wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.lpszClassName = "RpcHost";
  RegisterClass(&wc);
  HWND main = CreateWindow("RpcHost", "rpc host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, instance, nullptr);
  BOOL debug = strstr(commandLine, "debug") != nullptr;
  for (const Service& s : kServices) {
    if (!strstr(commandLine, s.word)) continue;
    if (s.id == SERVICE_PORTMAP) ClearPortMapTable();
    EndpointParameters parameters{s.log, main, s.ready, debug, RegisterCallback, 1024};
    if (OpenServiceEndpoint(s.id, &parameters) != ENDPOINT_OPEN) {
      printf("failed %s\n", s.word);
      fflush(stdout);
    }
  }
  printf("ready\n");
  fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  for (const Service& s : kServices)
    CloseServiceEndpoint(s.id);
  return (int)msg.wParam;
}
