// Intents: an insertion or removal first writes what it is about to do into
// the header's 40 blanks, durable before any link field changes; the blanks
// return when it is done. After a crash a torn intent fails its check (no
// link was touched yet) and a whole one is carried out again on open. Redoing
// writes only values fixed by the intent, so replaying a finished one is
// harmless. A batch of appended records takes one intent for all of them:
// the records are written first, the intent names them with their CRC, and
// only a batch that arrived whole has its bucket lines set on a redo.
//
// Layout: kind (1), record (8), link (8), value (8), extra (8), check (7): the
// low 28 bits of the CRC-32 of the 33 characters before it.
#pragma once

#include <cstdint>

#include "nfs/table_file_ops.h"
#include "platform/windef.h"

enum : char { INTENT_NONE = ' ', INTENT_ADD = 'A', INTENT_REMOVE = 'R', INTENT_BATCH = 'B' };

struct TableIntent {
  char kind;
  uint32_t record;  // the record inserted or removed
  // The field to rewrite with `value`: for an insertion the free-chain link
  // that leads to a reused record (header or a free record; 0 = appended); for
  // a removal the bucket line or the record that leads to the removed one.
  uint32_t link;
  uint32_t value;
  // Insertion: CRC-32 of the new record, so a torn record is never linked.
  // Removal: the free-chain head that the freed record goes in front of.
  uint32_t extra;
};
// A batch: `record` is the first of the records appended back to back, `link`
// their length in bytes, `value` 0, `extra` the CRC-32 of those bytes. Each
// record's next field already names the record it was put in front of.
inline constexpr uint32_t kMaxBatchBytes = 256 * 1024;

uint32_t Crc32(const void* data, size_t size);
// Continues a CRC-32 over more bytes: Crc32 is CrcUpdate(0, ...).
uint32_t CrcUpdate(uint32_t crc, const void* data, size_t size);

void FormatIntent(const TableIntent* intent, char* padding);
// FALSE for blanks and for a torn or foreign intent.
BOOL ParseIntent(const char* padding, TableIntent* intent);

// Rewrites the 8 digits of a link: a record's next offset, a bucket line's
// first offset or the header's free-chain head.
BOOL WriteLinkField(const TableFile* file, uint32_t link, uint32_t value);
BOOL WriteIntent(const TableFile* file, const TableIntent* intent);
BOOL ClearIntent(const TableFile* file);
// Carries out a whole intent against a file of `fileLength` bytes. An intent
// naming places the file can't have (only a damaged file holds one) is
// ignored; FALSE means a write failed (or, for a batch, memory was short).
BOOL RedoIntent(const TableFile* file, uint32_t fileLength, const TableIntent* intent);
