// Carries the memory blocks of DDE messages between processes. The poster's block
// is lent: its bytes travel in the record and the receiver gets a copy under a
// handle of its own. The table of handle pairs lets an acknowledge name the
// poster's handle again, and keeps Win32's ownership rules whole although there
// are two blocks: a refused block is freed by the poster (the layer frees the
// receiver's copy), an accepted block with the release flag by the receiver (the
// layer frees the poster's original), and a terminate frees what is still lent.
// A handle word from another process is delivered only when it names a block
// that crossed between the two; otherwise it arrives as 0. What one peer holds
// on either side is capped, and released the moment that peer is gone.
#pragma once

#include <sys/types.h>

#include <vector>

#include "ipc/records.h"
#include "platform/windef.h"

namespace plat::ipc {

// Sending side of a posted WM_DDE_POKE / WM_DDE_DATA: fills the record and payload
// from the block the low word of lParam names (none: the word goes out as 0).
// FALSE, with the last error set, when the block is too short for the message
// or too long to travel, or the peer already holds its share of this process's
// blocks. Lent records the loan once the record went.
BOOL LendBlock(pid_t peer, RecordHeader* record, std::vector<unsigned char>* payload);
void Lent(pid_t peer, const RecordHeader& record);
// Sending side of a posted WM_DDE_ACK: the copy's handle becomes the poster's.
void AcknowledgeOut(pid_t peer, RecordHeader* record);
void TerminateOut(pid_t peer);

// Receiving side. False when the message is not delivered: its block is shorter
// than the message needs, or the peer holds its share of copies already.
bool ReceiveBlock(const RecordHeader& record, const unsigned char* payload, LPARAM* lParam);
void ForgetReceived(pid_t peer, LPARAM lParam);  // the copy's message could not be posted
WPARAM AcknowledgeIn(const RecordHeader& record);
// A sent WM_DDE_ACK answers an initiate: wParam must be a window of its sender.
WPARAM InitiateAnswerIn(const RecordHeader& record);
void TerminateIn(pid_t peer);

// The peer is gone: frees what it was lent with the release flag and the copies
// it lent here.
void ReleasePeerBlocks(pid_t peer);

// Global memory tells the carriage when a block's handle is freed or given out
// again, so a handle pair never outlives its blocks.
void BlockFreed(HGLOBAL block);
void BlockAllocated(HGLOBAL block);

}  // namespace plat::ipc
