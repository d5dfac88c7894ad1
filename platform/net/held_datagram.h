// The datagram a socket with FD_READ notifications has read ahead: one read both
// fetches it and tells that it exists, where otherwise a poll would be needed
// before the program's next read. Only the POSIX side of the layer sees this.
#pragma once

#include <netinet/in.h>

#include <cstddef>

namespace plat::net {

inline constexpr size_t kHeldDatagramSize = 65536;  // room for any UDP datagram

struct HeldDatagram {
  bool full = false;
  size_t length = 0;  // the datagram's whole length, even beyond the buffer
  sockaddr_in from{};
  char bytes[kHeldDatagramSize];
};

}  // namespace plat::net
