// Lookups: the cached chain of the bucket first, then the index. A record the
// index finds becomes the newest cached node; a cache hit moves nothing. No
// lookup reads the file.
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
  const TableIndex* index = &table->index;
  const BucketState* state = &table->buckets[bucket];
  if (!index->valid || state->damaged) return LOOKUP_UNREADABLE;
  uint32_t record = IndexFindPath(index, path, length);
  if (record == kNoRecord) return state->chainBroken ? LOOKUP_UNREADABLE : LOOKUP_ABSENT;
  *node = CacheNode(table, bucket, index->records[record].serial, path, length);
  return *node ? LOOKUP_FOUND : LOOKUP_NO_NODE;
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
  const TableIndex* index = &table->index;
  if (!index->valid) return nullptr;
  uint32_t record = IndexFindId(index, bucket, serial);
  if (record == kNoRecord) return nullptr;
  return CacheNode(table, bucket, serial, IndexPath(index, record),
                   index->records[record].pathLength);
}
