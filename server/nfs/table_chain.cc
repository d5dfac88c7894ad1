// Walking a bucket's on-disk chain, one positioned read of at most 1048 bytes
// per record. Offsets outside the records, a damaged record, a record without
// a path or more steps than the file can hold records end the walk as damaged.
#include "nfs/table_state.h"

BOOL PlausibleRecordOffset(const HandleTable* table, uint32_t offset) {
  return offset >= kFirstRecordOffset && offset < table->fileLength &&
         table->fileLength - offset >= kMinRecordLength;
}

void StartChain(const HandleTable* table, int bucket, ChainCursor* cursor) {
  cursor->offset = 0;
  cursor->previous = 0;
  // A damaged line leads nowhere: no offset can be UINT32_MAX.
  cursor->next = table->buckets[bucket].damaged ? UINT32_MAX : table->buckets[bucket].first;
  cursor->stepsLeft = table->fileLength / kMinRecordLength + 1;
}

ChainStep NextInChain(const HandleTable* table, ChainCursor* cursor) {
  if (cursor->next == 0) return CHAIN_END;
  if (cursor->stepsLeft == 0 || !PlausibleRecordOffset(table, cursor->next)) return CHAIN_DAMAGED;
  cursor->stepsLeft--;
  cursor->previous = cursor->offset;
  cursor->offset = cursor->next;
  uint32_t room = table->fileLength - cursor->offset;
  uint32_t want = room < kRecordReadSize ? room : kRecordReadSize;
  int got = ReadAt(&table->file, cursor->offset, cursor->buffer, want);
  if (got < 0 || !ParseRecord(cursor->buffer, (size_t)got, &cursor->record) ||
      cursor->record.pathLength == 0) {
    return CHAIN_DAMAGED;
  }
  cursor->next = cursor->record.next;
  return CHAIN_RECORD;
}
