// The transfer progress hopwire reports (507/515 the size to expect, 514/508 the
// bytes so far, 509 the end), drawn as one line on standard error when that is a
// terminal: a bar and percentage when the size is known, the bytes and the rate.
#pragma once

#include <cstdint>

#include "platform/windef.h"

struct ProgressBar {
  bool enabled = false;  // standard error is a terminal
  bool visible = false;
  bool active = false;   // a transfer is under way
  int64_t expected = 0;  // 0: unknown
  LONG expectedRemainder = 0;
  LONG remainder = 0;
  int64_t bytes = 0;
  DWORD startTick = 0;
  unsigned updates = 0;
};

void InitProgressBar(ProgressBar* bar);
void ProgressNumber(ProgressBar* bar, WORD code, LONG value);
// Around a line written to the terminal: the bar goes, and comes back below it.
void HideProgressBar(ProgressBar* bar);
void RedrawProgressBar(ProgressBar* bar);
