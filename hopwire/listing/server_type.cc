// Server type detection. The table order decides when a reply names several
// systems ("UNIX" before "Windows NT"), and the longer VMS names come before
// "VMS" so that the name reported is the most telling one.
#include "listing/server_type.h"

#include <cstring>

namespace {

struct ServerTypeName {
  const char* name;
  ServerType type;
};

const ServerTypeName kServerTypeNames[] = {
    {"Unix", ServerType::Unix},
    {"UNIX", ServerType::Unix},
    {"SunOS", ServerType::Unix},
    {"Windows NT", ServerType::WindowsNT},
    {"Windows_NT", ServerType::WindowsNT},
    {"VMS V5.5", ServerType::Vms},
    {"VMS MultiNet", ServerType::Vms},
    {"VMS", ServerType::Vms},
    {"Chameleon", ServerType::Chameleon},
    {"MACOS", ServerType::MacOs},
    {"NetWare", ServerType::NetWare},
};

}  // namespace

bool DetectServerType(ServerType current, const char* line, ServerType* detected,
                      const char** name) {
  if (current != ServerType::Unknown) return false;
  for (const ServerTypeName& entry : kServerTypeNames) {
    if (strstr(line, entry.name) != nullptr) {
      *detected = entry.type;
      *name = entry.name;
      return true;
    }
  }
  return false;
}
