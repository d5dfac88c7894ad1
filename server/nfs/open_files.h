// Descriptors of the files that READ and WRITE used lately, so that a client
// streaming a file costs a read or a write per call, not an open and a close.
// A descriptor is kept at most a second, and it goes at once when a call of
// this server removes, renames or resizes its file or changes its attributes,
// or when its file lost its last name (deleted or renamed over behind the
// server's back) or, for writing, was made read-only: a write into such a
// file would be lost. A file merely renamed away is seen within the second.
#pragma once

#include "nfs/handle_table.h"
#include "platform/io.h"

// A descriptor of the node's file, for reading, or for reading and writing,
// and the file's status as it is now; -1 with errno as the platform's _open
// or _fstat give them. Never closed by the caller.
int OpenForTransfer(const PathNode* node, BOOL write, struct _stat* status);
void ForgetOpenFile(const PathNode* node);
// Closes every kept descriptor (at the service's stop).
void ForgetOpenFiles();
