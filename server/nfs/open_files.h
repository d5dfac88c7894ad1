// Descriptors of the files that READ and WRITE used lately, so that a client
// streaming a file costs a read or a write per call, not an open and a close.
// A descriptor is kept at most a second, so a file replaced behind the
// server's back is seen within that time, and it goes at once when a call of
// this server removes, renames or resizes its file or changes its attributes.
#pragma once

#include "nfs/handle_table.h"
#include "platform/windef.h"

// A descriptor of the node's file, for reading, or for reading and writing;
// -1 with errno as the platform's _open gives them. Never closed by the caller.
int OpenForTransfer(const PathNode* node, BOOL write);
void ForgetOpenFile(const PathNode* node);
// Closes every kept descriptor (at the service's stop).
void ForgetOpenFiles();
