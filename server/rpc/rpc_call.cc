// Header checks in the order the error answers rank: not a call, RPC version,
// program, version range, credential. Datagrams too short for their header
// cannot be answered sensibly and are dropped with a (rate-limited) report.
#include "rpc/rpc_call.h"

#include <cassert>

#include "rpc/endpoint_log.h"
#include "rpc/rpc_reply.h"
#include "rpc/rpc_request.h"

namespace {

void DropShort(RpcRequest* request, int length) {
  ServiceEndpoint* endpoint = request->endpoint;
  SenderText sender = FormatSender(&request->receiveBuffer->sender);
  ReleaseRequest(request);
  ReportEndpointLimited(endpoint, "Dropped a call from %s: %d bytes don't hold its header.",
                        sender.text, length);
}

}  // namespace

RpcRequest* DecodeCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer, uint32_t program,
                       uint32_t lowVersion, uint32_t highVersion, XdrCursor* arguments) {
  assert(buffer->tag == kReceiveBufferTag);
  assert(buffer->length >= 0 && buffer->length <= kDatagramSize);
  int length = buffer->length < 0 ? 0 : buffer->length;

  RpcRequest* request = CreateRequest(endpoint, buffer);
  if (!request) {
    SenderText sender = FormatSender(&buffer->sender);
    FreeReceiveBuffer(buffer);
    ReportEndpointLimited(endpoint, "Out of memory: dropped a call from %s.", sender.text);
    return nullptr;
  }

  XdrCursor cursor = {buffer->data, buffer->data + length};
  uint32_t xid, type;
  if (!ReadWord(&cursor, &xid) || !ReadWord(&cursor, &type)) {
    DropShort(request, length);
    return nullptr;
  }
  if (type != RPC_CALL) {
    SenderText sender = FormatSender(&buffer->sender);
    ReleaseRequest(request);
    ReportEndpointLimited(endpoint, "Dropped a datagram from %s: message type %u is not a call.",
                          sender.text, type);
    return nullptr;
  }
  request->xid = xid;

  uint32_t rpcVersion, callProgram, version, procedure;
  if (!ReadWord(&cursor, &rpcVersion) || !ReadWord(&cursor, &callProgram) ||
      !ReadWord(&cursor, &version) || !ReadWord(&cursor, &procedure)) {
    DropShort(request, length);
    return nullptr;
  }
  if (rpcVersion != 2) {
    SendDenied(request, RPC_MISMATCH, AUTH_OK);
    return nullptr;
  }
  if (callProgram != program) {
    SendAccepted(request, PROG_UNAVAIL, 0, 0);
    return nullptr;
  }
  request->version = version;
  if (version < lowVersion || version > highVersion) {
    SendAccepted(request, PROG_MISMATCH, lowVersion, highVersion);
    return nullptr;
  }
  request->procedure = procedure;

  switch (DecodeCredential(&cursor, &request->credential)) {
    case CREDENTIAL_OK:
      break;
    case CREDENTIAL_SHORT:
      DropShort(request, length);
      return nullptr;
    case CREDENTIAL_BAD:
      SendDenied(request, AUTH_ERROR, AUTH_BADCRED);
      return nullptr;
  }
  *arguments = cursor;
  return request;
}
