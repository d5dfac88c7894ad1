// Procedures on names in a directory: LOOKUP, CREATE, MKDIR, REMOVE, RMDIR and
// RENAME. A name from the wire reaches the file layer only as one checked
// component; the child's record follows what happened on disk.
#include <cerrno>
#include <cstring>

#include "nfs/child_node.h"
#include "nfs/file_attributes.h"
#include "nfs/nfs_procedures.h"
#include "nfs/nfs_reply.h"
#include "nfs/open_files.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/winbase.h"

namespace {

// A directory handle and a name: the directory resolved and checked, the name
// checked, and the child's path (as sent, for creating) ready.
struct NameTarget {
  NfsTarget directory;
  WireName name;
  char path[MAX_PATH];
};

// The name argument after the directory's handle; `refused` is the status for
// a name that isn't one component.
NfsStatus CheckName(RpcRequest* request, int argument, NameUse use, NfsStatus refused,
                    NameTarget* target) {
  target->name = WireNameOf(request->arguments[argument + 1]);
  if (!IsComponentName(target->name, use)) return refused;
  return MakeCreatedPath(target->directory.node, target->name, target->path);
}

NfsStatus ResolveName(RpcRequest* request, int argument, AccessKind kind, NameUse use,
                      NfsStatus refused, NameTarget* target) {
  if (NfsStatus status = ResolveTarget(request, argument, kind, &target->directory)) return status;
  if (!IsDirectory(target->directory.node)) return NFSERR_NOTDIR;
  return CheckName(request, argument, use, refused, target);
}

// The existing child, held for the call.
PathNode* ExistingChild(NameTarget* target) {
  PathNode* child = ChildNode(target->directory.node, target->name, TRUE);
  if (child) HoldForCall(child);
  return child;
}

// The handle and attributes of what was just made; without a node for it, what
// was made goes again (undo is null when the call made nothing new).
uint32_t MadeReply(RpcRequest* request, NameTarget* target, int (*undo)(const char*)) {
  PathNode* child = ExistingChild(target);
  if (!child) {
    if (undo) undo(target->path);
    return StatusReply(request, NFSERR_IO);
  }
  return HandleReply(request, child, &target->directory);
}

}  // namespace

uint32_t NfsLookup(RpcRequest* request) {
  NameTarget target;
  if (NfsStatus status = ResolveName(request, 0, ACCESS_SEARCH, NAME_LOOKUP, NFSERR_NOENT, &target))
    return StatusReply(request, status);
  PathNode* child = ExistingChild(&target);
  if (!child) return StatusReply(request, NFSERR_NOENT);
  return HandleReply(request, child, &target.directory);
}

uint32_t NfsCreate(RpcRequest* request) {
  NameTarget target;
  if (NfsStatus status = ResolveName(request, 0, ACCESS_WRITE, NAME_ACT, NFSERR_ACCES, &target))
    return StatusReply(request, status);
  // Only a file this call made may be taken back: an existing one is emptied.
  int fd = _open(target.path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
  BOOL made = fd >= 0;
  if (!made && errno == EEXIST)
    fd = _open(target.path, _O_CREAT | _O_TRUNC | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return StatusReply(request, NFSERR_IO);
  _close(fd);
  return MadeReply(request, &target, made ? _unlink : nullptr);
}

uint32_t NfsMkdir(RpcRequest* request) {
  NameTarget target;
  if (NfsStatus status = ResolveName(request, 0, ACCESS_WRITE, NAME_ACT, NFSERR_ACCES, &target))
    return StatusReply(request, status);
  if (_mkdir(target.path) != 0) return StatusReply(request, NFSERR_NOENT);
  return MadeReply(request, &target, _rmdir);
}

uint32_t NfsRemove(RpcRequest* request) {
  NameTarget target;
  if (NfsStatus status = ResolveName(request, 0, ACCESS_WRITE, NAME_ACT, NFSERR_NOENT, &target))
    return StatusReply(request, status);
  PathNode* child = ExistingChild(&target);
  if (!child) return StatusReply(request, NFSERR_NOENT);
  if (IsDirectory(child)) return StatusReply(request, NFSERR_ISDIR);
  ForgetOpenFile(child);
  if (_unlink(child->path) != 0)
    return StatusReply(request, errno == ENOENT ? NFSERR_NOENT : NFSERR_IO);
  RemovePath(child);
  return StatusReply(request, NFS_OK);
}

uint32_t NfsRmdir(RpcRequest* request) {
  NameTarget target;
  if (NfsStatus status = ResolveName(request, 0, ACCESS_WRITE, NAME_ACT, NFSERR_NOENT, &target))
    return StatusReply(request, status);
  PathNode* child = ExistingChild(&target);
  if (!child) return StatusReply(request, NFSERR_NOENT);
  if (!IsDirectory(child)) return StatusReply(request, NFSERR_NOTDIR);
  if (_rmdir(child->path) != 0) return StatusReply(request, NFSERR_NOTEMPTY);
  RemovePath(child);
  return StatusReply(request, NFS_OK);
}

uint32_t NfsRename(RpcRequest* request) {
  NameTarget from, to;
  NfsStatus first = ResolveTarget(request, 0, ACCESS_WRITE, &from.directory);
  NfsStatus second = ResolveTarget(request, 2, ACCESS_WRITE, &to.directory);
  if (first == NFSERR_STALE || second == NFSERR_STALE) return StatusReply(request, NFSERR_STALE);
  if (NfsStatus status = first ? first : second) return StatusReply(request, status);
  if (!IsDirectory(from.directory.node) || !IsDirectory(to.directory.node))
    return StatusReply(request, NFSERR_NOTDIR);
  NfsStatus status = CheckName(request, 0, NAME_ACT, NFSERR_ACCES, &from);
  if (!status) status = CheckName(request, 2, NAME_ACT, NFSERR_ACCES, &to);
  if (status) return StatusReply(request, status);
  PathNode* child = ExistingChild(&from);
  if (!child) return StatusReply(request, NFSERR_NOENT);
  if (IsDirectory(child)) return StatusReply(request, NFSERR_ISDIR);
  // A file of the new name gives way, as RFC 1094 asks: saving by renaming a
  // new copy over the old one is what editors do.
  if (!MoveFileEx(child->path, to.path, MOVEFILE_REPLACE_EXISTING))
    return StatusReply(request, NFSERR_IO);
  // The replaced file's handles must not name the file that took its place.
  char replaced[MAX_PATH];
  MakeChildPath(to.directory.node, to.name, replaced);
  PathNode* old = FindPath(replaced);
  ForgetOpenFile(child);
  if (old && old != child) {
    ForgetOpenFile(old);
    RemovePath(old);
  }
  RemovePath(child);
  return StatusReply(request, NFS_OK);
}
