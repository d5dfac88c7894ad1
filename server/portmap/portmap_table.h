// The port mapper's registration table: ten slots in a fixed order, a slot
// being free while its program is 0. At most one registration per program,
// version and protocol with a non-zero port.
#pragma once

#include <cstdint>

#include "platform/windef.h"
#include "rpc/rpc_records.h"

inline constexpr int kPortMapSlots = 10;
inline constexpr int kPortMapNameSize = 32;

enum { PROTOCOL_TCP = 6, PROTOCOL_UDP = 17 };

struct PortMapping {
  uint32_t program;
  uint32_t version;
  uint32_t protocol;
  uint32_t port;
  char name[kPortMapNameSize];  // not zero-terminated when all 32 bytes are used
};

// Called when the port mapper starts: every slot becomes zero.
void ClearPortMapTable();

BOOL SetMapping(const Mapping* mapping, const char* name);
BOOL UnsetMapping(const Mapping* mapping);
// The port of the first slot with the mapping's program, version and protocol,
// or 0.
uint32_t GetPort(const Mapping* mapping);
// The port of the first slot with the mapping's program and protocol, whatever
// its version, or 0.
uint32_t GetPortAnyVersion(const Mapping* mapping);

// The registration entry of the port mapper's endpoint: REGISTER_SET or
// REGISTER_UNSET; any other operation answers FALSE.
BOOL RegisterCallback(int operation, const Mapping* mapping, const char* name);

// Read access for the Ports display: slot 0 to kPortMapSlots - 1.
const PortMapping* PortMapSlot(int index);
