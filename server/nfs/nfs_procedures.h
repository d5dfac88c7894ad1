// The NFS version 2 procedures (RFC 1094) over the exports. Each writes its
// results into the request's result area in network order and returns their
// length; a failure is its status word alone. ROOT, READLINK, WRITECACHE and
// SYMLINK have no row: the engine answers them PROC_UNAVAIL.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"

uint32_t NfsGetAttr(RpcRequest* request);
uint32_t NfsSetAttr(RpcRequest* request);
uint32_t NfsLookup(RpcRequest* request);
uint32_t NfsRead(RpcRequest* request);
uint32_t NfsWrite(RpcRequest* request);
uint32_t NfsCreate(RpcRequest* request);
uint32_t NfsRemove(RpcRequest* request);
uint32_t NfsRename(RpcRequest* request);
uint32_t NfsLink(RpcRequest* request);
uint32_t NfsMkdir(RpcRequest* request);
uint32_t NfsRmdir(RpcRequest* request);
uint32_t NfsReadDir(RpcRequest* request);
uint32_t NfsStatFs(RpcRequest* request);

// The preferred transfer size: READ's cap and STATFS's tsize.
uint32_t PreferredTransferSize();
