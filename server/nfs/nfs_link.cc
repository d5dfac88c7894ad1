// LINK. The local file system has no hard links, so the new name gets a copy:
// equal contents, last-write time and attributes, but an independent file.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "nfs/child_node.h"
#include "nfs/file_attributes.h"
#include "nfs/nfs_call.h"
#include "nfs/nfs_procedures.h"
#include "nfs/open_files.h"
#include "platform/io.h"
#include "platform/winbase.h"

namespace {

constexpr unsigned kCopyBlock = 32000;

BOOL CopyContents(int source, int target) {
  char* block = static_cast<char*>(calloc(1, kCopyBlock));
  if (!block) return FALSE;
  BOOL copied = FALSE;
  for (;;) {
    int got = _read(source, block, kCopyBlock);
    if (got < 0 || _write(target, block, (unsigned)got) != got) break;
    if ((unsigned)got < kCopyBlock) {
      copied = TRUE;
      break;
    }
  }
  free(block);
  return copied;
}

BOOL CopyTimeAndAttributes(int source, int target, const char* sourcePath, const char* targetPath) {
  struct _stat status;
  if (_fstat(source, &status) != 0) return FALSE;
  _utimbuf times = {status.st_atime, status.st_mtime};
  if (_futime(target, &times) != 0) return FALSE;
  DWORD attributes = GetFileAttributes(sourcePath);
  return attributes != INVALID_FILE_ATTRIBUTES && SetFileAttributes(targetPath, attributes);
}

}  // namespace

uint32_t NfsLink(RpcRequest* request) {
  NfsTarget file, directory;
  NfsStatus first = ResolveTarget(request, 0, ACCESS_READ, &file);
  NfsStatus second = ResolveTarget(request, 1, ACCESS_WRITE, &directory);
  if (first == NFSERR_STALE || second == NFSERR_STALE) return StatusReply(request, NFSERR_STALE);
  if (NfsStatus status = first ? first : second) return StatusReply(request, status);
  if (IsDirectory(file.node)) return StatusReply(request, NFSERR_ISDIR);
  if (!IsDirectory(directory.node)) return StatusReply(request, NFSERR_NOTDIR);
  WireName name = WireNameOf(request->arguments[2]);
  if (!IsComponentName(name, NAME_ACT)) return StatusReply(request, NFSERR_ACCES);
  char path[MAX_PATH];
  if (NfsStatus status = MakeCreatedPath(directory.node, name, path))
    return StatusReply(request, status);

  // A kept descriptor open for writing would make the copy's deny-writers fail.
  ForgetOpenFile(file.node);
  int source = _sopen(file.node->path, _O_RDONLY | _O_BINARY, _SH_DENYWR);
  if (source < 0) return StatusReply(request, errno == ENOENT ? NFSERR_STALE : NFSERR_IO);
  // Exclusive creation: an existing name is never overwritten, whatever raced.
  int target = _open(path, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (target < 0) {
    int error = errno;
    _close(source);
    return StatusReply(request, error == EEXIST ? NFSERR_EXIST : NFSERR_IO);
  }
  BOOL copied =
      CopyContents(source, target) && CopyTimeAndAttributes(source, target, file.node->path, path);
  _close(source);
  if (_close(target) != 0) copied = FALSE;
  if (copied) return StatusReply(request, NFS_OK);
  SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
  _unlink(path);
  return StatusReply(request, NFSERR_IO);
}
