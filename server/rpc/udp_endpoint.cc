// Every failure text goes through the opening service's log callback, so it
// reaches the server log after the service's prefix line. One read notification
// reads one datagram, straight into the buffer the decoder then owns. The port
// mapper also listens over TCP (stream_endpoint.cc) on the same hidden window.
#include "rpc/udp_endpoint.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rpc/endpoint_log.h"
#include "rpc/rpc_programs.h"
#include "rpc/rpc_request.h"
#include "rpc/rpc_transport.h"
#include "rpc/stream_endpoint.h"
#include "rpc/winsock_state.h"

namespace {

constexpr uint16_t kDefaultPcnfsPort = 1525;
// NFS clients keep many 8 KiB writes in flight; the system's default receive
// buffer drops a burst of them, and each drop costs the client a time-out.
constexpr int kNfsReceiveBuffer = 2 << 20;
constexpr uint32_t kUdp = 17;

struct Registration {
  uint32_t program;
  uint32_t version;
  const char* warning;  // filled with the port
};

// One row per service: what the tables of the endpoints say.
struct ServiceConstants {
  uint32_t program;
  uint16_t port;  // 0: looked up (PCNFSD)
  UINT socketMessage;
  const char* registrationName;
  const char* createFailure;
  const char* bindFailure;
  Registration registrations[2];
};

const ServiceConstants kServices[SERVICE_COUNT] = {
    {100003,
     2049,
     3024,
     "NFS File Service",
     "Can't create NFS Server socket (%d).",
     "Can't bind socket (%d).",
     {{100003, 2, "Warning: NFS Can't register port (%d)."}}},
    {100000,
     111,
     3026,
     nullptr,
     "Can't create Port Mapper socket (%d).",
     "Can't bind Port Mapper socket (%d).",
     {}},
    {100005,
     1058,
     3027,
     "NFS Mount Service",
     "Can't create Mount Daemon socket (%d).",
     "Can't bind Mount Daemon socket (%d).",
     {{100005, 1, "Warning: Mount Daemon Can't register port (%d)."}}},
    {150001,
     0,
     3028,
     "PCNFS Daemon",
     "Can't create PCNFS Daemon socket (%d).",
     "Can't bind PCNFSD socket (%d).",
     {{150001, 1, "Warning: PCNFSD Can't register port (%d)."},
      {150001, 2, "Warning: PCNFSD Can't register port for version 2 (%d)."}}},
};

// The texts above hold one "%d" each; it is filled here rather than by printf, so
// that no format string ever comes from a table.
void ReportNumbered(ServiceEndpoint* endpoint, const char* pattern, int number) {
  std::string text = pattern;
  size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
  ReportEndpoint(endpoint, LOG_ERROR, "%s", text.c_str());
}

// The line above is the one operators know; this one says what to do about it.
void ExplainBindFailure(ServiceEndpoint* endpoint, int error) {
  if (error == WSAEACCES) {
    ReportEndpoint(endpoint, LOG_ERROR,
                   "Port %u is privileged: run the server as root or grant it "
                   "CAP_NET_BIND_SERVICE.",
                   endpoint->port);
  } else if (error == WSAEADDRINUSE) {
    ReportEndpoint(endpoint, LOG_ERROR,
                   "Port %u is in use: another program (perhaps another port mapper) holds it.",
                   endpoint->port);
  }
}

bool layerPrepared = false;
HWND hiddenWindow = nullptr;

ServiceEndpoint* Endpoint(ServiceId service) {
  ServiceEndpoint* endpoint = ServiceEndpoints[service];
  assert(!endpoint || endpoint->tag == ServiceTag(service));
  return endpoint;
}

bool ServiceOfMessage(UINT message, ServiceId* service) {
  for (int s = 0; s < SERVICE_COUNT; ++s) {
    if (kServices[s].socketMessage == message) {
      *service = (ServiceId)s;
      return true;
    }
  }
  return false;
}

void Receive(ServiceId service, ServiceEndpoint* endpoint) {
  ReceiveBuffer* buffer = CreateReceiveBuffer();
  if (!buffer) {
    // The datagram must still be read: a notification comes again only after a read.
    char discard[kDatagramSize];
    recvfrom(endpoint->socket, discard, sizeof discard, 0, nullptr, nullptr);
    ReportEndpointLimited(endpoint, "No memory to receive a datagram; it was dropped.");
    return;
  }
  int senderLength = sizeof buffer->sender;
  int length = recvfrom(endpoint->socket, (char*)buffer->data, kDatagramSize, 0,
                        (sockaddr*)&buffer->sender, &senderLength);
  if (length == SOCKET_ERROR) {
    int error = WSAGetLastError();
    FreeReceiveBuffer(buffer);
    if (error != WSAEWOULDBLOCK)
      ReportEndpointLimited(endpoint, "recv error on NFS Socket - %d", error);
    return;
  }
  if (length == 0) {
    FreeReceiveBuffer(buffer);
    return;
  }
  buffer->length = (int16_t)length;
  DecodeServiceCall(service, endpoint, buffer);
}

LRESULT CALLBACK HiddenWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleStreamMessage(message, wParam, lParam)) return 0;
  ServiceId service;
  if (!ServiceOfMessage(message, &service)) return DefWindowProc(hwnd, message, wParam, lParam);
  ServiceEndpoint* endpoint = Endpoint(service);
  // A notification left over from a socket that has been closed since is ignored.
  if (!endpoint || (SOCKET)wParam != endpoint->socket) return 0;
  if (WSAGETSELECTEVENT(lParam) != FD_READ) return 0;
  Receive(service, endpoint);
  return 0;
}

bool PrepareLayer(LogCallback log) {
  if (layerPrepared) return true;
  if (!StartWinSock(nullptr)) {
    log(LOG_ERROR, "Can't initialize winsock.");
    return false;
  }
  WNDCLASS wc{};
  wc.lpfnWndProc = HiddenWindowProc;
  wc.lpszClassName = kHiddenWindowClass;
  if (!RegisterClass(&wc)) {
    log(LOG_ERROR, "Can't register nfsspewnd class.");
    return false;
  }
  hiddenWindow =
      CreateWindow(kHiddenWindowClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!hiddenWindow) {
    log(LOG_ERROR, "Can't create nfsspewnd window.");
    return false;
  }
  layerPrepared = true;
  return true;
}

// The open ends here on failure: the endpoint goes, socket and all.
int Abandon(ServiceId service) {
  ServiceEndpoint* endpoint = Endpoint(service);
  if (endpoint && endpoint->socket != INVALID_SOCKET) closesocket(endpoint->socket);
  DestroyEndpointRecord(service);
  return ENDPOINT_FAILED;
}

uint16_t PcnfsPort(ServiceEndpoint* endpoint) {
  servent* entry = getservbyname("pcnfsd", "udp");
  if (entry) return ntohs((u_short)entry->s_port);
  ReportEndpoint(endpoint, LOG_ERROR, "pcnfsd getservbyname error (%d) - will use default port %d.",
                 WSAGetLastError(), kDefaultPcnfsPort);
  return kDefaultPcnfsPort;
}

void Unregister(ServiceId service, ServiceEndpoint* endpoint, int count = 2) {
  for (int i = 0; i < count; ++i) {
    const Registration& r = kServices[service].registrations[i];
    if (!r.program) break;
    Mapping mapping{r.program, r.version, kUdp, endpoint->port};
    RegisterPort(REGISTER_UNSET, &mapping, nullptr);
  }
}

// A failed second registration takes the first back: a closed port must not stay
// registered.
bool Register(ServiceId service, ServiceEndpoint* endpoint) {
  const ServiceConstants& constants = kServices[service];
  for (int i = 0; i < 2; ++i) {
    const Registration& r = constants.registrations[i];
    if (!r.program) break;
    Mapping mapping{r.program, r.version, kUdp, endpoint->port};
    if (!RegisterPort(REGISTER_SET, &mapping, constants.registrationName)) {
      ReportNumbered(endpoint, r.warning, endpoint->port);
      Unregister(service, endpoint, i);
      return false;
    }
  }
  return true;
}

}  // namespace

BOOL RegisterPort(int operation, const Mapping* mapping, const char* name) {
  ServiceEndpoint* portMapper = Endpoint(SERVICE_PORTMAP);
  if (!portMapper || !portMapper->registerCallback) return FALSE;
  return portMapper->registerCallback(operation, mapping, name);
}

int SetPreferredTransferSize(uint16_t) {
  return 0;
}

int OpenServiceEndpoint(ServiceId service, const EndpointParameters* parameters) {
  if (Endpoint(service) || !parameters->logCallback) return ENDPOINT_FAILED;
  if (!PrepareLayer(parameters->logCallback)) return ENDPOINT_FAILED;
  ServiceEndpoint* endpoint = CreateEndpointRecord(service);
  if (!endpoint) return ENDPOINT_NO_MEMORY;
  endpoint->notifyWindow = parameters->notifyWindow;
  endpoint->notifyMessage = parameters->notifyMessage;
  endpoint->logCallback = parameters->logCallback;
  if (service == SERVICE_PORTMAP) endpoint->registerCallback = parameters->registerCallback;

  const ServiceConstants& constants = kServices[service];
  endpoint->socket = socket(AF_INET, SOCK_DGRAM, 0);
  if (endpoint->socket == INVALID_SOCKET) {
    ReportNumbered(endpoint, constants.createFailure, WSAGetLastError());
    return Abandon(service);
  }
  endpoint->port = constants.port ? constants.port : PcnfsPort(endpoint);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint->port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(endpoint->socket, (sockaddr*)&address, sizeof address) == SOCKET_ERROR) {
    int error = WSAGetLastError();
    ReportNumbered(endpoint, constants.bindFailure, error);
    ExplainBindFailure(endpoint, error);
    return Abandon(service);
  }
  if (service == SERVICE_NFS) {
    SetPreferredTransferSize(parameters->preferredTransferSize);
    int size = kNfsReceiveBuffer;
    setsockopt(endpoint->socket, SOL_SOCKET, SO_RCVBUF, (const char*)&size, sizeof size);
  }
  if (!Register(service, endpoint)) return Abandon(service);
  WSAAsyncSelect(endpoint->socket, hiddenWindow, constants.socketMessage, FD_READ);
  if (service == SERVICE_PORTMAP) OpenStreamListener(endpoint, hiddenWindow);
  endpoint->debug = parameters->debug;
  endpoint->active = 1;
  return ENDPOINT_OPEN;
}

void CloseServiceEndpoint(ServiceId service) {
  ServiceEndpoint* endpoint = Endpoint(service);
  if (!endpoint) return;
  Unregister(service, endpoint);
  if (service == SERVICE_PORTMAP) CloseStreamListener();
  if (endpoint->socket != INVALID_SOCKET) {
    WSAAsyncSelect(endpoint->socket, nullptr, 0, 0);
    closesocket(endpoint->socket);
    endpoint->socket = INVALID_SOCKET;
  }
  DestroyEndpointRecord(service);
}

int TransmitReply(ServiceEndpoint* endpoint, const ReceiveBuffer* call, const char* bytes,
                  int length, int* error) {
  if (call->stream) return SendOnStream(call->stream, bytes, length, error);
  const sockaddr_in* to = &call->sender;
  int sent = sendto(endpoint->socket, bytes, length, 0, (const sockaddr*)to, sizeof *to);
  if (sent == SOCKET_ERROR) *error = WSAGetLastError();
  return sent;
}

BOOL AnnounceRequest(ServiceEndpoint* endpoint) {
  return PostMessage(endpoint->notifyWindow, endpoint->notifyMessage, 0, 0);
}
