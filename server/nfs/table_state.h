// The handle table's record and the operations its files share. The record
// mirrors the file's header, bucket lines and free chain; it is reloaded from
// the file whenever a write fails, so memory never claims what the disk lacks.
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"
#include "nfs/hash_file.h"
#include "nfs/table_file_ops.h"

static_assert(kBucketCount == kHandleBuckets);

struct FreeEntry {
  FreeEntry* next;
  uint32_t offset;
  uint16_t size;
};

struct BucketState {
  uint32_t first;  // file offset of the newest record, 0 = empty
  uint16_t nextSerial;
  uint16_t damaged;  // its line is no number: lookups give none, nothing is added
  PathNode* nodes;   // cached chain, newest first
};

struct HandleTable {
  TableFile file;
  uint32_t stamp;
  uint32_t freeHead;
  uint32_t fileLength;
  BucketState buckets[kBucketCount];
  FreeEntry* freeList;  // in the order of the on-disk free chain
  PathNode* newest;     // recency list, by when each node was made
  PathNode* oldest;
  uint16_t nodeCount;
  // A failed write could not be repaired: changes are refused until reopened.
  uint16_t broken;
  char path[MAX_PATH + sizeof kHandleFileName];
};

HandleTable* ActiveHandleTable();

// Completes an interrupted change, then reads the header, the bucket table
// and the free chain again. FALSE for the failures that make an open fail.
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

// On-disk chains (table_chain.cc). Every walk is bounded by the file's
// length, so a chain that loops or leaves the file ends as damaged.
enum ChainStep { CHAIN_RECORD, CHAIN_END, CHAIN_DAMAGED };
struct ChainCursor {
  uint32_t offset;    // of the current record
  uint32_t previous;  // of the record before it, 0 for the first
  uint32_t next;
  uint32_t stepsLeft;
  RecordView record;
  char buffer[kRecordReadSize];
};
void StartChain(const HandleTable* table, int bucket, ChainCursor* cursor);
ChainStep NextInChain(const HandleTable* table, ChainCursor* cursor);
// A record offset that can hold at least the smallest record.
BOOL PlausibleRecordOffset(const HandleTable* table, uint32_t offset);
