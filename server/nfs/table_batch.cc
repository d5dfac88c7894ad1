// Batches of insertions, appended in memory and seen by lookups at once. They
// reach the file together: the records, then one intent naming them with
// their CRC (one sync), then the bucket lines (a second); a crash leaves all
// of the batch or none. Any other change writes a pending batch first.
#include <cstdlib>
#include <cstring>

#include "nfs/table_alloc.h"
#include "nfs/table_intent.h"
#include "nfs/table_state.h"

namespace {

BOOL WriteBatch(HandleTable* table) {
  const TableFile* file = &table->file;
  const TableBatch* batch = &table->batch;
  TableIntent intent = {INTENT_BATCH, batch->start, batch->used, 0,
                        Crc32(batch->bytes, batch->used)};
  if (!WriteAt(file, batch->start, batch->bytes, batch->used) || !WriteIntent(file, &intent) ||
      !CommitFile(file)) {
    return FALSE;
  }
  for (int bucket = 0; bucket < kBucketCount; bucket++) {
    if (!(batch->touched & 1u << bucket)) continue;
    const BucketState* state = &table->buckets[bucket];
    char line[kBucketLineSize];
    FormatBucketLine(line, state->first, state->nextSerial);
    if (!WriteAt(file, BucketLineOffset(bucket), line, sizeof line)) return FALSE;
  }
  if (!CommitFile(file)) return FALSE;
  ClearIntent(file);
  return TRUE;
}

}  // namespace

BOOL BatchRoom(HandleTable* table, uint32_t length) {
  TableBatch* batch = &table->batch;
  if (batch->used + length > kMaxBatchBytes && !FlushBatch(table)) return FALSE;
  if (batch->used + length <= batch->capacity) return TRUE;
  uint32_t capacity = batch->capacity ? batch->capacity * 2 : 4096;
  while (capacity < batch->used + length)
    capacity *= 2;
  void* grown = TableReallocate(batch->bytes, batch->capacity, capacity);
  if (!grown) return FALSE;
  batch->bytes = static_cast<char*>(grown);
  batch->capacity = capacity;
  return TRUE;
}

char* BatchSlot(HandleTable* table, int bucket, uint32_t length) {
  TableBatch* batch = &table->batch;
  if (batch->used == 0) batch->start = table->fileLength;
  batch->touched |= 1u << bucket;
  char* slot = batch->bytes + batch->used;
  batch->used += length;
  return slot;
}

BOOL FlushBatch(HandleTable* table) {
  TableBatch* batch = &table->batch;
  if (batch->used == 0) return TRUE;
  BOOL written = WriteBatch(table);
  batch->used = 0;
  batch->touched = 0;
  if (!written) RecoverHandleTable(table);
  return written;
}

void DiscardBatch(HandleTable* table) {
  free(table->batch.bytes);
  table->batch = TableBatch{};
}

void BeginTableBatch() {
  if (HandleTable* table = ActiveHandleTable()) table->batch.depth++;
}

BOOL EndTableBatch() {
  HandleTable* table = ActiveHandleTable();
  if (!table) return FALSE;
  if (table->batch.depth > 0 && --table->batch.depth > 0) return TRUE;
  return FlushBatch(table);
}
