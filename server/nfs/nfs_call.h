// What one NFS call holds while it runs: the path nodes it resolved (held, so
// that a later lookup in the same call can't evict them from the table's ten
// cached nodes) and the export its file calls are confined to. EndNfsCall,
// run by the dispatcher after every procedure, lets all of it go.
#pragma once

#include "config/config_records.h"
#include "nfs/access_check.h"
#include "nfs/file_handle.h"
#include "nfs/nfs_status.h"
#include "rpc/procedure_table.h"
#include "rpc/rpc_records.h"

struct NfsTarget {
  const FileHandle* handle;
  PathNode* node;
};

// Resolves the handle argument (NFSERR_STALE), checks `kind` against its
// export (NFSERR_ACCES), holds its node and confines the call to its export.
// A second target in another export gives NFSERR_XDEV: a call never spans
// two exports.
NfsStatus ResolveTarget(RpcRequest* request, int argument, AccessKind kind, NfsTarget* target);
// Holds a node for the rest of the call.
void HoldForCall(PathNode* node);
void EndNfsCall();

// A reply that is the status word alone.
uint32_t StatusReply(RpcRequest* request, NfsStatus status);

// The NFS program's steps around its procedures: retransmitted calls answered
// from the reply cache; after each procedure its holds and confinement let go
// and its reply remembered.
extern const ProgramHooks NfsProgramHooks;

// Lets go of what the service keeps between calls (kept descriptors, READDIR
// snapshots, remembered replies), at its stop.
void ResetNfsService();
