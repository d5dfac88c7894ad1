// The public WinSock calls. This file sees platform/winsock.h and no POSIX
// socket header; it checks start-up, keeps the static results WinSock hands out
// (host entry, service entry, inet_ntoa's text) and forwards to plat::net.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "net/blocking_call.h"
#include "net/host_lookup.h"
#include "net/inet_text.h"
#include "net/net_errors.h"
#include "net/services_file.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"
#include "platform/winbase.h"
#include "platform/winsock.h"

namespace net = plat::net;

namespace {

constexpr WORD kHighestVersion = MAKEWORD(1, 1);
constexpr unsigned short kMaxUdpDatagram = 65507;  // IPv4's limit for a UDP payload

int startups = 0;

// Versions compare by major, then minor; MAKEWORD puts the major in the low byte.
int VersionOrder(WORD version) {
  return LOBYTE(version) << 8 | HIBYTE(version);
}

bool Ready() {
  if (startups > 0) return true;
  SetLastError(WSANOTINITIALISED);
  return false;
}

// What PLATFORM_WINSOCK lets this library offer: 0 to refuse, else a version.
WORD OfferedVersion() {
  const char* forced = getenv("PLATFORM_WINSOCK");
  if (!forced) return kHighestVersion;
  if (strcmp(forced, "refuse") == 0) return 0;
  unsigned major = 0, minor = 0;
  if (sscanf(forced, "%u.%u", &major, &minor) != 2 || major > 255 || minor > 255)
    return kHighestVersion;
  WORD version = MAKEWORD(major, minor);
  return VersionOrder(version) < VersionOrder(kHighestVersion) ? version : kHighestVersion;
}

hostent* KeepHostEntry(net::HostEntry entry) {
  static net::HostEntry kept;
  static std::vector<char*> addressList;
  static char* noAliases[] = {nullptr};
  static hostent result;
  kept = std::move(entry);
  addressList.clear();
  for (uint32_t& address : kept.addresses)
    addressList.push_back((char*)&address);
  addressList.push_back(nullptr);
  result = hostent{kept.name.data(), noAliases, AF_INET, 4, addressList.data()};
  return &result;
}

servent* KeepServiceEntry(net::ServiceEntry entry) {
  static net::ServiceEntry kept;
  static std::vector<char*> aliasList;
  static servent result;
  kept = std::move(entry);
  aliasList.clear();
  for (std::string& alias : kept.aliases)
    aliasList.push_back(alias.data());
  aliasList.push_back(nullptr);
  result =
      servent{kept.name.data(), aliasList.data(), (short)htons(kept.port), kept.protocol.data()};
  return &result;
}

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  WORD offered = OfferedVersion();
  if (offered == 0) return WSASYSNOTREADY;
  if (!data) return WSAEFAULT;
  *data = WSADATA{};
  data->wHighVersion = offered;
  data->wVersion =
      VersionOrder(versionRequested) < VersionOrder(offered) ? versionRequested : offered;
  snprintf(data->szDescription, sizeof data->szDescription,
           "WinSock %u.%u of the platform layer, on BSD sockets", LOBYTE(offered), HIBYTE(offered));
  snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
  data->iMaxSockets = FD_SETSIZE;  // select cannot take a socket numbered higher
  data->iMaxUdpDg = kMaxUdpDatagram;
  if (LOBYTE(versionRequested) < 1) return WSAVERNOTSUPPORTED;
  ++startups;
  return 0;
}

int WSACleanup() {
  if (!Ready()) return SOCKET_ERROR;
  if (net::InBlockingCall()) return net::FailWsa(WSAEINPROGRESS);
  if (--startups > 0) return 0;
  for (int fd : net::OpenSockets())
    net::CloseSocket((SOCKET)fd);
  net::RestoreDefaultBlockingHook();
  return 0;
}

int WSAGetLastError() {
  return (int)GetLastError();
}

void WSASetLastError(int error) {
  SetLastError((DWORD)error);
}

SOCKET socket(int af, int type, int protocol) {
  return Ready() ? net::OpenSocket(af, type, protocol) : INVALID_SOCKET;
}

int bind(SOCKET s, const sockaddr* name, int nameLength) {
  return Ready() ? net::Bind(s, name, nameLength) : SOCKET_ERROR;
}

int listen(SOCKET s, int backlog) {
  return Ready() ? net::Listen(s, backlog) : SOCKET_ERROR;
}

SOCKET accept(SOCKET s, sockaddr* address, int* addressLength) {
  return Ready() ? net::Accept(s, address, addressLength) : INVALID_SOCKET;
}

int connect(SOCKET s, const sockaddr* name, int nameLength) {
  return Ready() ? net::Connect(s, name, nameLength) : SOCKET_ERROR;
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  return Ready() ? net::Send(s, buffer, length, flags, nullptr, 0) : SOCKET_ERROR;
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  return Ready() ? net::Receive(s, buffer, length, flags, nullptr, nullptr) : SOCKET_ERROR;
}

int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength) {
  return Ready() ? net::Send(s, buffer, length, flags, to, toLength) : SOCKET_ERROR;
}

int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength) {
  return Ready() ? net::Receive(s, buffer, length, flags, from, fromLength) : SOCKET_ERROR;
}

int shutdown(SOCKET s, int how) {
  return Ready() ? net::Shutdown(s, how) : SOCKET_ERROR;
}

int closesocket(SOCKET s) {
  return Ready() ? net::CloseSocket(s) : SOCKET_ERROR;
}

int ioctlsocket(SOCKET s, long command, u_long* argument) {
  return Ready() ? net::Ioctl(s, command, argument) : SOCKET_ERROR;
}

int setsockopt(SOCKET s, int level, int name, const char* value, int length) {
  return Ready() ? net::SetOption(s, level, name, value, length) : SOCKET_ERROR;
}

int getsockopt(SOCKET s, int level, int name, char* value, int* length) {
  return Ready() ? net::GetOption(s, level, name, value, length) : SOCKET_ERROR;
}

int getsockname(SOCKET s, sockaddr* name, int* nameLength) {
  return Ready() ? net::LocalName(s, name, nameLength) : SOCKET_ERROR;
}

int getpeername(SOCKET s, sockaddr* name, int* nameLength) {
  return Ready() ? net::PeerName(s, name, nameLength) : SOCKET_ERROR;
}

int WS_select(int, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const timeval* timeout) {
  return Ready() ? net::Select(readSet, writeSet, exceptSet, timeout) : SOCKET_ERROR;
}

u_long inet_addr(const char* text) {
  uint32_t address;
  return text && net::ParseDottedAddress(text, &address) ? address : INADDR_NONE;
}

char* inet_ntoa(in_addr address) {
  static char text[16];
  net::FormatDottedAddress(address.s_addr, text);
  return text;
}

int WS_gethostname(char* name, int length) {
  return Ready() ? net::HostName(name, length) : SOCKET_ERROR;
}

hostent* gethostbyname(const char* name) {
  if (!Ready()) return nullptr;
  if (!name) return net::FailWsa(WSAEFAULT), nullptr;
  net::HostEntry entry;
  uint32_t address;
  if (net::ParseDottedAddress(name, &address)) {
    entry.name = name;
    entry.addresses.push_back(address);
    return KeepHostEntry(std::move(entry));
  }
  // An empty name is this host, as in WinSock.
  char local[257];
  if (!*name && net::HostName(local, sizeof local) == 0) name = local;
  return net::LookUpHost(name, &entry) ? KeepHostEntry(std::move(entry)) : nullptr;
}

servent* getservbyname(const char* name, const char* protocol) {
  if (!Ready()) return nullptr;
  if (!name) return net::FailWsa(WSAEFAULT), nullptr;
  net::ServiceEntry entry;
  if (!net::FindService(net::ServicesPath(), name, protocol, &entry))
    return net::FailWsa(WSANO_DATA), nullptr;
  return KeepServiceEntry(std::move(entry));
}

int WSAAsyncSelect(SOCKET s, HWND hwnd, u_int message, long events) {
  return Ready() ? net::AsyncSelect(s, hwnd, message, events) : SOCKET_ERROR;
}

BOOL WSAIsBlocking() {
  return net::InBlockingCall();
}

FARPROC WSASetBlockingHook(FARPROC hook) {
  if (!Ready()) return nullptr;
  if (net::InBlockingCall()) return net::FailWsa(WSAEINPROGRESS), nullptr;
  if (!hook) return net::FailWsa(WSAEFAULT), nullptr;
  return net::SetBlockingHook(hook);
}

int WSAUnhookBlockingHook() {
  if (!Ready()) return SOCKET_ERROR;
  if (net::InBlockingCall()) return net::FailWsa(WSAEINPROGRESS);
  net::RestoreDefaultBlockingHook();
  return 0;
}

int WSACancelBlockingCall() {
  if (!Ready()) return SOCKET_ERROR;
  return net::CancelBlockingCall() ? 0 : net::FailWsa(WSAEINVAL);
}
