// Child paths: a directory's path, a backslash and a name, all in lower case,
// the one form under which the handle table keeps every path below an export
// root. Names from the wire are checked to be one path component first.
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"
#include "nfs/nfs_status.h"
#include "platform/windef.h"

inline constexpr uint32_t kMaxNameLength = 255;
// The longest path the platform takes (MAX_PATH less its terminator).
inline constexpr size_t kMaxPathLength = MAX_PATH - 1;

// A name as the wire carried it: its bytes, which need not end in a zero.
struct WireName {
  const char* bytes;
  uint32_t length;
};

enum NameUse {
  NAME_LOOKUP,  // "." and ".." allowed: they mean the directory itself
  NAME_ACT,     // the operation creates, removes or renames the entry itself
};

// Reads an opaque argument (length word in host order, then the bytes).
WireName WireNameOf(const void* argument);
// TRUE when the name is one component the file layer may see: not empty, at
// most 255 bytes, no "/", "\", ":" or control byte (NUL included), no blank at
// its end, and, for NAME_ACT, neither "." nor "..".
BOOL IsComponentName(WireName name, NameUse use);
// The lower-case child path into `path` (MAX_PATH bytes); NFSERR_NAMETOOLONG
// when it would be longer than the platform takes.
NfsStatus MakeChildPath(const PathNode* directory, WireName name, char* path);
// The same path with its last component as the client spelled it: created
// names keep that spelling on disk, while records are lower case.
NfsStatus MakeCreatedPath(const PathNode* directory, WireName name, char* path);
// With the lookup flag "." and ".." give the directory itself, and the child
// must exist. None when it doesn't, or when the table can't give a node.
PathNode* ChildNode(PathNode* directory, WireName name, BOOL lookup);
