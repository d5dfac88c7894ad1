// Sizes and block counts beyond 32 bits saturate: the protocol can't carry
// them, and a wrapped size would show a large file as a small one.
#include "nfs/file_attributes.h"

#include <initializer_list>

#include "nfs/access_check.h"
#include "platform/io.h"
#include "rpc/rpc_reply.h"

namespace {

enum : uint32_t { NFREG = 1, NFDIR = 2 };
constexpr uint32_t kBlockSize = 1024;

uint32_t Saturated(int64_t value) {
  return value > (int64_t)UINT32_MAX ? UINT32_MAX : (uint32_t)value;
}

BOOL Encode(const PathNode* node, const ExportEntry* entry, const struct _stat& status,
            uint8_t* out) {
  BOOL directory = (status.st_mode & _S_IFMT) == _S_IFDIR;
  uint8_t* at = EncodeWord(out, directory ? NFDIR : NFREG);
  at = EncodeWord(at, status.st_mode & (0xF000 | entry->access));
  at = EncodeWord(at, (uint32_t)status.st_nlink);
  at = EncodeWord(at, entry->owner->uid);
  at = EncodeWord(at, entry->owner->gid);
  at = EncodeWord(at, Saturated(status.st_size));
  at = EncodeWord(at, kBlockSize);
  at = EncodeWord(at, 0);  // rdev
  at = EncodeWord(at, Saturated(status.st_size / kBlockSize + 1));
  at = EncodeWord(at, 0);  // fsid
  at = EncodeWord(at, FileIdOf(node));
  for (time_t seconds : {status.st_atime, status.st_mtime, status.st_ctime}) {
    at = EncodeWord(at, (uint32_t)seconds);
    at = EncodeWord(at, 0);
  }
  return TRUE;
}

}  // namespace

BOOL MakeAttributes(const PathNode* node, const FileHandle* handle, uint8_t* out) {
  const ExportEntry* entry = ExportOfHandle(handle);
  struct _stat status;
  return entry && _stat(node->path, &status) == 0 && Encode(node, entry, status, out);
}

BOOL MakeAttributesOfStatus(const PathNode* node, const FileHandle* handle,
                            const struct _stat* status, uint8_t* out) {
  const ExportEntry* entry = ExportOfHandle(handle);
  return entry && Encode(node, entry, *status, out);
}

BOOL IsDirectory(const PathNode* node) {
  struct _stat status;
  return _stat(node->path, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
}
