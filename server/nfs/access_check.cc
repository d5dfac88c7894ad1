// The access check and the way from a handle to its export.
#include "nfs/access_check.h"

#include "config/export_table.h"

namespace {

// Per kind: the owner, group and others bit.
constexpr uint32_t kKindBits[3][3] = {
    {0x100, 0x20, 0x04},  // read
    {0x080, 0x10, 0x02},  // write
    {0x040, 0x08, 0x01},  // search
};

BOOL InGroup(const AuthUnix* caller, uint32_t gid) {
  if (caller->gid == gid) return TRUE;
  for (uint32_t i = 0; i < caller->gidCount && i < kAuthUnixGids; i++)
    if (caller->gids[i] == gid) return TRUE;
  return FALSE;
}

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

}  // namespace

BOOL CheckAccess(const AuthUnix* caller, uint32_t ownerUid, uint32_t ownerGid, uint32_t bits,
                 AccessKind kind) {
  const uint32_t* kindBits = kKindBits[kind];
  if (bits & kindBits[2]) return TRUE;
  if ((bits & kindBits[1]) && InGroup(caller, ownerGid)) return TRUE;
  return (bits & kindBits[0]) && caller->uid != 0 && caller->uid == ownerUid;
}

BOOL HasDotComponent(const char* path) {
  const char* start = path;
  for (const char* c = path;; c++) {
    if (*c != '\\' && *c != '/' && *c != '\0') continue;
    size_t length = (size_t)(c - start);
    if (length >= 1 && length <= 2 && start[0] == '.' && start[length - 1] == '.') return TRUE;
    if (*c == '\0') return FALSE;
    start = c + 1;
  }
}

ExportEntry* ExportOfHandle(const FileHandle* handle) {
  return FindExportByRoot(HandleRootBucket(handle), HandleRootSerial(handle));
}

BOOL PathWithinRoot(const char* path, const char* root) {
  size_t i = 0;
  for (; root[i]; i++)
    if (Fold(path[i]) != Fold(root[i])) return FALSE;
  // c:\ ends in its separator; c:\data must be followed by one or by the end.
  if (path[i] != '\0' && path[i] != '\\' && !(i > 0 && root[i - 1] == '\\')) return FALSE;
  // READDIR records "." and ".." under their directory; no handle given to a
  // client names one, and one forged from a listed file id would alias a
  // directory under paths without end.
  return !HasDotComponent(path + i);
}

BOOL CheckHandleAccess(const FileHandle* handle, const PathNode* node, const AuthUnix* caller,
                       AccessKind kind) {
  const ExportEntry* entry = ExportOfHandle(handle);
  if (!entry || !PathWithinRoot(node->path, entry->path)) return FALSE;
  return CheckAccess(caller, entry->owner->uid, entry->owner->gid, entry->access, kind);
}
