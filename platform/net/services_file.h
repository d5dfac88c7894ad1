// The services database: lines "name port/protocol alias... # comment", as in
// /etc/services. The first line whose name or one of its aliases matches wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::net {

struct ServiceEntry {
  std::string name;
  std::vector<std::string> aliases;
  uint16_t port = 0;  // host byte order
  std::string protocol;
};

// false for comments, blank lines and lines that are not an entry.
bool ParseServiceLine(std::string_view line, ServiceEntry* entry);
// protocol null matches any protocol. false when the file has no such entry.
bool FindService(const char* path, const char* name, const char* protocol, ServiceEntry* entry);
// $PLATFORM_SERVICES, or /etc/services.
const char* ServicesPath();

}  // namespace plat::net
