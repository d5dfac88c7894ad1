// The local address comes from the host's own name when that resolves, else from a
// socket bound to the wildcard address (ports 32000 down to 31001, skipping ports
// in use); whatever getsockname gives for it is taken.
#include "shell/networking.h"

#include <string.h>

#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"
#include "shell/slave_calls.h"

namespace {

constexpr int kWorkAreaSize = 256;
constexpr int kHostNameSize = 256;
constexpr u_short kFirstProbePort = 32000;
constexpr int kProbePorts = 1000;
constexpr int kSelfTestPasses = 100;

bool AddressFromHostName() {
  char name[kHostNameSize] = {};
  if (gethostname(name, sizeof name) != 0 || !name[0]) return false;
  const hostent* host = gethostbyname(name);
  if (!host || !host->h_addr_list || !host->h_addr_list[0]) return false;
  memcpy(&session.localAddress, host->h_addr_list[0], sizeof session.localAddress);
  return true;
}

bool AddressFromSocket() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    ReportMessage(kMsgNoLocalAddress, SocketErrorText(WSAGetLastError()));
    return false;
  }
  bool bound = false;
  for (int i = 0; i < kProbePorts; ++i) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)(kFirstProbePort - i));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, (sockaddr*)&address, sizeof address) == 0) {
      bound = true;
      break;
    }
    if (WSAGetLastError() != WSAEADDRINUSE) break;
  }
  sockaddr_in local{};
  int length = sizeof local;
  bool named = bound && getsockname(s, (sockaddr*)&local, &length) == 0;
  int error = WSAGetLastError();
  closesocket(s);
  if (!named) {
    ReportMessage(kMsgNoLocalAddress, SocketErrorText(error));
    return false;
  }
  session.localAddress = local.sin_addr;
  return true;
}

void ReleaseWorkArea() {
  if (session.netWorkArea) {
    if (session.netWorkAreaData) GlobalUnlock(session.netWorkArea);
    GlobalFree(session.netWorkArea);
  }
  session.netWorkArea = nullptr;
  session.netWorkAreaData = nullptr;
}

}  // namespace

bool StartNetworking() {
  // A self-test pass that failed keeps its area; it is not kept twice.
  if (session.netWorkArea) ReleaseWorkArea();
  session.netWorkArea = GlobalAlloc(GHND, kWorkAreaSize);
  session.netWorkAreaData = session.netWorkArea ? GlobalLock(session.netWorkArea) : nullptr;
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
    if (session.netWorkArea) GlobalUnlock(session.netWorkArea);
    session.netWorkAreaData = nullptr;
    return false;
  }
  if (AddressFromHostName()) {
    if (session.localAddress.s_addr != 0) return true;
    ReportMessage(kMsgInvalidLocalAddress);
    return false;
  }
  return AddressFromSocket();
}

void StopNetworking() {
  ReleaseWorkArea();
  WSACleanup();
}

void EndSessionAndStopNetworking() {
  if (!session.networkStarted) return;
  CloseSession();
  session.networkStarted = false;
  StopNetworking();
}

void StartNetworkingRequest() {
  EndSessionAndStopNetworking();
  bool started = StartNetworking();
  ReportMessage(kMsgWinsockInit, started ? 200 : 500,
                LoadMessage(1, started ? kMsgSucceeded : kMsgFailed));
  ServicePortAndOptionDefaults();
  session.networkStarted = true;
}

void NetworkSelfTest() {
  for (int i = 0; i < kSelfTestPasses; ++i) {
    ReportMessage(kMsgNetworkLoop, i);
    if (!StartNetworking()) {
      ReportMessage(kMsgNetworkStartError, WSAGetLastError());
      return;
    }
    StopNetworking();
  }
  ReportMessage(kMsgNetworkTestDone);
}
