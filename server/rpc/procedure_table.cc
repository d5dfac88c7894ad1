// Decoding before the queue and dispatch after it. Everything a procedure needs
// (arguments in host order, a zero-filled result area) is ready before the
// request is queued, so a procedure neither allocates nor parses.
#include "rpc/procedure_table.h"

#include <cassert>

#include "rpc/endpoint_log.h"
#include "rpc/rpc_call.h"
#include "rpc/rpc_reply.h"
#include "rpc/rpc_request.h"
#include "rpc/rpc_transport.h"

const ProcedureRow* FindProcedure(const ProgramTable* table, uint32_t version, uint32_t procedure) {
  for (int i = 0; i < table->rowCount; i++) {
    const ProcedureRow* row = &table->rows[i];
    if (row->version == version && row->procedure == procedure) return row;
  }
  return nullptr;
}

void DecodeProgramCall(const ProgramTable* table, ServiceEndpoint* endpoint,
                       ReceiveBuffer* buffer) {
  assert(endpoint->tag == ServiceTag(table->service));
  XdrCursor arguments;
  RpcRequest* request = DecodeCall(endpoint, buffer, table->program, table->lowVersion,
                                   table->highVersion, &arguments);
  if (!request) return;

  const ProcedureRow* row = FindProcedure(table, request->version, request->procedure);
  BOOL needsUnix = table->authUnixAll ? request->procedure != 0 : row && row->authUnix;
  if (needsUnix && request->credential.flavour != AUTH_UNIX) {
    SendDenied(request, AUTH_ERROR, AUTH_TOOWEAK);
    return;
  }
  if (request->procedure == 0) {
    SendAccepted(request, SUCCESS, 0, 0);
    return;
  }
  if (!row) {
    SendAccepted(request, PROC_UNAVAIL, 0, 0);
    return;
  }
  if (!DecodeArguments(request, &arguments, row->kinds)) {
    SendAccepted(request, GARBAGE_ARGS, 0, 0);
    return;
  }
  ReplyCB* reply = CreateReplyBuffer(request, kReplyHeaderSize + row->resultArea);
  if (!reply) {
    SenderText sender = FormatSender(&buffer->sender);
    ReleaseRequest(request);
    ReportEndpointLimited(endpoint, "Out of memory: dropped a call from %s.", sender.text);
    return;
  }
  request->resultArea = reply->reply + kReplyHeaderSize;
  // Without its notice the request would wait in the queue until the service stops.
  if (!AnnounceRequest(endpoint)) {
    SenderText sender = FormatSender(&buffer->sender);
    ReleaseRequest(request);
    ReportEndpointLimited(endpoint, "Can't post a request from %s; dropped.", sender.text);
    return;
  }
  QueueRequest(endpoint, request);
}

void DispatchProgramRequest(const ProgramTable* table, RpcRequest* request) {
  if (!request) return;
  assert(request->tag == kRpcRequestTag);
  assert(request->endpoint->tag == ServiceTag(table->service));
  const ProcedureRow* row = FindProcedure(table, request->version, request->procedure);
  if (!row || !row->handler) {
    ReleaseRequest(request);
    return;
  }
  const ProgramHooks* hooks = table->hooks;
  if (hooks && hooks->replay && hooks->replay(request)) {
    ReplySuccess(request);
    return;
  }
  uint32_t length = row->handler(request);
  if (row->lengthRule == LENGTH_FIXED) length = row->resultLength;
  assert(length <= row->resultArea);
  request->resultLength = (uint16_t)(length <= row->resultArea ? length : row->resultArea);
  if (hooks && hooks->finish) hooks->finish(request);
  ReplySuccess(request);
}
