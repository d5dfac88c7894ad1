// The configured users, groups and exports. Users and groups are lists in
// file order; a removed one keeps its record and its section number under the
// name "<<UNUSED>>" until a new entry reuses it. Exports live in 32 slots,
// each holding its root's node in the file handle table while it is there.
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"

inline constexpr int kNameSize = 32;      // 31 characters
inline constexpr int kPasswordSize = 64;  // 63 characters
inline constexpr int kSecondaryGids = 8;
inline constexpr int kExportSlots = 32;
inline constexpr uint16_t kExportMagic = 0x4543;
// The slot value of an export that is being made and is in no slot yet.
inline constexpr uint16_t kNewExportSlot = 0xFBFB;
inline constexpr char kUnusedName[] = "<<UNUSED>>";

struct UserEntry {
  UserEntry* next;
  uint32_t index;  // NN of its section, 0 until first saved
  char username[kNameSize];
  char password[kPasswordSize];  // plain text
  uint32_t uid;
  uint32_t gid;
  uint32_t gidCount;
  uint32_t gids[kSecondaryGids];
};

struct GroupEntry {
  GroupEntry* next;
  uint32_t index;
  char groupname[kNameSize];
  uint32_t gid;
};

// Access bits: owner rwx 0x100/0x80/0x40, group 0x20/0x10/0x08, others 0x04/0x02/0x01.
struct ExportEntry {
  uint16_t magic;
  uint16_t slot;  // also the NN of its section
  UserEntry* owner;
  uint32_t access;
  PathNode* root;
  char* path;  // as configured, in the entry's own allocation
};

enum SaveScope { SAVE_WHOLE, SAVE_NAME_ONLY, SAVE_SECONDARY_GIDS };
