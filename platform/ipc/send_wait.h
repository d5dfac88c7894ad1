// Sends that wait for an answer from another process. The wait serves what other
// processes send meanwhile (so two processes sending to each other never
// deadlock), gives up at its time-out, and ends at once when the peer ends or
// poll fails; sends nested across processes stop at a fixed depth.
#pragma once

#include <sys/types.h>

#include <vector>

#include "ipc/records.h"
#include "platform/windef.h"

namespace plat::ipc {

// TRUE with the answer (and its payload) when the reply came in time; FALSE with
// the last error set otherwise: ERROR_TIMEOUT, ERROR_INVALID_WINDOW_HANDLE (the
// peer is gone), ERROR_STACK_OVERFLOW (nested too deep), or the poll failure.
BOOL SendAndWait(pid_t pid, RecordHeader header, const void* payload, UINT flags, UINT timeoutMs,
                 LRESULT* result, std::vector<unsigned char>* answer = nullptr);

void AnswerArrived(const RecordHeader& reply, const unsigned char* payload);
void FailWaitsFor(pid_t pid);

}  // namespace plat::ipc
