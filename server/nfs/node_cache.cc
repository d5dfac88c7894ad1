// The cache of path nodes: per-bucket chains and one recency list, at most
// kPathNodeCacheSize nodes. Eviction takes the oldest unheld node; held nodes
// are pinned. A detached node is in neither list and belongs to its holders.
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "nfs/table_alloc.h"
#include "nfs/table_state.h"

namespace {

void Unlink(HandleTable* table, PathNode* node) {
  PathNode** link = &table->buckets[node->bucket].nodes;
  while (*link && *link != node)
    link = &(*link)->bucketNext;
  if (*link) *link = node->bucketNext;
  if (node->newer) {
    node->newer->older = node->older;
  } else {
    table->newest = node->older;
  }
  if (node->older) {
    node->older->newer = node->newer;
  } else {
    table->oldest = node->newer;
  }
  node->bucketNext = node->newer = node->older = nullptr;
  table->nodeCount--;
}

BOOL EvictOne(HandleTable* table) {
  for (PathNode* node = table->oldest; node; node = node->newer) {
    if (node->holds != 0) continue;
    Unlink(table, node);
    free(node);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

PathNode* CachedByPath(HandleTable* table, uint16_t bucket, const char* path, size_t length) {
  for (PathNode* node = table->buckets[bucket].nodes; node; node = node->bucketNext) {
    if (strlen(node->path) == length && memcmp(node->path, path, length) == 0) return node;
  }
  return nullptr;
}

PathNode* CachedBySerial(HandleTable* table, uint16_t bucket, uint16_t serial) {
  for (PathNode* node = table->buckets[bucket].nodes; node; node = node->bucketNext) {
    if (node->serial == serial) return node;
  }
  return nullptr;
}

PathNode* CacheNode(HandleTable* table, uint16_t bucket, uint16_t serial, const char* path,
                    size_t length) {
  if (table->nodeCount >= kPathNodeCacheSize && !EvictOne(table)) return nullptr;
  PathNode* node = static_cast<PathNode*>(TableAllocate(sizeof(PathNode) + length + 1));
  if (!node) return nullptr;
  node->magic = kPathNodeMagic;
  node->bucket = bucket;
  node->serial = serial;
  node->path = reinterpret_cast<char*>(node + 1);
  memcpy(node->path, path, length);
  BucketState* state = &table->buckets[bucket];
  node->bucketNext = state->nodes;
  state->nodes = node;
  node->older = table->newest;
  if (table->newest) {
    table->newest->newer = node;
  } else {
    table->oldest = node;
  }
  table->newest = node;
  table->nodeCount++;
  return node;
}

void DetachNode(HandleTable* table, PathNode* node) {
  Unlink(table, node);
  if (node->holds == 0) {
    free(node);
  } else {
    node->detached = 1;
  }
}

void DropStaleNodes(HandleTable* table) {
  const TableIndex* index = &table->index;
  for (PathNode *node = table->newest, *older; node; node = older) {
    older = node->older;
    uint32_t record = IndexFindId(index, node->bucket, node->serial);
    if (record == kNoRecord || strcmp(IndexPath(index, record), node->path) != 0) {
      DetachNode(table, node);
    }
  }
}

void DropCache(HandleTable* table) {
  while (table->newest)
    DetachNode(table, table->newest);
}

void HoldPathNode(PathNode* node) {
  assert(node->magic == kPathNodeMagic);
  node->holds++;
}

void ReleasePathNode(PathNode* node) {
  assert(node->magic == kPathNodeMagic);
  assert(node->holds > 0);
  node->holds--;
  if (node->holds == 0 && node->detached) {
    node->magic = 0;
    free(node);
  }
}
