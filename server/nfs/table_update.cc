// Insertions and removals. Each is durable when it returns and safe against a
// crash at any write: the intent is durable before a link changes, a new
// record is durable before its bucket line names it, and a removed record
// leaves its bucket chain before it joins the free chain, so no record is ever
// on both. The index follows only a change the file has taken; a failed write
// reloads the table and its index from the file (or breaks it).
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "nfs/table_alloc.h"
#include "nfs/table_intent.h"
#include "nfs/table_state.h"

namespace {

// Refused before anything is written: what the platform can't name, what a
// record can't carry, and what would not read back as the same bytes (the
// reader drops trailing blanks; control bytes would break the line).
BOOL StorablePath(const char* path, size_t length) {
  if (length == 0 || length >= MAX_PATH || length > kMaxRecordPath) return FALSE;
  if (path[length - 1] == ' ') return FALSE;
  for (size_t i = 0; i < length; i++)
    if ((unsigned char)path[i] < 32) return FALSE;
  return TRUE;
}

BOOL WriteInsertion(HandleTable* table, const TableIntent* intent, const char* record,
                    uint32_t length, int bucket, uint16_t nextSerial) {
  const TableFile* file = &table->file;
  if (intent->link == 0) {
    // Past the end of the file the record is unreachable until linked.
    if (!WriteAt(file, intent->record, record, length) || !WriteIntent(file, intent) ||
        !CommitFile(file)) {
      return FALSE;
    }
  } else if (!WriteIntent(file, intent) || !CommitFile(file) ||
             !WriteLinkField(file, intent->link, intent->value) ||
             !WriteAt(file, intent->record, record, length) || !CommitFile(file)) {
    // A reused record sits on the free chain until its link is rewritten;
    // only a durable intent makes overwriting it safe.
    return FALSE;
  }
  char line[kBucketLineSize];
  FormatBucketLine(line, intent->record, nextSerial);
  if (!WriteAt(file, BucketLineOffset(bucket), line, sizeof line) || !CommitFile(file)) {
    return FALSE;
  }
  ClearIntent(file);
  return TRUE;
}

BOOL WriteRemoval(HandleTable* table, const TableIntent* intent, uint32_t length) {
  const TableFile* file = &table->file;
  char freeRecord[kRecordReadSize];
  FormatRecord(freeRecord, length, intent->extra, 0, "", 0);
  if (!WriteIntent(file, intent) || !CommitFile(file) ||
      !WriteLinkField(file, intent->link, intent->value) ||
      !WriteAt(file, intent->record, freeRecord, length) ||
      !WriteLinkField(file, kFreeHeadColumn, intent->record) || !CommitFile(file)) {
    return FALSE;
  }
  ClearIntent(file);
  return TRUE;
}

// After the counter wraps, a serial whose record still lives is passed over:
// an old handle must never come to name a newer path.
BOOL FreeSerial(HandleTable* table, uint16_t bucket, uint16_t* serial) {
  const BucketState* state = &table->buckets[bucket];
  return IndexFreeSerial(&table->index, state->head, bucket,
                         SerialToAssign(bucket, state->nextSerial), serial);
}

// The index record of the node's record, or kNoRecord. Serial and path both
// must match: only this node's record may go.
uint32_t RecordOf(const HandleTable* table, const PathNode* node) {
  const TableIndex* index = &table->index;
  uint32_t record = IndexFindPath(index, node->path, strlen(node->path));
  if (record == kNoRecord) return kNoRecord;
  // Of two records with one path the table holds the newer; the node may be
  // the older one's.
  uint32_t twins = index->records[record].flags & RECORD_PATH_TWIN;
  for (; record != kNoRecord; record = twins ? index->records[record].older : kNoRecord) {
    const IndexRecord* r = &index->records[record];
    if (r->serial == node->serial && strcmp(IndexPath(index, record), node->path) == 0) break;
  }
  return record;
}

// The file must still hold what the index says before anything is rewritten.
BOOL FileAgrees(const HandleTable* table, uint32_t number) {
  const IndexRecord* r = &table->index.records[number];
  char buffer[kRecordReadSize];
  RecordView record;
  if (r->newer == kNoRecord && table->buckets[r->bucket].first != r->offset) return FALSE;
  return ReadRecordAt(table, r->offset, buffer, &record) && record.next == r->next &&
         record.length == r->length && record.serial == r->serial &&
         record.pathLength == r->pathLength &&
         memcmp(record.path, IndexPath(&table->index, number), r->pathLength) == 0;
}

void LinkFirst(HandleTable* table, uint16_t bucket, uint32_t number) {
  TableIndex* index = &table->index;
  BucketState* state = &table->buckets[bucket];
  IndexRecord* r = &index->records[number];
  r->bucket = (uint8_t)bucket;
  r->flags |= RECORD_LIVE;
  r->older = state->head;
  if (state->head != kNoRecord) index->records[state->head].newer = number;
  state->head = number;
  IndexEnter(index, number, TRUE);
  IndexSerialChanged(index, bucket, r->serial);
}

void Unlink(HandleTable* table, uint32_t number) {
  TableIndex* index = &table->index;
  IndexLeave(index, number);
  IndexRecord* r = &index->records[number];
  if (r->newer != kNoRecord) {
    index->records[r->newer].older = r->older;
    index->records[r->newer].next = r->next;
  } else {
    table->buckets[r->bucket].head = r->older;
  }
  if (r->older != kNoRecord) index->records[r->older].newer = r->newer;
  uint8_t bucket = r->bucket;
  uint16_t serial = r->serial;
  IndexDiscardRecord(index, number);
  IndexSerialChanged(index, bucket, serial);
}

// Writes the record (into a free one that fits, else at the end) and links
// it; FALSE after a failed write, with the table reloaded.
BOOL WriteNewRecord(HandleTable* table, const char* path, size_t length, uint16_t bucket,
                    uint16_t serial, uint32_t* offset, uint32_t* recordLength) {
  BucketState* state = &table->buckets[bucket];
  FreeEntry* previous;
  FreeEntry* reused = FirstFit(table, *recordLength, &previous);
  TableIntent intent = {INTENT_ADD, table->fileLength, 0, 0, 0};
  if (reused) {
    *recordLength = reused->size;
    intent.record = reused->offset;
    intent.link = previous ? previous->offset : kFreeHeadColumn;
    intent.value = reused->next ? reused->next->offset : 0;
  } else if (table->fileLength > UINT32_MAX - *recordLength) {
    return FALSE;
  }
  char record[kRecordReadSize];
  FormatRecord(record, *recordLength, state->first, serial, path, length);
  intent.extra = Crc32(record, *recordLength);
  if (!WriteInsertion(table, &intent, record, *recordLength, bucket, SerialAfter(bucket, serial))) {
    RecoverHandleTable(table);
    return FALSE;
  }
  if (reused) {
    if (!previous) table->freeHead = intent.value;
    UnlinkFreeEntry(table, reused, previous);
  } else {
    table->fileLength += *recordLength;
  }
  *offset = intent.record;
  return TRUE;
}

// A batch only appends, in memory; nothing reaches the file before FlushBatch.
BOOL AppendToBatch(HandleTable* table, const char* path, size_t length, uint16_t bucket,
                   uint16_t serial, uint32_t recordLength, uint32_t* offset) {
  if (table->fileLength > UINT32_MAX - recordLength) return FALSE;
  *offset = table->fileLength;
  FormatRecord(BatchSlot(table, bucket, recordLength), recordLength, table->buckets[bucket].first,
               serial, path, length);
  table->fileLength += recordLength;
  return TRUE;
}

}  // namespace

PathNode* AddPath(const char* path) {
  HandleTable* table = ActiveHandleTable();
  size_t length = strlen(path);
  if (!table || table->broken || !table->index.valid || !StorablePath(path, length)) {
    return nullptr;
  }
  uint32_t recordLength = RecordLengthFor(length);
  // First, since writing a full batch may reload the table.
  BOOL batched = table->batch.depth > 0;
  if (batched && !BatchRoom(table, recordLength)) return nullptr;
  uint16_t bucket = PathBucket(path);
  BucketState* state = &table->buckets[bucket];
  uint16_t serial;
  if (state->damaged || !FreeSerial(table, bucket, &serial)) return nullptr;
  // Taken before the first write, so the index can follow whatever the disk does.
  if (!IndexReserve(&table->index, 1, length)) return nullptr;
  uint32_t offset;
  if (batched ? !AppendToBatch(table, path, length, bucket, serial, recordLength, &offset)
              : !WriteNewRecord(table, path, length, bucket, serial, &offset, &recordLength)) {
    return nullptr;
  }
  LinkFirst(table, bucket,
            IndexNewRecord(&table->index, offset, state->first, serial, (uint16_t)recordLength,
                           path, length));
  state->first = offset;
  state->nextSerial = SerialAfter(bucket, serial);
  return CacheNode(table, bucket, serial, path, length);
}

void RemovePath(PathNode* node) {
  assert(node->magic == kPathNodeMagic);
  HandleTable* table = ActiveHandleTable();
  if (node->detached || !table) return;
  // A pending batch goes first, so the file holds what the index says. Should
  // that fail, the reload may have freed the node: it is not touched again.
  if (!FlushBatch(table)) return;
  if (table->broken || !table->index.valid) return;
  uint32_t number = RecordOf(table, node);
  if (number == kNoRecord || !FileAgrees(table, number)) return;
  // Taken before the first write, so memory can follow whatever the disk did.
  FreeEntry* entry = static_cast<FreeEntry*>(TableAllocate(sizeof(FreeEntry)));
  if (!entry) return;
  const IndexRecord* r = &table->index.records[number];
  uint32_t length = r->length;
  TableIntent intent = {INTENT_REMOVE, r->offset,
                        r->newer != kNoRecord ? table->index.records[r->newer].offset
                                              : BucketLineOffset(node->bucket),
                        r->next, table->freeHead};
  if (!WriteRemoval(table, &intent, length)) {
    free(entry);
    // The recovery may have finished the removal; if so the node leaves with it.
    RecoverHandleTable(table);
    return;
  }
  if (r->newer == kNoRecord) table->buckets[node->bucket].first = intent.value;
  Unlink(table, number);
  entry->offset = intent.record;
  entry->size = (uint16_t)length;
  entry->next = table->freeList;
  table->freeList = entry;
  table->freeHead = intent.record;
  DetachNode(table, node);
}
