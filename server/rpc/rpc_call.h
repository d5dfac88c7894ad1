// The call header of RFC 1057: message type, RPC version, program, version,
// procedure and credential. Whatever is wrong with them is answered or dropped
// here, so a caller that gets a request may trust all of them.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"
#include "rpc/service_endpoint.h"
#include "rpc/xdr_decode.h"

// Takes over `buffer`. Returns the new request with *arguments on the
// procedure's first argument, or null when the call was answered or dropped.
RpcRequest* DecodeCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer, uint32_t program,
                       uint32_t lowVersion, uint32_t highVersion, XdrCursor* arguments);
