// WinSock 1.1 of the platform layer: types, constants, byte order and calls.
// The C++ library already declares the POSIX select(), fd_set, timeval and
// gethostname() in every translation unit; fd_set and timeval are shared with
// POSIX (same layout), while the calls are renamed so that the WinSock ones,
// which run the blocking hook, are the ones a program reaches.
//
// PLATFORM_WINSOCK lets tests play an older or absent sockets library:
// "1.0" makes WSAStartup grant at most version 1.0, "refuse" makes it fail with
// WSASYSNOTREADY. PLATFORM_SERVICES names the services file getservbyname reads
// (default /etc/services).
#pragma once

#include <sys/select.h>
#include <sys/types.h>
#include <unistd.h>

#include <bit>

#include "platform/windef.h"

// u_char, u_short, u_int and u_long are the C library's (it declares them in
// every translation unit too); its u_long has 64 bits, so the structures that
// carry an IPv4 address use uint32_t where WinSock's 32-bit u_long stood.
typedef UINT_PTR SOCKET;

#define INVALID_SOCKET ((SOCKET)(~0))
#define SOCKET_ERROR (-1)

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_IP 0
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17

#define INADDR_ANY ((uint32_t)0x00000000)
#define INADDR_LOOPBACK ((uint32_t)0x7f000001)
#define INADDR_NONE ((uint32_t)0xffffffff)

struct in_addr {
  uint32_t s_addr;  // network byte order
};

struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};

struct sockaddr_in {
  short sin_family;
  u_short sin_port;
  struct in_addr sin_addr;
  char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == 16, "WinSock's IPv4 socket address is 16 bytes");

struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
#ifndef h_addr
#define h_addr h_addr_list[0]
#endif

struct servent {
  char* s_name;
  char** s_aliases;
  short s_port;  // network byte order
  char* s_proto;
};

inline constexpr bool kWsLittleEndian = std::endian::native == std::endian::little;
inline constexpr u_short WsSwap16(u_short v) {
  return kWsLittleEndian ? (u_short)((v >> 8) | (v << 8)) : v;
}
inline constexpr uint32_t WsSwap32(uint32_t v) {
  return kWsLittleEndian ? (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24)
                         : v;
}
inline constexpr uint32_t htonl(uint32_t v) {
  return WsSwap32(v);
}
inline constexpr uint32_t ntohl(uint32_t v) {
  return WsSwap32(v);
}
inline constexpr u_short htons(u_short v) {
  return WsSwap16(v);
}
inline constexpr u_short ntohs(u_short v) {
  return WsSwap16(v);
}

// Version negotiation and the library's description of itself.
#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

typedef struct WSAData {
  WORD wVersion;      // what the caller may use: min(requested, wHighVersion)
  WORD wHighVersion;  // the highest version this library offers
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
} WSADATA, *LPWSADATA;

typedef int(WINAPI* FARPROC)();

// Error numbers (WSAGetLastError).
#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETOOMANYREFS 10059
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAELOOP 10062
#define WSAENAMETOOLONG 10063
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSAENOTEMPTY 10066
#define WSAEPROCLIM 10067
#define WSAEUSERS 10068
#define WSAEDQUOT 10069
#define WSAESTALE 10070
#define WSAEREMOTE 10071
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004
#define WSANO_ADDRESS WSANO_DATA

// Socket options. Levels and names are WinSock's own; the layer maps them.
#define SOL_SOCKET 0xffff
#define SO_ACCEPTCONN 0x0002
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_DONTROUTE 0x0010
#define SO_BROADCAST 0x0020
#define SO_LINGER 0x0080
#define SO_OOBINLINE 0x0100
#define SO_DONTLINGER ((u_int)(~SO_LINGER))
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_ERROR 0x1007
#define SO_TYPE 0x1008
#define TCP_NODELAY 0x0001

struct linger {
  u_short l_onoff;
  u_short l_linger;  // seconds
};

#define SOMAXCONN 5

// Flags of send, recv, sendto and recvfrom.
#define MSG_OOB 0x1
#define MSG_PEEK 0x2
#define MSG_DONTROUTE 0x4

// ioctlsocket commands.
#define FIONBIO ((long)0x8004667EU)   // u_long: non-zero makes the socket non-blocking
#define FIONREAD ((long)0x4004667FU)  // u_long: bytes a recv would return now

// WSAAsyncSelect events. The layer offers FD_READ, FD_ACCEPT and FD_CLOSE; a
// request for any other fails with WSAEINVAL.
#define FD_READ 0x01
#define FD_WRITE 0x02
#define FD_OOB 0x04
#define FD_ACCEPT 0x08
#define FD_CONNECT 0x10
#define FD_CLOSE 0x20

#define WSAMAKESELECTREPLY(event, error) ((LPARAM)(DWORD)MAKELONG(event, error))
#define WSAGETSELECTEVENT(lParam) LOWORD(lParam)
#define WSAGETSELECTERROR(lParam) HIWORD(lParam)

// Start-up and errors. Every call below except these fails with
// WSANOTINITIALISED before the first WSAStartup and after the last WSACleanup.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();  // the last one closes every socket still open
int WSAGetLastError();
void WSASetLastError(int error);

// Sockets. SOCKET carries the descriptor number; every socket is IPv4.
SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const struct sockaddr* name, int nameLength);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, struct sockaddr* address, int* addressLength);
int connect(SOCKET s, const struct sockaddr* name, int nameLength);
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
int sendto(SOCKET s, const char* buffer, int length, int flags, const struct sockaddr* to,
           int toLength);
// A datagram longer than the buffer fills it and fails with WSAEMSGSIZE.
int recvfrom(SOCKET s, char* buffer, int length, int flags, struct sockaddr* from, int* fromLength);
int shutdown(SOCKET s, int how);  // 0 receive, 1 send, 2 both
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long command, u_long* argument);
int setsockopt(SOCKET s, int level, int name, const char* value, int length);
int getsockopt(SOCKET s, int level, int name, char* value, int* length);
int getsockname(SOCKET s, struct sockaddr* name, int* nameLength);
int getpeername(SOCKET s, struct sockaddr* name, int* nameLength);

// nfds is ignored, as WinSock does; the sets hold sockets and are rewritten to
// the ready ones. Waits (a null or non-zero timeout) are blocking calls.
int WS_select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet,
              const struct timeval* timeout);
#define select WS_select

// Addresses and names. The host entry, the service entry and inet_ntoa's text
// live in static storage that the next call of the same function replaces.
u_long inet_addr(const char* text);  // BSD forms a.b.c.d, a.b.c, a.b, a; INADDR_NONE if invalid
char* inet_ntoa(struct in_addr address);
int WS_gethostname(char* name, int length);  // WSAEFAULT when the buffer is too small
#define gethostname WS_gethostname
struct hostent* gethostbyname(const char* name);  // a blocking call unless name is dotted
struct servent* getservbyname(const char* name, const char* protocol);  // protocol 0: any

// Window-message notification: one message per event, and no further FD_READ
// (FD_ACCEPT) for the socket until the program calls recv or recvfrom (accept).
int WSAAsyncSelect(SOCKET s, HWND hwnd, u_int message, long events);

// Calls on a socket in blocking mode, select with a timeout and gethostbyname of
// a name are blocking calls: they run the hook while they wait, and while one
// runs another fails with WSAEINPROGRESS (a window procedure reached from the
// hook may use non-blocking sockets freely). The default hook dispatches one
// message and tells whether it found one; it leaves WM_QUIT for the message loop.
BOOL WSAIsBlocking();
FARPROC WSASetBlockingHook(FARPROC hook);
int WSAUnhookBlockingHook();
// Makes the blocking call in progress fail with WSAEINTR; WSAEINVAL when none is.
int WSACancelBlockingCall();
