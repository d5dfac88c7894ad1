// The file handle table: every path a client reaches gets a record in
// nfsfile.hsh, found by bucket (0-19) and serial, so handles survive restarts.
// At most ten paths are cached as PathNodes; a held node is never evicted and
// stays valid, even when its record is removed, until its last release.
#pragma once

#include <cstdint>

#include "nfs/table_file_ops.h"
#include "platform/windef.h"

inline constexpr uint16_t kPathNodeMagic = 0x4643;
inline constexpr int kPathNodeCacheSize = 10;
inline constexpr int kHandleBuckets = 20;
inline constexpr char kHandleFileName[] = "nfsfile.hsh";

struct PathNode {
  uint16_t magic;
  PathNode* bucketNext;
  PathNode* newer;
  PathNode* older;
  uint16_t holds;
  uint16_t bucket;
  uint16_t serial;
  // Removed from the table while held: no longer cached or resolvable, freed
  // at its last release.
  uint16_t detached;
  char* path;  // NUL-terminated, in the node's own allocation
};

// Opens or creates directory\nfsfile.hsh (held with exclusive sharing). A new
// file takes a fresh stamp from the clock, never `stamp` (the stamp of the
// file it replaces, which the caller saves from HandleTableStamp), so no old
// handle resolves in it; an existing file keeps its own. An insertion or
// removal that a crash interrupted is completed here first.
BOOL OpenHandleTable(const char* directory, uint32_t stamp);
// The same through `ops`; a new file takes `stamp` as it is.
BOOL OpenHandleTableWithOps(const char* directory, uint32_t stamp, const TableFileOps* ops);
// Unheld nodes are freed; held ones stay valid until released.
void CloseHandleTable();
uint32_t HandleTableStamp();

// Paths are compared byte for byte; callers hand them over in one canonical
// form. Each result is a cached node, or none.
PathNode* FindPath(const char* path);
// Writes a new record, durable before it returns. Refuses (none, nothing
// written) a path that the platform or a record can't carry, and a path whose
// bucket has every serial in use by a live record.
PathNode* AddPath(const char* path);
// Adds only when the path has no record at all, not when a record exists but
// no node could be cached for it.
PathNode* FindOrAddPath(const char* path);
PathNode* NodeFromId(uint16_t bucket, uint16_t serial);
// Insertions between these calls become durable together at EndTableBatch,
// with two syncs for all of them instead of two or three each; lookups see
// them at once. A crash before EndTableBatch returns leaves the file without
// all of them or with all of them, never damaged. FALSE: the file may lack
// them, and the table, reloaded from it, then lacks them too. Calls nest; the
// outermost EndTableBatch writes, and so does any removal or close meanwhile.
void BeginTableBatch();
BOOL EndTableBatch();
// The record goes to the free list. An unheld node is freed; a held one is
// detached (see PathNode) and freed by its last ReleasePathNode.
void RemovePath(PathNode* node);

void HoldPathNode(PathNode* node);
void ReleasePathNode(PathNode* node);

// The sum over byte pairs of (c0 - 32) + 32 * (c1 - 32), bytes signed, an odd
// last byte adding (c - 32); unsigned 32 bits, modulo 20.
uint16_t PathBucket(const char* path);
// serial * 65536 + bucket: the NFS fileid and READDIR cookie of the path.
uint32_t FileIdOf(const PathNode* node);
