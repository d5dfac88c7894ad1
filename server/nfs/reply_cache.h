// Replies to the NFS calls that change something, kept for a short while, so
// that a call a client sends again because its reply was late or lost (same
// address, port, xid, procedure and bytes) gets the answer the first one got
// instead of being carried out twice: a REMOVE that succeeded must not turn
// into NFSERR_NOENT on its retransmission. Bounded in entries and in age.
#pragma once

#include "platform/windef.h"
#include "rpc/rpc_records.h"

// TRUE when the request is a retransmission of a remembered call: its result
// area and length then hold the first reply's results.
BOOL ReplayNfsReply(RpcRequest* request);
// Keeps the results of a call that changes something.
void RememberNfsReply(const RpcRequest* request);
void ClearNfsReplyCache();
