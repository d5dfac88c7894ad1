// Formatting and strict parsing of the header, the bucket lines and records.
#include "nfs/hash_file.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

const char kMagic[] = "*HASH*";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

BOOL Blanks(const char* text, size_t count) {
  for (size_t i = 0; i < count; i++)
    if (text[i] != ' ') return FALSE;
  return TRUE;
}

}  // namespace

BOOL ParseHex(const char* text, int digits, uint32_t* value) {
  uint32_t result = 0;
  for (int i = 0; i < digits; i++) {
    int v = HexValue(text[i]);
    if (v < 0) return FALSE;
    result = result << 4 | (uint32_t)v;
  }
  *value = result;
  return TRUE;
}

void FormatHex(char* out, uint32_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; i--) {
    out[i] = kDigits[value & 0xF];
    value >>= 4;
  }
}

void FormatHeader(char* out, uint32_t stamp, uint32_t freeHead) {
  char text[kHeaderSize + 1];
  snprintf(text, sizeof text, "*HASH*  %08" PRIX32 "  %08" PRIX32 "  %04" PRIX32 "%40s\r\n", stamp,
           freeHead, kHashFileVersion, "");
  memcpy(out, text, kHeaderSize);
}

HeaderStatus ParseHeader(const char* bytes, uint32_t* stamp, uint32_t* freeHead) {
  uint32_t version;
  if (memcmp(bytes, kMagic, 6) != 0 || !ParseHex(bytes + kStampColumn, 8, stamp)) {
    return HEADER_FOREIGN;
  }
  if (!ParseHex(bytes + kVersionColumn, 4, &version) || version != kHashFileVersion) {
    return HEADER_BAD_VERSION;
  }
  // A free-chain head that is no number is a damaged chain: the caller sees
  // an offset no record can have.
  if (!ParseHex(bytes + kFreeHeadColumn, 8, freeHead)) *freeHead = UINT32_MAX;
  return HEADER_OK;
}

void FormatBucketLine(char* out, uint32_t first, uint16_t nextSerial) {
  char text[kBucketLineSize + 1];
  snprintf(text, sizeof text, "%08" PRIX32 "  %04X\r\n", first, (unsigned)nextSerial);
  memcpy(out, text, kBucketLineSize);
}

BOOL ParseBucketLine(const char* line, uint32_t* first, uint16_t* nextSerial) {
  uint32_t serial;
  if (!ParseHex(line, 8, first) || !ParseHex(line + 10, 4, &serial)) return FALSE;
  *nextSerial = (uint16_t)serial;
  return TRUE;
}

uint32_t RecordLengthFor(size_t pathLength) {
  return (uint32_t)(pathLength + 30) & ~7u;
}

void FormatRecord(char* out, uint32_t length, uint32_t next, uint16_t serial, const char* path,
                  size_t pathLength) {
  char fields[kRecordPathColumn + 1];
  snprintf(fields, sizeof fields, "%08" PRIX32 " %04" PRIX32 " %04X  ", next, length,
           (unsigned)serial);
  memcpy(out, fields, kRecordPathColumn);
  memset(out + kRecordPathColumn, ' ', length - kRecordPathColumn - 2);
  memcpy(out + kRecordPathColumn, path, pathLength);
  out[length - 2] = '\r';
  out[length - 1] = '\n';
}

BOOL ParseRecord(const char* bytes, size_t available, RecordView* record) {
  uint32_t serial;
  if (available < kRecordPathColumn) return FALSE;
  if (!ParseHex(bytes, 8, &record->next) || bytes[8] != ' ' ||
      !ParseHex(bytes + 9, 4, &record->length) || bytes[13] != ' ' ||
      !ParseHex(bytes + 14, 4, &serial) || !Blanks(bytes + 18, 2)) {
    return FALSE;
  }
  uint32_t length = record->length;
  if (length % 8 != 0 || length < kMinRecordLength || length > available) return FALSE;
  if (bytes[length - 2] != '\r' || bytes[length - 1] != '\n') return FALSE;
  size_t end = length - 2;
  while (end > kRecordPathColumn && bytes[end - 1] == ' ')
    end--;
  record->serial = (uint16_t)serial;
  record->path = bytes + kRecordPathColumn;
  record->pathLength = end - kRecordPathColumn;
  // A NUL would cut the path short wherever it is used as text.
  return memchr(record->path, '\0', record->pathLength) == nullptr;
}

BOOL ParseFreeRecordStart(const char* bytes, uint32_t* next, uint32_t* length) {
  return ParseHex(bytes, 8, next) && bytes[8] == ' ' && ParseHex(bytes + 9, 4, length);
}

uint16_t SerialToAssign(int bucket, uint16_t nextSerial) {
  return bucket == 0 && nextSerial == 0 ? 1 : nextSerial;
}

uint16_t SerialAfter(int bucket, uint16_t serial) {
  uint16_t next = (uint16_t)(serial + 1);
  return bucket == 0 && next == 0 ? 1 : next;
}
