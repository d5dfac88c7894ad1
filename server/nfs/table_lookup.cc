// Lookups: the cached chain of the bucket first, then its on-disk chain. A hit
// on disk becomes the newest cached node; a cache hit moves nothing.
#include <cstring>

#include "nfs/table_state.h"

namespace {

enum LookupResult { LOOKUP_FOUND, LOOKUP_NO_NODE, LOOKUP_ABSENT, LOOKUP_UNREADABLE };

LookupResult LookupPath(const char* path, PathNode** node) {
  *node = nullptr;
  HandleTable* table = ActiveHandleTable();
  if (!table) return LOOKUP_UNREADABLE;
  size_t length = strlen(path);
  uint16_t bucket = PathBucket(path);
  if ((*node = CachedByPath(table, bucket, path, length))) return LOOKUP_FOUND;
  ChainCursor cursor;
  StartChain(table, bucket, &cursor);
  for (;;) {
    switch (NextInChain(table, &cursor)) {
      case CHAIN_END:
        return LOOKUP_ABSENT;
      case CHAIN_DAMAGED:
        return LOOKUP_UNREADABLE;
      case CHAIN_RECORD:
        break;
    }
    const RecordView* record = &cursor.record;
    if (record->pathLength != length || memcmp(record->path, path, length) != 0) continue;
    *node = CacheNode(table, bucket, record->serial, path, length);
    return *node ? LOOKUP_FOUND : LOOKUP_NO_NODE;
  }
}

}  // namespace

PathNode* FindPath(const char* path) {
  PathNode* node;
  LookupPath(path, &node);
  return node;
}

PathNode* FindOrAddPath(const char* path) {
  PathNode* node;
  // A chain that can't be read might hold the path: adding could duplicate it.
  if (LookupPath(path, &node) != LOOKUP_ABSENT) return node;
  return AddPath(path);
}

PathNode* NodeFromId(uint16_t bucket, uint16_t serial) {
  HandleTable* table = ActiveHandleTable();
  if (!table || bucket >= kBucketCount) return nullptr;
  if (PathNode* node = CachedBySerial(table, bucket, serial)) return node;
  ChainCursor cursor;
  StartChain(table, bucket, &cursor);
  while (NextInChain(table, &cursor) == CHAIN_RECORD) {
    if (cursor.record.serial != serial) continue;
    return CacheNode(table, bucket, serial, cursor.record.path, cursor.record.pathLength);
  }
  return nullptr;
}
