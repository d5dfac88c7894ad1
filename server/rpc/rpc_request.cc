// Allocation, release and queuing of requests. The queue is a singly linked
// FIFO touched only on the window thread (append by a decoder, removal by
// NextRequest), so it needs no lock.
#include "rpc/rpc_request.h"

#include <cassert>
#include <cstdlib>

#include "rpc/endpoint_log.h"
#include "rpc/rpc_alloc.h"

namespace {
const char* const kEventTrace[SERVICE_COUNT] = {"Get NFS Event", "Get Port Map Event",
                                                "Get Mount Daemon Event", "Get PCNFSD Event"};
}

ReceiveBuffer* CreateReceiveBuffer() {
  ReceiveBuffer* buffer = (ReceiveBuffer*)RpcAllocate(sizeof(ReceiveBuffer));
  if (buffer) buffer->tag = kReceiveBufferTag;
  return buffer;
}

void FreeReceiveBuffer(ReceiveBuffer* buffer) {
  if (!buffer) return;
  assert(buffer->tag == kReceiveBufferTag);
  free(buffer);
}

RpcRequest* CreateRequest(ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  assert(buffer->tag == kReceiveBufferTag);
  RpcRequest* request = (RpcRequest*)RpcAllocate(sizeof(RpcRequest));
  if (!request) return nullptr;
  request->tag = kRpcRequestTag;
  request->endpoint = endpoint;
  request->receiveBuffer = buffer;
  return request;
}

ReplyCB* CreateReplyBuffer(RpcRequest* request, int size) {
  assert(request->tag == kRpcRequestTag && !request->replyCB);
  assert(size >= 0 && size <= kReplyHeaderSize + kDatagramSize);
  ReplyCB* reply = (ReplyCB*)RpcAllocate(sizeof(ReplyCB) + (size_t)size);
  if (!reply) return nullptr;
  reply->tag = kReplyBufferTag;
  reply->capacity = (uint16_t)size;
  reply->reply = (uint8_t*)(reply + 1);
  request->replyCB = reply;
  return reply;
}

void ReleaseRequest(RpcRequest* request) {
  assert(request->tag == kRpcRequestTag);
  FreeReceiveBuffer(request->receiveBuffer);
  if (request->replyCB) {
    assert(request->replyCB->tag == kReplyBufferTag);
    free(request->replyCB);
  }
  free(request);
}

void QueueRequest(ServiceEndpoint* endpoint, RpcRequest* request) {
  assert(request->tag == kRpcRequestTag && request->endpoint == endpoint);
  request->next = nullptr;
  if (endpoint->queueTail)
    endpoint->queueTail->next = request;
  else
    endpoint->queueHead = request;
  endpoint->queueTail = request;
}

RpcRequest* NextRequest(ServiceId service) {
  ServiceEndpoint* endpoint = ServiceEndpoints[service];
  if (!endpoint) return nullptr;
  assert(endpoint->tag == ServiceTag(service));
  RpcRequest* request = endpoint->queueHead;
  if (!request) return nullptr;
  if (endpoint->debug) ReportEndpoint(endpoint, LOG_TRACE, "%s", kEventTrace[service]);
  endpoint->queueHead = request->next;
  if (!endpoint->queueHead) endpoint->queueTail = nullptr;
  request->next = nullptr;
  return request;
}

void ReleaseQueuedRequests(ServiceEndpoint* endpoint) {
  while (RpcRequest* request = endpoint->queueHead) {
    endpoint->queueHead = request->next;
    ReleaseRequest(request);
  }
  endpoint->queueTail = nullptr;
}
