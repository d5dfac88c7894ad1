// The reader never asks for more than the current fragment holds, so bytes of a
// following record stay in the socket until the caller is ready for them, and a
// record's length is checked against the buffer as soon as each header arrives.
#include "rpc/record_marking.h"

#include <cassert>

void NextRecordSpan(RecordReader* reader, uint8_t* record, uint8_t** into, int* count) {
  if (reader->headerHave < kRecordMarkSize) {
    *into = reader->header + reader->headerHave;
    *count = (int)(kRecordMarkSize - reader->headerHave);
    return;
  }
  *into = record + reader->length;
  *count = (int)reader->fragmentLeft;
}

RecordState RecordBytesReceived(RecordReader* reader, int received, int capacity) {
  assert(received >= 0 && capacity >= 0);
  if (reader->headerHave < kRecordMarkSize) {
    assert(reader->headerHave + (uint32_t)received <= kRecordMarkSize);
    reader->headerHave += (uint32_t)received;
    if (reader->headerHave < kRecordMarkSize) return RECORD_PARTIAL;
    const uint8_t* h = reader->header;
    uint32_t mark = (uint32_t)h[0] << 24 | (uint32_t)h[1] << 16 | (uint32_t)h[2] << 8 | h[3];
    reader->lastFragment = (mark & kLastFragment) ? 1 : 0;
    reader->fragmentLeft = mark & ~kLastFragment;
    if (reader->fragmentLeft > (uint32_t)capacity - reader->length) return RECORD_TOO_LARGE;
  } else {
    assert((uint32_t)received <= reader->fragmentLeft);
    reader->fragmentLeft -= (uint32_t)received;
    reader->length += (uint32_t)received;
  }
  if (reader->fragmentLeft > 0) return RECORD_PARTIAL;
  if (reader->lastFragment) return RECORD_COMPLETE;
  reader->headerHave = 0;  // the next fragment's header follows
  return RECORD_PARTIAL;
}

void WriteRecordMark(uint8_t mark[kRecordMarkSize], uint32_t length) {
  uint32_t word = kLastFragment | length;
  mark[0] = (uint8_t)(word >> 24);
  mark[1] = (uint8_t)(word >> 16);
  mark[2] = (uint8_t)(word >> 8);
  mark[3] = (uint8_t)word;
}
