// Life of a request: created for a received datagram, optionally queued on its
// endpoint, released with both of its buffers exactly once, whether it was
// answered, dropped or left without a handler.
#pragma once

#include "rpc/rpc_records.h"
#include "rpc/service_endpoint.h"

ReceiveBuffer* CreateReceiveBuffer();
void FreeReceiveBuffer(ReceiveBuffer* buffer);

// Takes over `buffer`; null (buffer untouched) when memory is short.
RpcRequest* CreateRequest(ServiceEndpoint* endpoint, ReceiveBuffer* buffer);
// Gives the request a zero-filled reply buffer able to hold `size` bytes.
ReplyCB* CreateReplyBuffer(RpcRequest* request, int size);
void ReleaseRequest(RpcRequest* request);

void QueueRequest(ServiceEndpoint* endpoint, RpcRequest* request);
// The oldest queued request of a service, unlinked; null when the service is
// stopped or has nothing queued.
RpcRequest* NextRequest(ServiceId service);
void ReleaseQueuedRequests(ServiceEndpoint* endpoint);
