// The port mapper over TCP as well, beside its UDP socket: a listening socket on
// the same port and a few connections, each read as RPC records that go to the
// same decoder as datagrams and answered on the connection they came on. Every
// bound is local: record size, connection count, idle time, unsent replies.
#pragma once

#include "platform/windows.h"
#include "rpc/service_endpoint.h"

// Socket messages to the hidden window, beside the UDP services' 3024 to 3028.
inline constexpr UINT kStreamAcceptMessage = 3029;
inline constexpr UINT kStreamReadMessage = 3030;
inline constexpr UINT_PTR kStreamIdleTimer = 1;

// Open at once; a new connection beyond them closes the one quiet longest.
inline constexpr int kStreamConnections = 4;
// A connection that completes no call for this long is closed; the timer that
// looks for them runs only while a connection is open.
inline constexpr DWORD kStreamIdleMs = 30000;
inline constexpr UINT kStreamIdleCheckMs = 5000;

// Listens on the endpoint's port. A failure is reported through the endpoint's
// log callback and leaves the port mapper serving UDP alone.
void OpenStreamListener(ServiceEndpoint* endpoint, HWND hiddenWindow);
// Closes the listener and every connection; nothing happens when none is open.
void CloseStreamListener();

// For the hidden window procedure: TRUE when the message was the streams'.
BOOL HandleStreamMessage(UINT message, WPARAM wParam, LPARAM lParam);

// Sends one reply as a record on connection `stream`. A connection that has
// gone since takes nothing and costs nothing; one whose reply can't be sent
// whole at once is closed, as its stream would be out of step.
int SendOnStream(uint32_t stream, const char* bytes, int length, int* error);

// Shorter idle limits, for tests.
void SetStreamIdleLimit(DWORD idleMs, UINT checkMs);
