// Pieces of NFS replies that several procedures share.
#pragma once

#include <cstdint>

#include "nfs/nfs_call.h"

// Status NFS_OK and the attributes of `node` (made with `handle`): 72 bytes,
// or NFSERR_IO alone when they can't be made.
uint32_t AttributesReply(RpcRequest* request, const PathNode* node, const FileHandle* handle);
// Status, the handle of `node` below `directory`, its attributes: 104 bytes,
// or NFSERR_IO alone.
uint32_t HandleReply(RpcRequest* request, PathNode* node, const NfsTarget* directory);
