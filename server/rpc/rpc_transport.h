// The engine's two ways out: a reply onto the network and a request-ready
// notice to the service's notify window. The endpoint module implements them
// over sendto (or a stream connection) and PostMessage; the engine only calls them.
#pragma once

#include "platform/windows.h"
#include "platform/winsock.h"
#include "rpc/rpc_records.h"

struct ServiceEndpoint;

// Sends a reply the way `call` came: to its sender's address, or on its stream
// connection. Bytes sent, or SOCKET_ERROR with the socket error in *error.
int TransmitReply(ServiceEndpoint* endpoint, const ReceiveBuffer* call, const char* bytes,
                  int length, int* error);
// Posts the endpoint's notify message (both parameters 0) to its notify window.
BOOL AnnounceRequest(ServiceEndpoint* endpoint);
