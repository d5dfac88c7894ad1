// WinSock addresses in and out of the POSIX calls. WinSock's sockaddr_in has
// the POSIX layout, so conversion is a checked copy: WinSock wants WSAEFAULT for
// a short buffer and WSAEAFNOSUPPORT for anything but IPv4.
#pragma once

#include <errno.h>
#include <netinet/in.h>
#include <string.h>

namespace plat::net {

// 0, or the errno value the caller reports.
inline int ReadAddress(const void* address, int length, sockaddr_in* out) {
  if (!address || length < (int)sizeof(sockaddr_in)) return EFAULT;
  memcpy(out, address, sizeof *out);
  return out->sin_family == AF_INET ? 0 : EAFNOSUPPORT;
}

inline int WriteAddress(const sockaddr_in& in, void* address, int* length) {
  if (!address) return 0;
  if (!length || *length < (int)sizeof(sockaddr_in)) return EFAULT;
  memcpy(address, &in, sizeof in);
  *length = (int)sizeof in;
  return 0;
}

}  // namespace plat::net
