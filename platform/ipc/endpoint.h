// This process's endpoint on the desktop: a Unix datagram socket that receives
// records, watched by the reactor, so records are handled whenever the thread
// waits (GetMessage, PeekMessage, a blocking socket call, a SendMessage of its own).
// Posted records join the message queue; sent records are handled at once and
// answered, which is why two processes sending to each other never deadlock.
#pragma once

#include <sys/types.h>

#include <vector>

#include "ipc/records.h"
#include "platform/windef.h"

namespace plat::ipc {

bool OpenEndpoint();
void InstallRemote();

// Sends a record to the endpoint of pid; false when it is gone or refuses.
bool SendRecord(pid_t pid, RecordHeader header, const void* payload = nullptr);

// Sends and waits for the reply with the same serial, serving records meanwhile.
// Gives up (0) when the peer's endpoint goes away.
LRESULT SendAndWait(pid_t pid, RecordHeader header, const void* payload = nullptr);

RecordHeader NewRecord(RecordKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::ipc
