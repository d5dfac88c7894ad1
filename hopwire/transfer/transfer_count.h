// Counting a transfer: its bytes (the controller's progress counts are signed
// 32-bit and stop at their largest value rather than wrap) and its elapsed time,
// and the result lines with the rate in whole kilobytes per second.
#pragma once

#include <stdint.h>

#include "platform/windef.h"

struct TransferCount {
  int64_t bytes;  // -1 marks a failed receive
  DWORD start;    // tick count just before TransferStarted
};

// Adds n to the count and to session.transferBytes.
void CountBytes(TransferCount* count, int n);
// Marks the receive as failed: the count and transferBytes become -1.
void CountFailure(TransferCount* count);
// Milliseconds since start, at least 1.
DWORD ElapsedMs(const TransferCount& count);
// The count as the progress reports take it.
LONG ProgressBytes(const TransferCount& count);
// Message `number` with bytes, seconds and rate, when any bytes moved.
void ReportTransferRate(UINT number, const TransferCount& count, DWORD ms);
