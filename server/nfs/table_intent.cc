// Writing, checking and redoing intents (see table_intent.h).
#include "nfs/table_intent.h"

#include <cstdlib>
#include <cstring>

#include "nfs/handle_table.h"
#include "nfs/hash_file.h"
#include "nfs/table_alloc.h"

namespace {

constexpr uint32_t kIntentBody = 33;
constexpr uint32_t kCheckMask = 0x0FFFFFFF;

uint32_t IntentCheck(const char* padding) {
  return Crc32(padding, kIntentBody) & kCheckMask;
}

BOOL IsBucketLine(uint32_t link) {
  return link >= kBucketTableOffset && link < kFirstRecordOffset &&
         (link - kBucketTableOffset) % kBucketLineSize == 0;
}

BOOL InsideRecords(uint32_t offset, uint32_t bytes, uint32_t fileLength) {
  return offset >= kFirstRecordOffset && offset <= fileLength && fileLength - offset >= bytes;
}

// Links the new record only when it arrived whole; the free-chain link is
// rewritten in any case, since the record's start may already be the new one.
BOOL RedoAdd(const TableFile* file, uint32_t fileLength, const TableIntent* intent) {
  if (intent->link != 0 && intent->link != kFreeHeadColumn &&
      !InsideRecords(intent->link, kLinkFieldSize, fileLength)) {
    return TRUE;
  }
  if (intent->link != 0 && !WriteLinkField(file, intent->link, intent->value)) return FALSE;
  if (!InsideRecords(intent->record, kMinRecordLength, fileLength)) return TRUE;
  char buffer[kRecordReadSize + 1];
  uint32_t want =
      fileLength - intent->record < kRecordReadSize ? fileLength - intent->record : kRecordReadSize;
  int got = ReadAt(file, intent->record, buffer, want);
  RecordView record;
  if (got < 0 || !ParseRecord(buffer, (size_t)got, &record) || record.pathLength == 0 ||
      Crc32(buffer, record.length) != intent->extra) {
    return TRUE;
  }
  buffer[kRecordPathColumn + record.pathLength] = '\0';
  int bucket = PathBucket(buffer + kRecordPathColumn);
  char line[kBucketLineSize];
  FormatBucketLine(line, intent->record, SerialAfter(bucket, record.serial));
  return WriteAt(file, BucketLineOffset(bucket), line, sizeof line);
}

BOOL RedoRemove(const TableFile* file, uint32_t fileLength, const TableIntent* intent) {
  char start[kFreeRecordReadSize];
  uint32_t next, length;
  if (!IsBucketLine(intent->link) && !InsideRecords(intent->link, kLinkFieldSize, fileLength)) {
    return TRUE;
  }
  if (!InsideRecords(intent->record, kMinRecordLength, fileLength) ||
      ReadAt(file, intent->record, start, sizeof start) != (int)sizeof start ||
      !ParseFreeRecordStart(start, &next, &length) || length % 8 != 0 ||
      length < kMinRecordLength || length > kRecordReadSize ||
      !InsideRecords(intent->record, length, fileLength)) {
    return TRUE;
  }
  char freeRecord[kRecordReadSize];
  FormatRecord(freeRecord, length, intent->extra, 0, "", 0);
  return WriteLinkField(file, intent->link, intent->value) &&
         WriteAt(file, intent->record, freeRecord, length) &&
         WriteLinkField(file, kFreeHeadColumn, intent->record);
}

// Each bucket's line takes the newest record of the batch that falls into it.
BOOL RedoBatch(const TableFile* file, uint32_t fileLength, const TableIntent* intent) {
  uint32_t length = intent->link;
  if (length == 0 || length > kMaxBatchBytes ||
      !InsideRecords(intent->record, length, fileLength)) {
    return TRUE;
  }
  char* bytes = static_cast<char*>(TableAllocate(length + 1));
  if (!bytes) return FALSE;
  BOOL whole = ReadAt(file, intent->record, bytes, length) == (int)length &&
               Crc32(bytes, length) == intent->extra;
  char lines[kBucketTableSize];
  BOOL touched[kBucketCount] = {};
  for (uint32_t at = 0; whole && at < length;) {
    RecordView record;
    if (!ParseRecord(bytes + at, length - at, &record) || record.pathLength == 0) break;
    char saved = bytes[at + kRecordPathColumn + record.pathLength];
    bytes[at + kRecordPathColumn + record.pathLength] = '\0';
    int bucket = PathBucket(bytes + at + kRecordPathColumn);
    bytes[at + kRecordPathColumn + record.pathLength] = saved;
    FormatBucketLine(lines + bucket * kBucketLineSize, intent->record + at,
                     SerialAfter(bucket, record.serial));
    touched[bucket] = TRUE;
    at += record.length;
  }
  free(bytes);
  for (int bucket = 0; whole && bucket < kBucketCount; bucket++) {
    if (touched[bucket] && !WriteAt(file, BucketLineOffset(bucket),
                                    lines + bucket * kBucketLineSize, kBucketLineSize)) {
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

BOOL WriteLinkField(const TableFile* file, uint32_t link, uint32_t value) {
  char digits[kLinkFieldSize];
  FormatHex(digits, value, 8);
  return WriteAt(file, link, digits, sizeof digits);
}

uint32_t CrcUpdate(uint32_t crc, const void* data, size_t size) {
  static const struct Table {
    uint32_t entry[256];
    Table() : entry() {
      for (uint32_t i = 0; i < 256; i++) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; bit++)
          crc = crc >> 1 ^ (0xEDB88320 & (0u - (crc & 1)));
        entry[i] = crc;
      }
    }
  } table;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  crc = ~crc;
  for (size_t i = 0; i < size; i++)
    crc = crc >> 8 ^ table.entry[(crc ^ bytes[i]) & 0xFF];
  return ~crc;
}

uint32_t Crc32(const void* data, size_t size) {
  return CrcUpdate(0, data, size);
}

void FormatIntent(const TableIntent* intent, char* padding) {
  padding[0] = intent->kind;
  FormatHex(padding + 1, intent->record, 8);
  FormatHex(padding + 9, intent->link, 8);
  FormatHex(padding + 17, intent->value, 8);
  FormatHex(padding + 25, intent->extra, 8);
  FormatHex(padding + kIntentBody, IntentCheck(padding), 7);
}

BOOL ParseIntent(const char* padding, TableIntent* intent) {
  uint32_t check;
  if (padding[0] != INTENT_ADD && padding[0] != INTENT_REMOVE && padding[0] != INTENT_BATCH) {
    return FALSE;
  }
  if (!ParseHex(padding + kIntentBody, 7, &check) || check != IntentCheck(padding)) return FALSE;
  intent->kind = padding[0];
  return ParseHex(padding + 1, 8, &intent->record) && ParseHex(padding + 9, 8, &intent->link) &&
         ParseHex(padding + 17, 8, &intent->value) && ParseHex(padding + 25, 8, &intent->extra);
}

BOOL WriteIntent(const TableFile* file, const TableIntent* intent) {
  char padding[kPaddingSize];
  FormatIntent(intent, padding);
  return WriteAt(file, kPaddingColumn, padding, sizeof padding);
}

BOOL ClearIntent(const TableFile* file) {
  char blanks[kPaddingSize];
  memset(blanks, ' ', sizeof blanks);
  return WriteAt(file, kPaddingColumn, blanks, sizeof blanks);
}

BOOL RedoIntent(const TableFile* file, uint32_t fileLength, const TableIntent* intent) {
  switch (intent->kind) {
    case INTENT_ADD:
      return RedoAdd(file, fileLength, intent);
    case INTENT_REMOVE:
      return RedoRemove(file, fileLength, intent);
    default:
      return RedoBatch(file, fileLength, intent);
  }
}
