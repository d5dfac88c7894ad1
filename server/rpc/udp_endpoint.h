// The UDP sockets of the four services: opening (bind, port mapper registration,
// read notifications to a hidden window), closing, and the receive path that
// hands each datagram to its program's decoder. The first open also starts
// WinSock and makes the hidden window; both stay for the rest of the run.
#pragma once

#include "rpc/service_endpoint.h"

struct EndpointParameters {
  LogCallback logCallback;
  HWND notifyWindow;
  UINT notifyMessage;
  BOOL debug;
  RegisterCallbackProc registerCallback;  // the port mapper only
  uint16_t preferredTransferSize;         // NFS only
};

enum { ENDPOINT_OPEN = 0, ENDPOINT_FAILED = 1, ENDPOINT_NO_MEMORY = 2 };

int OpenServiceEndpoint(ServiceId service, const EndpointParameters* parameters);
// Does nothing when the service's slot is empty.
void CloseServiceEndpoint(ServiceId service);
// Always succeeds (0): the size changes nothing in how datagrams are handled.
int SetPreferredTransferSize(uint16_t size);

// Registration with the in-process port mapper; FALSE while it isn't running.
BOOL RegisterPort(int operation, const Mapping* mapping, const char* name);

// The hidden window's class, socket messages and WinSock's state, for the shell.
inline constexpr char kHiddenWindowClass[] = "zVkClassnfsspe";
