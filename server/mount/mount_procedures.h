// The mount program (RFC 1094 appendix A, version 1): MNT gives the handle of
// an exported directory, EXPORT lists the exports. No list of mounts is kept:
// UMNT and UMNTALL change nothing, and DUMP is never answered.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"

uint32_t MountMnt(RpcRequest* request);
uint32_t MountUmnt(RpcRequest* request);
uint32_t MountUmntAll(RpcRequest* request);
uint32_t MountExport(RpcRequest* request);
