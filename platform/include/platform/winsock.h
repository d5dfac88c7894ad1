// WinSock 1.1 of the platform layer: types, constants and byte order.
// The C++ library already declares the POSIX select(), fd_set, timeval and
// gethostname() in every translation unit; fd_set and timeval are shared with
// POSIX (same layout), while the calls are renamed so that the WinSock ones,
// which run the blocking hook, are the ones a program reaches.
#pragma once

#include <sys/select.h>
#include <sys/types.h>
#include <unistd.h>

#include <bit>

#include "platform/windef.h"

typedef UINT_PTR SOCKET;
typedef unsigned char u_char;
typedef unsigned short u_short;
typedef unsigned int u_int;
// <sys/types.h> owns u_long (unsigned long, 64 bits here); what WinSock keeps in
// 32 bits (addresses, htonl) is declared uint32_t below.

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
  uint32_t s_addr;
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
