// Who may do what below an export. Permissions belong to exports, never to
// files: every file is checked against its export's owner and nine bits. A
// handle finds its export through the root fields it carries, and its node
// must lie inside that export's root, so editing those fields gains nothing.
#pragma once

#include <cstdint>

#include "config/config_records.h"
#include "nfs/file_handle.h"
#include "nfs/nfs_status.h"
#include "platform/windef.h"
#include "rpc/rpc_records.h"

// Others, then group (gid or a supplementary gid), then owner; uid 0 never
// gets the owner's rights.
BOOL CheckAccess(const AuthUnix* caller, uint32_t ownerUid, uint32_t ownerGid, uint32_t bits,
                 AccessKind kind);
// The export whose root node has the handle's root bucket and serial; none
// when it was removed.
ExportEntry* ExportOfHandle(const FileHandle* handle);
// Whether any component of the path (split at "\" or "/") is "." or "..".
BOOL HasDotComponent(const char* path);
// Whether path is root or lies below it, component by component and without
// regard to ASCII case (paths below a root are kept in lower case), with no
// "." or ".." component below the root.
BOOL PathWithinRoot(const char* path, const char* root);
// ExportOfHandle, the node inside its root, then CheckAccess with the
// export's owner and bits. No export means not allowed.
BOOL CheckHandleAccess(const FileHandle* handle, const PathNode* node, const AuthUnix* caller,
                       AccessKind kind);
