// Linear searches over ten slots, in slot order, as the display shows them.
#include "portmap/portmap_table.h"

#include <cassert>
#include <cstring>

#include "rpc/service_endpoint.h"

namespace {

PortMapping table[kPortMapSlots];

BOOL SameService(const PortMapping* slot, const Mapping* mapping) {
  return slot->program == mapping->program && slot->version == mapping->version &&
         slot->protocol == mapping->protocol;
}

}  // namespace

void ClearPortMapTable() {
  memset(table, 0, sizeof table);
}

uint32_t GetPort(const Mapping* mapping) {
  for (const PortMapping& slot : table)
    if (SameService(&slot, mapping)) return slot.port;
  return 0;
}

uint32_t GetPortAnyVersion(const Mapping* mapping) {
  for (const PortMapping& slot : table)
    if (slot.program == mapping->program && slot.protocol == mapping->protocol) return slot.port;
  return 0;
}

BOOL SetMapping(const Mapping* mapping, const char* name) {
  if (GetPort(mapping) != 0) return FALSE;
  for (PortMapping& slot : table) {
    if (slot.program != 0) continue;
    slot.program = mapping->program;
    slot.version = mapping->version;
    slot.protocol = mapping->protocol;
    slot.port = mapping->port;
    strncpy(slot.name, name, sizeof slot.name);  // pads with zeros, as the slot needs
    return TRUE;
  }
  return FALSE;
}

BOOL UnsetMapping(const Mapping* mapping) {
  for (PortMapping& slot : table) {
    if (!SameService(&slot, mapping) || slot.port != mapping->port) continue;
    slot.program = 0;
    slot.version = 0;
    slot.protocol = 0;
    slot.port = 0;
    return TRUE;
  }
  return FALSE;
}

BOOL RegisterCallback(int operation, const Mapping* mapping, const char* name) {
  switch (operation) {
    case REGISTER_SET:
      return SetMapping(mapping, name ? name : "");
    case REGISTER_UNSET:
      return UnsetMapping(mapping);
    default:
      return FALSE;
  }
}

const PortMapping* PortMapSlot(int index) {
  assert(index >= 0 && index < kPortMapSlots);
  return &table[index];
}
