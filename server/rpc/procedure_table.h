// A program's procedure table and the two steps every program shares: the
// decoder that answers or queues a received call, and the dispatcher that runs
// a queued call's procedure and sends its reply. A row without a handler is
// decoded and queued, then released unanswered.
#pragma once

#include <cstdint>

#include "platform/windef.h"
#include "rpc/rpc_records.h"
#include "rpc/service_endpoint.h"
#include "rpc/xdr_decode.h"

// Writes the results into request->resultArea (network order, never more than
// the row's area) and returns their length.
typedef uint32_t (*ProcedureHandler)(RpcRequest* request);

enum ResultLength : uint8_t {
  LENGTH_FIXED,      // the row's resultLength
  LENGTH_PROCEDURE,  // what the handler returns
};

struct ProcedureRow {
  uint32_t version;
  uint32_t procedure;
  BOOL authUnix;
  ItemKind kinds[kRequestArguments];
  uint16_t resultArea;
  ResultLength lengthRule;
  uint16_t resultLength;
  ProcedureHandler handler;
};

// Steps a program may add around its procedures (each may be null).
struct ProgramHooks {
  // TRUE when the request's results are already known (a retransmitted call):
  // the handler is skipped and they are sent.
  BOOL (*replay)(RpcRequest* request);
  // After the handler, before the reply goes: the results are final.
  void (*finish)(RpcRequest* request);
};

struct ProgramTable {
  ServiceId service;
  uint32_t program;
  uint32_t lowVersion;
  uint32_t highVersion;
  // Every procedure but NULL needs AUTH_UNIX, checked before the procedure number.
  BOOL authUnixAll;
  const ProcedureRow* rows;
  int rowCount;
  const ProgramHooks* hooks;
};

const ProcedureRow* FindProcedure(const ProgramTable* table, uint32_t version, uint32_t procedure);
// Takes over `buffer`.
void DecodeProgramCall(const ProgramTable* table, ServiceEndpoint* endpoint, ReceiveBuffer* buffer);
// Accepts null (nothing was queued).
void DispatchProgramRequest(const ProgramTable* table, RpcRequest* request);
