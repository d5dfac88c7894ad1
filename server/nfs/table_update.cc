// Insertions and removals. Each is durable when it returns and safe against a
// crash at any write: the intent is durable before a link changes, a new
// record is durable before its bucket line names it, and a removed record
// leaves its bucket chain before it joins the free chain, so no record is ever
// on both. A failed write reloads the table from the file (or breaks it).
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

// CHAIN_RECORD with the cursor on the node's record, CHAIN_END when it has
// none. Serial and path both must match: after the counter wraps two records
// of a bucket can share a serial, and only this node's record may go.
ChainStep FindRecordOf(HandleTable* table, const PathNode* node, ChainCursor* cursor) {
  size_t length = strlen(node->path);
  StartChain(table, node->bucket, cursor);
  ChainStep step;
  while ((step = NextInChain(table, cursor)) == CHAIN_RECORD) {
    const RecordView* record = &cursor->record;
    if (record->serial == node->serial && record->pathLength == length &&
        memcmp(record->path, node->path, length) == 0) {
      break;
    }
  }
  return step;
}

}  // namespace

PathNode* AddPath(const char* path) {
  HandleTable* table = ActiveHandleTable();
  size_t length = strlen(path);
  if (!table || table->broken || !StorablePath(path, length)) return nullptr;
  uint16_t bucket = PathBucket(path);
  BucketState* state = &table->buckets[bucket];
  if (state->damaged) return nullptr;
  uint32_t recordLength = RecordLengthFor(length);
  FreeEntry* previous;
  FreeEntry* reused = FirstFit(table, recordLength, &previous);
  TableIntent intent = {INTENT_ADD, table->fileLength, 0, 0, 0};
  if (reused) {
    recordLength = reused->size;
    intent.record = reused->offset;
    intent.link = previous ? previous->offset : kFreeHeadColumn;
    intent.value = reused->next ? reused->next->offset : 0;
  } else if (table->fileLength > UINT32_MAX - recordLength) {
    return nullptr;
  }
  uint16_t serial = SerialToAssign(bucket, state->nextSerial);
  uint16_t nextSerial = SerialAfter(bucket, serial);
  char record[kRecordReadSize];
  FormatRecord(record, recordLength, state->first, serial, path, length);
  intent.extra = Crc32(record, recordLength);
  if (!WriteInsertion(table, &intent, record, recordLength, bucket, nextSerial)) {
    RecoverHandleTable(table);
    return nullptr;
  }
  if (reused) {
    if (!previous) table->freeHead = intent.value;
    UnlinkFreeEntry(table, reused, previous);
  } else {
    table->fileLength += recordLength;
  }
  state->first = intent.record;
  state->nextSerial = nextSerial;
  return CacheNode(table, bucket, serial, path, length);
}

void RemovePath(PathNode* node) {
  assert(node->magic == kPathNodeMagic);
  HandleTable* table = ActiveHandleTable();
  if (node->detached || !table || table->broken) return;
  ChainCursor cursor;
  if (FindRecordOf(table, node, &cursor) != CHAIN_RECORD) return;
  // Taken before the first write, so memory can follow whatever the disk did.
  FreeEntry* entry = static_cast<FreeEntry*>(TableAllocate(sizeof(FreeEntry)));
  if (!entry) return;
  uint32_t length = cursor.record.length;
  TableIntent intent = {INTENT_REMOVE, cursor.offset,
                        cursor.previous ? cursor.previous : BucketLineOffset(node->bucket),
                        cursor.record.next, table->freeHead};
  if (!WriteRemoval(table, &intent, length)) {
    free(entry);
    RecoverHandleTable(table);
    // The recovery may have finished the removal; the chain tells.
    if (!table->broken && FindRecordOf(table, node, &cursor) == CHAIN_END) DetachNode(table, node);
    return;
  }
  if (!cursor.previous) table->buckets[node->bucket].first = intent.value;
  entry->offset = intent.record;
  entry->size = (uint16_t)length;
  entry->next = table->freeList;
  table->freeList = entry;
  table->freeHead = intent.record;
  DetachNode(table, node);
}
