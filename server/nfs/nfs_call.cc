// The call's holds live in a small fixed list: no procedure resolves more
// than two handles and two names.
#include "nfs/nfs_call.h"

#include <cassert>

#include "nfs/dir_listing.h"
#include "nfs/export_anchor.h"
#include "nfs/open_files.h"
#include "nfs/reply_cache.h"
#include "rpc/rpc_reply.h"

namespace {

constexpr int kCallHolds = 8;

struct NfsCallState {
  PathNode* held[kCallHolds];
  int heldCount;
  const ExportEntry* confinedTo;
};

NfsCallState call;

}  // namespace

NfsStatus ResolveTarget(RpcRequest* request, int argument, AccessKind kind, NfsTarget* target) {
  const FileHandle* handle = static_cast<const FileHandle*>(request->arguments[argument]);
  PathNode* node = NodeFromHandle(handle);
  if (!node) return NFSERR_STALE;
  HoldForCall(node);
  if (!CheckHandleAccess(handle, node, &request->credential, kind)) return NFSERR_ACCES;
  ExportEntry* entry = ExportOfHandle(handle);
  if (call.confinedTo && call.confinedTo != entry) return NFSERR_XDEV;
  if (!call.confinedTo) {
    if (!ConfineToExport(entry)) return NFSERR_STALE;
    call.confinedTo = entry;
  }
  *target = {handle, node};
  return NFS_OK;
}

void HoldForCall(PathNode* node) {
  assert(call.heldCount < kCallHolds);
  HoldPathNode(node);
  call.held[call.heldCount++] = node;
}

void EndNfsCall() {
  while (call.heldCount > 0)
    ReleasePathNode(call.held[--call.heldCount]);
  if (call.confinedTo) EndConfinement();
  call.confinedTo = nullptr;
}

uint32_t StatusReply(RpcRequest* request, NfsStatus status) {
  EncodeWord(request->resultArea, status);
  return 4;
}

namespace {

void FinishNfsCall(RpcRequest* request) {
  EndNfsCall();
  RememberNfsReply(request);
}

}  // namespace

const ProgramHooks NfsProgramHooks = {ReplayNfsReply, FinishNfsCall};

void ResetNfsService() {
  ForgetOpenFiles();
  DropDirListings();
  ClearNfsReplyCache();
}
