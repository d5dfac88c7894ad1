// The rate is bytes * 1000 / (ms * 1024) in 64 bits, which hold the product for
// any file below 16 PB; 32 bits would overflow past 4 MB.
#include "transfer/transfer_count.h"

#include "hopwire/session_state.h"
#include "platform/winbase.h"
#include "shell/report.h"

void CountBytes(TransferCount* count, int n) {
  count->bytes += n;
  session.transferBytes = ProgressBytes(*count);
}

void CountFailure(TransferCount* count) {
  count->bytes = -1;
  session.transferBytes = -1;
}

DWORD ElapsedMs(const TransferCount& count) {
  DWORD ms = GetTickCount() - count.start;
  return ms ? ms : 1;
}

LONG ProgressBytes(const TransferCount& count) {
  return count.bytes > INT32_MAX ? INT32_MAX : (LONG)count.bytes;
}

void ReportTransferRate(UINT number, const TransferCount& count, DWORD ms) {
  if (count.bytes <= 0) return;
  uint64_t bytes = (uint64_t)count.bytes;
  unsigned long rate = (unsigned long)(bytes * 1000 / ((uint64_t)ms * 1024));
  ReportMessage(number, (unsigned long)bytes, (int)(ms / 1000), rate);
}
