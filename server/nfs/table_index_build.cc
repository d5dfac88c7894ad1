// Building the index: one sequential pass parses the records that tile the
// file, then each chain is followed through them (or by direct reads where the
// tiling was lost), exactly as a walk on disk would find it, and ends broken
// at a bad offset, a damaged record, a loop or a record of another bucket.
#include <cstdlib>

#include "nfs/table_alloc.h"
#include "nfs/table_state.h"

namespace {

constexpr uint32_t kScanChunk = 1u << 20;

enum Step { STEP_RECORD, STEP_BROKEN, STEP_NO_MEMORY };

// File offset -> record number for the records read directly, for the build
// only; the pass's records are sorted by offset already.
struct OffsetTable {
  uint32_t* slots;  // record number + 1, 0 = empty
  uint32_t count;
  uint32_t mask;
};

uint32_t OffsetHome(uint32_t offset, uint32_t mask) {
  return (uint32_t)(((uint64_t)offset * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

void PlaceOffset(OffsetTable* table, const TableIndex* index, uint32_t record) {
  uint32_t i = OffsetHome(index->records[record].offset, table->mask);
  while (table->slots[i] != 0)
    i = (i + 1) & table->mask;
  table->slots[i] = record + 1;
  table->count++;
}

// Room for one more entry at a load of at most one half.
BOOL GrowOffsets(OffsetTable* table, const TableIndex* index, uint32_t wanted) {
  uint64_t slotCount = table->slots ? (uint64_t)table->mask + 1 : 16;
  while (slotCount < 2 * ((uint64_t)wanted + 1))
    slotCount *= 2;
  if (table->slots && slotCount == (uint64_t)table->mask + 1) return TRUE;
  if (slotCount > (1u << 31)) return FALSE;
  uint32_t* slots = static_cast<uint32_t*>(TableAllocate(slotCount * sizeof(uint32_t)));
  if (!slots) return FALSE;
  uint32_t* old = table->slots;
  uint32_t oldCount = table->slots ? table->mask + 1 : 0;
  table->slots = slots;
  table->mask = (uint32_t)slotCount - 1;
  table->count = 0;
  for (uint32_t i = 0; i < oldCount; i++)
    if (old[i]) PlaceOffset(table, index, old[i] - 1);
  free(old);
  return TRUE;
}

uint32_t FindOffset(const OffsetTable* table, const TableIndex* index, uint32_t offset) {
  for (uint32_t i = OffsetHome(offset, table->mask); table->slots[i] != 0;
       i = (i + 1) & table->mask) {
    if (index->records[table->slots[i] - 1].offset == offset) return table->slots[i] - 1;
  }
  return kNoRecord;
}

BOOL NumberRecord(TableIndex* index, uint32_t offset, const RecordView* record, uint32_t* number) {
  if (!IndexReserveRecords(index, 1, record->pathLength)) return FALSE;
  *number = IndexNewRecord(index, offset, record->next, record->serial, (uint16_t)record->length,
                           record->path, record->pathLength);
  // While the path is at hand: its bucket decides which chain may hold it.
  index->records[*number].bucket = (uint8_t)PathBucket(IndexPath(index, *number));
  return TRUE;
}

// Numbers every record with a path that the tiling reaches. A failed read
// only ends the pass; the chains then read what they need themselves.
BOOL ScanRecords(HandleTable* table, char* buffer) {
  TableIndex* index = &table->index;
  uint32_t end = table->fileLength;
  uint32_t position = kFirstRecordOffset, bufferStart = 0, bufferLength = 0;
  while (position < end && end - position >= kMinRecordLength) {
    uint32_t want = end - position < kRecordReadSize ? end - position : kRecordReadSize;
    if (position < bufferStart || position - bufferStart + want > bufferLength) {
      uint32_t count = end - position < kScanChunk ? end - position : kScanChunk;
      int got = ReadAt(&table->file, position, buffer, count);
      if (got < (int)want) return TRUE;
      bufferStart = position;
      bufferLength = (uint32_t)got;
    }
    RecordView record;
    uint32_t number;
    if (!ParseRecord(buffer + (position - bufferStart), want, &record)) {
      position++;
      continue;
    }
    if (record.pathLength > 0 && !NumberRecord(index, position, &record, &number)) return FALSE;
    position += record.length;
  }
  return TRUE;
}

// The pass's records [0, count) by offset, galloping out from `*hint`: a
// chain mostly steps back a little way through the file. A record the pass
// parsed is exactly what a direct read at its offset would give.
uint32_t FindScanned(const TableIndex* index, uint32_t count, uint32_t offset, uint32_t* hint) {
  if (count == 0) return kNoRecord;
  const IndexRecord* records = index->records;
  uint32_t low, high;  // the answer, if any, lies in [low, high)
  uint32_t at = *hint < count ? *hint : count - 1;
  if (records[at].offset > offset) {
    uint32_t step = 1;
    high = at;
    while (step <= at && records[at - step].offset > offset) {
      high = at - step;
      step *= 2;
    }
    low = step <= at ? at - step : 0;
  } else {
    uint32_t step = 1;
    low = at;
    while (at + step < count && records[at + step].offset <= offset) {
      low = at + step;
      step *= 2;
    }
    high = at + step < count ? at + step : count;
  }
  while (high - low > 1) {
    uint32_t middle = low + (high - low) / 2;
    if (records[middle].offset > offset) {
      high = middle;
    } else {
      low = middle;
    }
  }
  if (low >= high || records[low].offset != offset) return kNoRecord;
  *hint = low;
  return low;
}

struct ChainSearch {
  OffsetTable extra;
  uint32_t scanned;  // records numbered by the pass
  uint32_t hint;
};

Step RecordAt(HandleTable* table, ChainSearch* search, char* buffer, uint32_t offset,
              uint32_t* number) {
  if (!PlausibleRecordOffset(table, offset)) return STEP_BROKEN;
  *number = FindScanned(&table->index, search->scanned, offset, &search->hint);
  if (*number != kNoRecord) return STEP_RECORD;
  OffsetTable* offsets = &search->extra;
  if (offsets->slots && (*number = FindOffset(offsets, &table->index, offset)) != kNoRecord) {
    return STEP_RECORD;
  }
  RecordView record;
  if (!ReadRecordAt(table, offset, buffer, &record)) return STEP_BROKEN;
  if (!GrowOffsets(offsets, &table->index, offsets->count + 1) ||
      !NumberRecord(&table->index, offset, &record, number)) {
    return STEP_NO_MEMORY;
  }
  PlaceOffset(offsets, &table->index, *number);
  return STEP_RECORD;
}

BOOL FollowChain(HandleTable* table, int bucket, ChainSearch* search, char* buffer) {
  TableIndex* index = &table->index;
  BucketState* state = &table->buckets[bucket];
  state->head = kNoRecord;
  state->chainBroken = 0;
  if (state->damaged) return TRUE;
  uint32_t previous = kNoRecord, offset = state->first;
  // Each record takes at least kMinRecordLength bytes: a longer chain loops.
  uint32_t stepsLeft = table->fileLength / kMinRecordLength + 1;
  while (offset != 0) {
    uint32_t number;
    Step step = stepsLeft-- == 0 ? STEP_BROKEN : RecordAt(table, search, buffer, offset, &number);
    if (step == STEP_NO_MEMORY) return FALSE;
    IndexRecord* record = step == STEP_RECORD ? &index->records[number] : nullptr;
    if (!record || (record->flags & RECORD_LIVE) || record->bucket != bucket) {
      state->chainBroken = 1;
      return TRUE;
    }
    record->flags |= RECORD_LIVE;
    record->newer = previous;
    if (previous != kNoRecord) {
      index->records[previous].older = number;
    } else {
      state->head = number;
    }
    previous = number;
    offset = record->next;
  }
  return TRUE;
}

// Records the chains did not reach go; the rest enter the tables, in the
// order of their numbers, which is the order of the file.
BOOL EnterChains(HandleTable* table) {
  TableIndex* index = &table->index;
  uint32_t live = 0;
  for (uint32_t r = 0; r < index->recordCount; r++) {
    if (index->records[r].flags & RECORD_LIVE) {
      live++;
    } else if (index->records[r].pathLength != 0) {
      IndexDiscardRecord(index, r);
    }
  }
  if (!IndexReserveEntries(index, live)) return FALSE;
  IndexEnterLive(index);
  return TRUE;
}

}  // namespace

BOOL BuildIndex(HandleTable* table) {
  TableIndex* index = &table->index;
  FreeIndex(index);
  SeedIndex(index);
  // Room for as many records as the file could hold, so that the pass never
  // copies a growing array; pages it leaves unused are never touched.
  uint32_t room = table->fileLength - kFirstRecordOffset;
  IndexReserveRecords(index, room / kMinRecordLength + 1, room);
  char* buffer = static_cast<char*>(TableAllocate(kScanChunk));
  ChainSearch search = {};
  BOOL built = buffer && ScanRecords(table, buffer);
  search.scanned = search.hint = index->recordCount;
  for (int bucket = 0; built && bucket < kBucketCount; bucket++)
    built = FollowChain(table, bucket, &search, buffer);
  free(search.extra.slots);
  free(buffer);
  built = built && EnterChains(table);
  if (!built) {
    FreeIndex(index);
    for (BucketState& state : table->buckets)
      state.head = kNoRecord;
    return FALSE;
  }
  index->valid = TRUE;
  return TRUE;
}
