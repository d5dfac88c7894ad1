// The engine's two ways out: a reply onto the network and a request-ready
// notice to the service's notify window. The endpoint module implements them
// over sendto and PostMessage; the engine only calls them.
#pragma once

#include "platform/windows.h"
#include "platform/winsock.h"

struct ServiceEndpoint;

// Bytes sent, or SOCKET_ERROR with the socket error in *error.
int TransmitReply(ServiceEndpoint* endpoint, const sockaddr_in* to, const char* bytes, int length,
                  int* error);
// Posts the endpoint's notify message (both parameters 0) to its notify window.
BOOL AnnounceRequest(ServiceEndpoint* endpoint);
