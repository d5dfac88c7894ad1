// Record marking of RPC over a byte stream (RFC 1057, section 10): a record is a
// run of fragments, each behind a 4-byte header holding a last-fragment bit and
// a 31-bit length. The reader gathers one record's fragments straight into the
// caller's buffer and refuses a record that would outgrow it.
#pragma once

#include <cstdint>

inline constexpr int kRecordMarkSize = 4;
inline constexpr uint32_t kLastFragment = 0x80000000u;

struct RecordReader {
  uint8_t header[kRecordMarkSize];
  uint32_t headerHave;    // bytes of the current fragment's header received
  uint32_t fragmentLeft;  // payload bytes of the current fragment still to come
  uint32_t lastFragment;  // 1 when the current fragment ends the record
  uint32_t length;        // record bytes gathered so far
};

enum RecordState { RECORD_PARTIAL, RECORD_COMPLETE, RECORD_TOO_LARGE };

// Where the next received bytes belong and at most how many: the rest of a
// fragment header (inside the reader) or the current fragment's payload (inside
// `record`). Never more than the record still lacks, so a read into the span
// can't take bytes of the next record.
void NextRecordSpan(RecordReader* reader, uint8_t* record, uint8_t** into, int* count);

// Counts `received` bytes written where NextRecordSpan said. COMPLETE leaves
// the record's length in reader->length; TOO_LARGE means a fragment header
// announced more than `capacity` bytes in all. Either way the caller resets the
// reader (zero-fills it) before the next record.
RecordState RecordBytesReceived(RecordReader* reader, int received, int capacity);

// Writes the header of a record sent as one fragment.
void WriteRecordMark(uint8_t mark[kRecordMarkSize], uint32_t length);
