// Forming and finding child paths.
#include "nfs/child_node.h"

#include <cstring>

#include "platform/io.h"

namespace {

BOOL IsDotName(WireName name) {
  return (name.length == 1 && name.bytes[0] == '.') ||
         (name.length == 2 && name.bytes[0] == '.' && name.bytes[1] == '.');
}

}  // namespace

WireName WireNameOf(const void* argument) {
  const uint8_t* at = static_cast<const uint8_t*>(argument);
  WireName name;
  memcpy(&name.length, at, sizeof name.length);
  name.bytes = reinterpret_cast<const char*>(at + 4);
  return name;
}

BOOL IsComponentName(WireName name, NameUse use) {
  if (name.length == 0 || name.length > kMaxNameLength) return FALSE;
  // The handle table can't keep a path ending in a blank.
  if (name.bytes[name.length - 1] == ' ') return FALSE;
  if (use == NAME_ACT && IsDotName(name)) return FALSE;
  for (uint32_t i = 0; i < name.length; i++) {
    unsigned char c = (unsigned char)name.bytes[i];
    if (c < 32 || c == 127 || c == '/' || c == '\\' || c == ':') return FALSE;
  }
  return TRUE;
}

NfsStatus MakeChildPath(const PathNode* directory, WireName name, char* path) {
  size_t length = strlen(directory->path);
  BOOL separator = length == 0 || directory->path[length - 1] != '\\';
  if (length + separator + name.length > kMaxPathLength) return NFSERR_NAMETOOLONG;
  memcpy(path, directory->path, length);
  if (separator) path[length++] = '\\';
  memcpy(path + length, name.bytes, name.length);
  path[length + name.length] = '\0';
  for (char* c = path; *c; c++)
    if (*c >= 'A' && *c <= 'Z') *c = (char)(*c + 32);
  return NFS_OK;
}

NfsStatus MakeCreatedPath(const PathNode* directory, WireName name, char* path) {
  if (NfsStatus status = MakeChildPath(directory, name, path)) return status;
  memcpy(path + strlen(path) - name.length, name.bytes, name.length);
  return NFS_OK;
}

PathNode* ChildNode(PathNode* directory, WireName name, BOOL lookup) {
  if (lookup && IsDotName(name)) return directory;
  char path[MAX_PATH];
  if (MakeChildPath(directory, name, path) != NFS_OK) return nullptr;
  struct _stat status;
  if (lookup && _stat(path, &status) != 0) return nullptr;
  return FindOrAddPath(path);
}
