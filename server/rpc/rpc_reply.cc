// Reply encoding and sending. A reply buffer made by the decoder is reused for
// error answers; otherwise one just large enough is made here.
#include "rpc/rpc_reply.h"

#include <cassert>
#include <cstring>

#include "rpc/endpoint_log.h"
#include "rpc/rpc_request.h"
#include "rpc/rpc_transport.h"

namespace {

ReplyCB* ReplyBufferFor(RpcRequest* request, int size) {
  if (request->replyCB) {
    assert(request->replyCB->capacity >= size);
    return request->replyCB;
  }
  ReplyCB* reply = CreateReplyBuffer(request, size);
  if (!reply) {
    ServiceEndpoint* endpoint = request->endpoint;
    SenderText sender = FormatSender(&request->receiveBuffer->sender);
    ReleaseRequest(request);
    ReportEndpointLimited(endpoint, "Out of memory: no reply to %s.", sender.text);
  }
  return reply;
}

}  // namespace

uint8_t* EncodeWord(uint8_t* position, uint32_t value) {
  uint32_t word = htonl(value);
  memcpy(position, &word, sizeof word);
  return position + 4;
}

uint8_t* EncodeString(uint8_t* position, const char* text) {
  uint32_t length = (uint32_t)strlen(text);
  position = EncodeWord(position, length);
  memcpy(position, text, length);
  uint32_t padded = (length + 3) & ~3u;
  memset(position + length, 0, padded - length);
  return position + padded;
}

void SendAccepted(RpcRequest* request, AcceptStatus status, uint32_t low, uint32_t high) {
  assert(request->tag == kRpcRequestTag);
  int size = kReplyHeaderSize + (status == PROG_MISMATCH ? 8 : 0);
  ReplyCB* reply = ReplyBufferFor(request, size);
  if (!reply) return;
  uint8_t* position = reply->reply;
  position = EncodeWord(position, request->xid);
  position = EncodeWord(position, RPC_REPLY);
  position = EncodeWord(position, MSG_ACCEPTED);
  position = EncodeWord(position, AUTH_NULL);
  position = EncodeWord(position, 0);
  position = EncodeWord(position, status);
  int length = kReplyHeaderSize;
  if (status == SUCCESS) {
    // A procedure never writes past its area; the cut is a last guard for the send.
    assert(kReplyHeaderSize + request->resultLength <= reply->capacity);
    length += request->resultLength;
    if (length > reply->capacity) length = reply->capacity;
  } else if (status == PROG_MISMATCH) {
    position = EncodeWord(position, low);
    EncodeWord(position, high);
    length += 8;
  }
  reply->length = (int16_t)length;
  SendReply(request);
}

void SendDenied(RpcRequest* request, RejectStatus kind, AuthStatus authStatus) {
  assert(request->tag == kRpcRequestTag);
  ReplyCB* reply = ReplyBufferFor(request, kind == RPC_MISMATCH ? 24 : 20);
  if (!reply) return;
  uint8_t* position = reply->reply;
  position = EncodeWord(position, request->xid);
  position = EncodeWord(position, RPC_REPLY);
  position = EncodeWord(position, MSG_DENIED);
  position = EncodeWord(position, kind);
  if (kind == RPC_MISMATCH) {
    position = EncodeWord(position, 2);
    EncodeWord(position, 2);
    reply->length = 24;
  } else {
    EncodeWord(position, authStatus);
    reply->length = 20;
  }
  SendReply(request);
}

void ReplySuccess(RpcRequest* request) {
  SendAccepted(request, SUCCESS, 0, 0);
}

void SendReply(RpcRequest* request) {
  assert(request->tag == kRpcRequestTag && request->replyCB);
  assert(request->replyCB->tag == kReplyBufferTag);
  ServiceEndpoint* endpoint = request->endpoint;
  if (endpoint->debug) ReportEndpoint(endpoint, LOG_TRACE, "replying to xid %u", request->xid);
  ReplyCB* reply = request->replyCB;
  int error = 0;
  int sent = TransmitReply(endpoint, request->receiveBuffer, (const char*)reply->reply,
                           reply->length, &error);
  if (sent < reply->length) ReportEndpointLimited(endpoint, "sendto error (%d).", error);
  ReleaseRequest(request);
}
