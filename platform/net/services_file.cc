// The services file is read afresh on every look-up: it is small, look-ups are
// rare, and a test can point PLATFORM_SERVICES elsewhere at any time. Names and
// protocols compare exactly, as the system's own tools do.
#include "net/services_file.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>

namespace plat::net {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// The next blank-separated word of rest, which loses it.
std::string_view NextWord(std::string_view& rest) {
  size_t start = rest.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(start);
  size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
  std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

bool Matches(const ServiceEntry& e, const char* name, const char* protocol) {
  if (protocol && e.protocol != protocol) return false;
  return e.name == name || std::find(e.aliases.begin(), e.aliases.end(), name) != e.aliases.end();
}

}  // namespace

bool ParseServiceLine(std::string_view line, ServiceEntry* entry) {
  line = line.substr(0, line.find('#'));
  std::string_view name = NextWord(line);
  std::string_view portAndProtocol = NextWord(line);
  size_t slash = portAndProtocol.find('/');
  if (name.empty() || slash == std::string_view::npos || slash + 1 == portAndProtocol.size())
    return false;
  unsigned port = 0;
  const char* first = portAndProtocol.data();
  const char* last = first + slash;
  auto [end, error] = std::from_chars(first, last, port);
  if (error != std::errc() || end != last || first == last || port > 65535) return false;
  entry->name = name;
  entry->port = (uint16_t)port;
  entry->protocol = portAndProtocol.substr(slash + 1);
  entry->aliases.clear();
  for (std::string_view alias = NextWord(line); !alias.empty(); alias = NextWord(line))
    entry->aliases.emplace_back(alias);
  return true;
}

bool FindService(const char* path, const char* name, const char* protocol, ServiceEntry* entry) {
  FILE* file = fopen(path, "re");
  if (!file) return false;
  char* line = nullptr;
  size_t capacity = 0;
  bool found = false;
  while (!found && getline(&line, &capacity, file) >= 0)
    found = ParseServiceLine(line, entry) && Matches(*entry, name, protocol);
  free(line);
  fclose(file);
  return found;
}

const char* ServicesPath() {
  const char* path = getenv("PLATFORM_SERVICES");
  return path && *path ? path : "/etc/services";
}

}  // namespace plat::net
