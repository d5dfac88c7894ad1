// A mount below an export root gets a handle that carries that export's root,
// so NFS calls on it are checked against the export it lies in.
#include "mount/mount_procedures.h"

#include <cctype>
#include <cstring>

#include "config/export_table.h"
#include "config/server_settings.h"
#include "mount/mount_paths.h"
#include "nfs/access_check.h"
#include "nfs/export_anchor.h"
#include "platform/io.h"
#include "rpc/rpc_reply.h"

namespace {

// UNIX error numbers, as the protocol uses them.
enum : uint32_t { MOUNT_OK = 0, MOUNT_NOENT = 2, MOUNT_ACCES = 13, MOUNT_INVAL = 22 };

BOOL IsDirectoryBelow(const ExportEntry* entry, const char* path) {
  if (!isalpha((unsigned char)path[0]) || path[1] != ':' || path[2] != '\\') return FALSE;
  if (!ConfineToExport(entry)) return FALSE;
  struct _stat status;
  BOOL directory = _stat(path, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
  EndConfinement();
  return directory;
}

uint32_t MountStatus(const RpcRequest* request, const ExportEntry* entry, const char* path) {
  if (!entry || HasDotComponent(path)) return MOUNT_NOENT;
  const UserEntry* owner = entry->owner;
  if (!CheckAccess(&request->credential, owner->uid, owner->gid, entry->access, ACCESS_SEARCH))
    return MOUNT_ACCES;
  return IsDirectoryBelow(entry, path) ? MOUNT_OK : MOUNT_NOENT;
}

}  // namespace

uint32_t MountMnt(RpcRequest* request) {
  char path[MAX_PATH] = "";
  const ExportEntry* entry = nullptr;
  if (LocalPathOf(static_cast<const char*>(request->arguments[0]), path, sizeof path))
    entry = FindExportByPath(path);
  uint32_t status = MountStatus(request, entry, path);
  PathNode* node = status == MOUNT_OK ? FindPath(path) : nullptr;
  if (status == MOUNT_OK && !node) status = MOUNT_INVAL;
  EncodeWord(request->resultArea, status);
  if (status != MOUNT_OK) return 36;
  FileHandle root, handle;
  MakeFileHandle(entry->root, nullptr, &root);
  MakeFileHandle(node, &root, &handle);
  memcpy(request->resultArea + 4, handle.bytes, kFileHandleSize);
  return 36;
}

// Nothing is kept of a mount, so there is nothing to forget.
uint32_t MountUmnt(RpcRequest*) {
  return 0;
}

uint32_t MountUmntAll(RpcRequest*) {
  return 0;
}

uint32_t MountExport(RpcRequest* request) {
  const ServerSettings* settings = ActiveSettings();
  BOOL slashForm = settings && settings->exportUnixStyle;
  uint8_t* at = request->resultArea;
  for (int slot = 0; slot < kExportSlots; slot++) {
    const ExportEntry* entry = ExportSlot(slot);
    if (!entry) continue;
    char shown[MAX_PATH + 1];
    if (!slashForm || !SlashFormOf(entry->path, shown, sizeof shown)) {
      strncpy(shown, entry->path, sizeof shown - 1);
      shown[sizeof shown - 1] = '\0';
    }
    at = EncodeWord(at, 1);
    at = EncodeString(at, shown);
    at = EncodeWord(at, 0);  // no groups
  }
  at = EncodeWord(at, 0);
  return (uint32_t)(at - request->resultArea);
}
