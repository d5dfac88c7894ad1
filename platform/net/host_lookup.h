// Host names. The system resolver may wait for the network for seconds, yet
// the process has one thread that must keep serving messages and stay
// cancellable: the lookup runs in a child process and the caller waits on a
// pipe as a blocking call. Cancelling kills the child.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::net {

struct HostEntry {
  std::string name;                 // the official (canonical) name
  std::vector<uint32_t> addresses;  // IPv4, network byte order, in the resolver's order
};

// false with the WinSock error set (WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSAEINTR, ...).
bool LookUpHost(const char* name, HostEntry* entry);
int HostName(char* buffer, int length);

}  // namespace plat::net
