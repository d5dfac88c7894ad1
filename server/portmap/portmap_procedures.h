// The port mapper program's procedures (RFC 1057, version 2) over the
// registration table. Each writes its result into the request's result area
// in network order and returns the result length.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"

uint32_t PortMapSet(RpcRequest* request);
uint32_t PortMapUnset(RpcRequest* request);
uint32_t PortMapGetPort(RpcRequest* request);
uint32_t PortMapDump(RpcRequest* request);
