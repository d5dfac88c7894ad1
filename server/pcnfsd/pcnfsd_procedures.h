// The PCNFSD program's procedures, versions 1 and 2: authentication against
// the configured users, and printing answered without anything printed. Each
// writes its result into the request's result area in network order and
// returns the result length.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"

uint32_t PcnfsAuth(RpcRequest* request);
uint32_t PcnfsPrInit(RpcRequest* request);
uint32_t PcnfsPrStart(RpcRequest* request);

uint32_t PcnfsInfo2(RpcRequest* request);
uint32_t PcnfsPrInit2(RpcRequest* request);
uint32_t PcnfsPrStart2(RpcRequest* request);
uint32_t PcnfsPrList2(RpcRequest* request);
uint32_t PcnfsAuth2(RpcRequest* request);

// The version text of INFO, for callers that show it.
inline constexpr char kPcnfsVersionText[] = "Brevant NFS Server 1.2";
