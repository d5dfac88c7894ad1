// Procedures on one file: GETATTR, SETATTR, READ, WRITE and STATFS. Every READ
// and WRITE opens the file, transfers and closes it: no state between calls.
#include <cctype>
#include <cerrno>
#include <cstring>

#include "config/server_settings.h"
#include "nfs/file_attributes.h"
#include "nfs/nfs_procedures.h"
#include "nfs/nfs_reply.h"
#include "nfs/open_files.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/winbase.h"
#include "rpc/rpc_reply.h"

namespace {

constexpr uint32_t kUnset = 0xFFFFFFFF;
constexpr uint32_t kWriteBits = 0x92;
constexpr uint32_t kDefaultTransferSize = 1024;
// What the 9216-byte reply area holds after status, attributes and count.
constexpr uint32_t kMaxReadData = 9216 - 76;
constexpr uint32_t kMaxWriteData = 0xFFFE;

// sattr: mode, uid, gid, size, then two times that are not applied.
struct SetAttributes {
  uint32_t mode, uid, gid, size;
};

NfsStatus MakeReadOnly(const char* path) {
  DWORD attributes = GetFileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return NFSERR_PERM;
  if (attributes & FILE_ATTRIBUTE_READONLY) return NFS_OK;
  return SetFileAttributes(path, attributes | FILE_ATTRIBUTE_READONLY) ? NFS_OK : NFSERR_PERM;
}

NfsStatus SetSize(const PathNode* node, uint32_t size) {
  if (IsDirectory(node)) return NFSERR_ISDIR;
  int flags = size == 0 ? _O_CREAT | _O_TRUNC | _O_WRONLY : _O_RDWR;
  int fd = _open(node->path, flags | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return NFSERR_IO;
  BOOL done = size == 0 || _chsize(fd, (long)size) == 0;
  return _close(fd) == 0 && done ? NFS_OK : NFSERR_IO;
}

}  // namespace

uint32_t PreferredTransferSize() {
  const ServerSettings* settings = ActiveSettings();
  return settings && settings->prefTransferSize ? settings->prefTransferSize : kDefaultTransferSize;
}

uint32_t NfsGetAttr(RpcRequest* request) {
  NfsTarget file;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_READ, &file))
    return StatusReply(request, status);
  return AttributesReply(request, file.node, file.handle);
}

uint32_t NfsSetAttr(RpcRequest* request) {
  NfsTarget file;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_WRITE, &file))
    return StatusReply(request, status);
  const SetAttributes* set = static_cast<const SetAttributes*>(request->arguments[1]);
  if (set->uid != kUnset || set->gid != kUnset) return StatusReply(request, NFSERR_PERM);
  // A kept descriptor would write past a new read-only attribute.
  ForgetOpenFile(file.node);
  // Only read-only can be set: a mode with a write bit changes nothing.
  if (set->mode != kUnset && !(set->mode & kWriteBits)) {
    if (NfsStatus status = MakeReadOnly(file.node->path)) return StatusReply(request, status);
  }
  if (set->size != kUnset) {
    if (NfsStatus status = SetSize(file.node, set->size)) return StatusReply(request, status);
  }
  return AttributesReply(request, file.node, file.handle);
}

// A directory can't be opened as a file; what can't be opened otherwise is
// an I/O error.
static NfsStatus OpenFailure(const PathNode* node) {
  return IsDirectory(node) ? NFSERR_ISDIR : NFSERR_IO;
}

uint32_t NfsRead(RpcRequest* request) {
  NfsTarget file;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_READ, &file))
    return StatusReply(request, status);
  uint32_t offset = *static_cast<const uint32_t*>(request->arguments[1]);
  uint32_t count = *static_cast<const uint32_t*>(request->arguments[2]);
  uint32_t limit = PreferredTransferSize();
  if (count > limit) count = limit;
  if (count > kMaxReadData) count = kMaxReadData;
  // Reading changes nothing the attributes show but the access time.
  struct _stat status;
  int fd = OpenForTransfer(file.node, FALSE, &status);
  if (fd < 0) return StatusReply(request, OpenFailure(file.node));
  uint8_t* data = request->resultArea + 4 + kAttributesSize + 4;
  int got = _lseek(fd, (long)offset, SEEK_SET) < 0 ? -1 : _read(fd, data, count);
  if (got < 0 ||
      !MakeAttributesOfStatus(file.node, file.handle, &status, request->resultArea + 4)) {
    ForgetOpenFile(file.node);
    return StatusReply(request, NFSERR_IO);
  }
  EncodeWord(request->resultArea + 4 + kAttributesSize, (uint32_t)got);
  return 4 + kAttributesSize + 4 + (((uint32_t)got + 3) & ~3u);
}

uint32_t NfsWrite(RpcRequest* request) {
  NfsTarget file;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_WRITE, &file))
    return StatusReply(request, status);
  uint32_t offset = *static_cast<const uint32_t*>(request->arguments[2]);
  const uint8_t* opaque = static_cast<const uint8_t*>(request->arguments[4]);
  uint32_t length;
  memcpy(&length, opaque, sizeof length);
  struct _stat status;
  int fd = OpenForTransfer(file.node, TRUE, &status);
  if (fd < 0) return StatusReply(request, OpenFailure(file.node));
  if (length > kMaxWriteData) return StatusReply(request, NFSERR_IO);
  int written = _lseek(fd, (long)offset, SEEK_SET) < 0 ? -1 : _write(fd, opaque + 4, length);
  // A full disk is told apart from other write errors, however it shows.
  if (written < 0) {
    NfsStatus failure = errno == ENOSPC ? NFSERR_NOSPC : NFSERR_IO;
    ForgetOpenFile(file.node);
    return StatusReply(request, failure);
  }
  if ((uint32_t)written < length) return StatusReply(request, NFSERR_NOSPC);
  if (_fstat(fd, &status) != 0 ||
      !MakeAttributesOfStatus(file.node, file.handle, &status, request->resultArea + 4))
    return StatusReply(request, NFSERR_IO);
  EncodeWord(request->resultArea, NFS_OK);
  return 4 + kAttributesSize;
}

uint32_t NfsStatFs(RpcRequest* request) {
  NfsTarget file;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_READ, &file))
    return StatusReply(request, status);
  _diskfree_t space;
  unsigned drive = (unsigned)(tolower((unsigned char)file.node->path[0]) - 'a' + 1);
  if (!isalpha((unsigned char)file.node->path[0]) || _getdiskfree(drive, &space) != 0)
    return StatusReply(request, NFSERR_IO);
  uint8_t* at = EncodeWord(request->resultArea, NFS_OK);
  at = EncodeWord(at, PreferredTransferSize());
  at = EncodeWord(at, space.bytes_per_sector * space.sectors_per_cluster);
  at = EncodeWord(at, space.total_clusters);
  at = EncodeWord(at, space.avail_clusters);
  EncodeWord(at, space.avail_clusters);
  return 24;
}
