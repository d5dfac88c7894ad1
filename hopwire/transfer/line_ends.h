// Line ends of an ASCII retrieval: CR LF, LF CR, a lone CR and a lone LF each end
// one line. A line end is taken at its first byte; its partner, if it comes next
// (in this block or the next one), belongs to it and is skipped.
#pragma once

#include <stddef.h>

struct LineEnds {
  char partner = 0;  // the byte that would complete the line end just seen
};

// Calls onByte(c) for each byte of a line and onLineEnd() once per line end.
template <typename OnByte, typename OnLineEnd>
void SplitLines(LineEnds* ends, const char* data, size_t size, OnByte onByte, OnLineEnd onLineEnd) {
  for (size_t i = 0; i < size; ++i) {
    char c = data[i];
    if (ends->partner) {
      char partner = ends->partner;
      ends->partner = 0;
      if (c == partner) continue;
    }
    if (c == '\r' || c == '\n') {
      onLineEnd();
      ends->partner = c == '\r' ? '\n' : '\r';
      continue;
    }
    onByte(c);
  }
}
