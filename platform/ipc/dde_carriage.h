// Carries the memory blocks of DDE messages between processes. The poster's block
// is lent: its bytes travel in the record and the receiver gets a copy under a
// handle of its own. The table of handle pairs lets an acknowledge name the
// poster's handle again, and keeps Win32's ownership rules whole although there
// are two blocks: a refused block is freed by the poster (the layer frees the
// receiver's copy), an accepted block with the release flag by the receiver (the
// layer frees the poster's original), and a terminate frees what is still lent.
#pragma once

#include <sys/types.h>

#include <vector>

#include "ipc/records.h"
#include "platform/windef.h"

namespace plat::ipc {

// Sending side of a posted WM_DDE_POKE / WM_DDE_DATA and WM_DDE_ACK.
void LendBlock(pid_t peer, RecordHeader* record, std::vector<unsigned char>* payload);
void AcknowledgeOut(pid_t peer, RecordHeader* record);
void TerminateOut(pid_t peer);

// Receiving side; false when the message can't be delivered (no memory for the copy).
bool ReceiveBlock(const RecordHeader& record, const unsigned char* payload, LPARAM* lParam);
void AcknowledgeIn(const RecordHeader& record);
void TerminateIn(pid_t peer);

}  // namespace plat::ipc
