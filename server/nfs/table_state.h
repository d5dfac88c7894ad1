// The handle table's record and the operations its files share. The record
// mirrors the file's header, bucket lines, free chain and every record on a
// chain (the index); it is reloaded from the file whenever a write fails, so
// memory never claims what the disk lacks (a batch not yet written aside).
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"
#include "nfs/hash_file.h"
#include "nfs/table_file_ops.h"
#include "nfs/table_index.h"

static_assert(kBucketCount == kHandleBuckets && kBucketCount == kIndexBuckets);

struct FreeEntry {
  FreeEntry* next;
  uint32_t offset;
  uint16_t size;
};

struct BucketState {
  uint32_t first;  // file offset of the newest record, 0 = empty (a batch's included)
  uint16_t nextSerial;
  uint16_t damaged;  // its line is no number: lookups give none, nothing is added
  // Its chain could not be followed to the end: a path the index lacks may
  // still be recorded behind the break, so lookups give none, never "absent".
  uint16_t chainBroken;
  uint32_t head;    // index record of the newest record, kNoRecord for none
  PathNode* nodes;  // cached chain, newest first
};

// Insertions appended in memory until the batch is written (table_batch.cc).
struct TableBatch {
  uint16_t depth;    // BeginTableBatch calls not yet ended
  uint32_t touched;  // one bit per bucket whose line the batch changes
  uint32_t start;    // file offset of the first record held here
  uint32_t used;
  uint32_t capacity;
  char* bytes;
};

struct HandleTable {
  TableFile file;
  uint32_t stamp;
  uint32_t freeHead;
  uint32_t fileLength;  // with the records of a batch not yet written
  BucketState buckets[kBucketCount];
  FreeEntry* freeList;  // in the order of the on-disk free chain
  TableIndex index;
  TableBatch batch;
  PathNode* newest;  // recency list, by when each node was made
  PathNode* oldest;
  uint16_t nodeCount;
  // A failed write could not be repaired: changes are refused until reopened.
  uint16_t broken;
  char path[MAX_PATH + sizeof kHandleFileName];
};

HandleTable* ActiveHandleTable();

// Completes an interrupted change, then reads the header, the bucket table
// and the free chain again and builds the index. FALSE for the failures that
// make an open fail; the index stays empty until a reload succeeds.
BOOL ReloadHandleTable(HandleTable* table);
// After a failed write: ReloadHandleTable, or mark the table broken.
void RecoverHandleTable(HandleTable* table);

// Free list (free_list.cc).
BOOL LoadFreeList(HandleTable* table);
void DiscardFreeList(HandleTable* table);
FreeEntry* FirstFit(HandleTable* table, uint32_t length, FreeEntry** previous);
void UnlinkFreeEntry(HandleTable* table, FreeEntry* entry, FreeEntry* previous);

// Node cache (node_cache.cc).
PathNode* CachedByPath(HandleTable* table, uint16_t bucket, const char* path, size_t length);
PathNode* CachedBySerial(HandleTable* table, uint16_t bucket, uint16_t serial);
// Evicts the oldest unheld node when the cache is full; none when every
// cached node is held or memory is short.
PathNode* CacheNode(HandleTable* table, uint16_t bucket, uint16_t serial, const char* path,
                    size_t length);
// Takes a node out of the cache; freed now, or at its last release if held.
void DetachNode(HandleTable* table, PathNode* node);
void DropCache(HandleTable* table);

// Batches (table_batch.cc). Room for a record of `length` bytes, writing the
// batch first when it is full; FALSE when that write failed or memory is short.
BOOL BatchRoom(HandleTable* table, uint32_t length);
// Where the next record goes: `length` bytes that BatchRoom made room for.
char* BatchSlot(HandleTable* table, int bucket, uint32_t length);
// Writes what the batch holds, durable when it returns TRUE. After a failure
// the table is reloaded, so it holds exactly what the file does.
BOOL FlushBatch(HandleTable* table);
void DiscardBatch(HandleTable* table);

// Index from the file (table_index_build.cc): FALSE only when memory is short.
BOOL BuildIndex(HandleTable* table);
// Cached nodes whose record the index no longer has (after a reload) leave.
void DropStaleNodes(HandleTable* table);

// Records on disk (table_chain.cc).
// A record offset that can hold at least the smallest record.
BOOL PlausibleRecordOffset(const HandleTable* table, uint32_t offset);
// One positioned read of at most kRecordReadSize bytes into `buffer`; FALSE
// for a short read or a record that is damaged or has no path.
BOOL ReadRecordAt(const HandleTable* table, uint32_t offset, char* buffer, RecordView* record);
