// Layout of nfsfile.hsh: a 74-byte header, 20 bucket lines of 16 bytes, then
// records of L bytes (L a multiple of 8) chained by file offsets. Every number
// is fixed-width upper-case hex text, so each field can be rewritten in place;
// the parsers accept nothing else, so a damaged field never passes as a value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windef.h"

inline constexpr int kBucketCount = 20;

inline constexpr uint32_t kHeaderSize = 74;
inline constexpr uint32_t kStampColumn = 8;
inline constexpr uint32_t kFreeHeadColumn = 18;
inline constexpr uint32_t kVersionColumn = 28;
inline constexpr uint32_t kPaddingColumn = 32;  // 40 blanks at rest
inline constexpr uint32_t kPaddingSize = 40;
inline constexpr uint32_t kHashFileVersion = 2;

inline constexpr uint32_t kBucketTableOffset = kHeaderSize;
inline constexpr uint32_t kBucketLineSize = 16;
inline constexpr uint32_t kBucketTableSize = kBucketCount * kBucketLineSize;
inline constexpr uint32_t kFirstRecordOffset = kBucketTableOffset + kBucketTableSize;

// A record: next (8 digits), blank, L (4), blank, serial (4), two blanks, the
// path from column 20, blanks, CR LF at L-2. The smallest holds a one-byte path.
inline constexpr uint32_t kRecordPathColumn = 20;
inline constexpr uint32_t kRecordReadSize = 1048;
inline constexpr uint32_t kMinRecordLength = 24;
inline constexpr uint32_t kLinkFieldSize = 8;
inline constexpr uint32_t kFreeRecordReadSize = 18;
inline constexpr size_t kMaxRecordPath = kRecordReadSize - kRecordPathColumn - 3;

inline constexpr uint32_t BucketLineOffset(int bucket) {
  return kBucketTableOffset + (uint32_t)bucket * kBucketLineSize;
}

enum HeaderStatus { HEADER_OK, HEADER_FOREIGN, HEADER_BAD_VERSION };

struct RecordView {
  uint32_t next;
  uint32_t length;
  uint16_t serial;
  const char* path;  // inside the caller's buffer, not NUL-terminated
  size_t pathLength;
};

// Exactly `digits` hex digits; anything else fails.
BOOL ParseHex(const char* text, int digits, uint32_t* value);
// Upper-case, zero-padded, no NUL.
void FormatHex(char* out, uint32_t value, int digits);

void FormatHeader(char* out, uint32_t stamp, uint32_t freeHead);
HeaderStatus ParseHeader(const char* bytes, uint32_t* stamp, uint32_t* freeHead);

void FormatBucketLine(char* out, uint32_t first, uint16_t nextSerial);
BOOL ParseBucketLine(const char* line, uint32_t* first, uint16_t* nextSerial);

// The path's length plus 30, rounded down to a multiple of 8: the smallest
// multiple of 8 holding the 20 columns, the path, one blank and CR LF.
uint32_t RecordLengthFor(size_t pathLength);
// Fills `length` bytes; a free record is one with serial 0 and no path.
void FormatRecord(char* out, uint32_t length, uint32_t next, uint16_t serial, const char* path,
                  size_t pathLength);
// `available` bytes were read at the record's offset. Fails for a damaged
// record or one longer than what arrived.
BOOL ParseRecord(const char* bytes, size_t available, RecordView* record);
// The first 18 bytes of a free record: its next offset and its length.
BOOL ParseFreeRecordStart(const char* bytes, uint32_t* next, uint32_t* length);

// Serial numbers of bucket 0 skip 0: file id 0 would be READDIR cookie 0,
// which means "from the start", and a client listing its directory would loop.
uint16_t SerialToAssign(int bucket, uint16_t nextSerial);
uint16_t SerialAfter(int bucket, uint16_t serial);
