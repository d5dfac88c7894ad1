// The handle table's index: every record on a bucket chain, in memory, found
// by path or by bucket and serial without touching the file. Built from the
// file at open and reload, changed only after the file has, so it never
// claims a record the disk lacks. Paths in one arena, two tables of numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windef.h"

inline constexpr uint32_t kNoRecord = UINT32_MAX;
inline constexpr int kIndexBuckets = 20;

enum : uint8_t {
  RECORD_LIVE = 1,       // on its bucket's chain
  RECORD_PATH_TWIN = 2,  // an older record of the chain may have the same path
  RECORD_ID_TWIN = 4,    // an older record of the chain may have the same serial
};

struct IndexRecord {
  uint32_t offset;  // in the file
  uint32_t next;    // its next field as the file has it
  uint32_t newer;   // its predecessor on the chain, kNoRecord for the first
  uint32_t older;   // its successor, kNoRecord at the end or where the chain breaks
  uint32_t pathAt;  // in the arena, NUL-terminated
  uint32_t pathHash;
  uint16_t pathLength;
  uint16_t serial;
  uint16_t length;  // the record's L
  uint8_t bucket;
  uint8_t flags;
};

// Only the newest of several records with one path (or one bucket and
// serial) is in a table; what the chain holds behind it is found when it goes.
struct TableIndex {
  IndexRecord* records;
  uint32_t recordCount;  // numbers handed out, live or unused
  uint32_t recordCapacity;
  uint32_t unusedRecords;  // chained through `older`
  uint32_t unusedCount;
  uint32_t liveCount;
  char* arena;
  uint32_t arenaUsed;
  uint32_t arenaCapacity;
  uint32_t arenaGarbage;  // bytes of paths whose records went
  uint32_t* byPath;       // record number + 1, 0 = empty
  uint32_t* byId;
  uint32_t slotCount;  // of each table, a power of 2, at least twice the entries
  uint64_t key[2];     // of the path hash, chosen at random per table
  // Per bucket, made once its serials have wrapped: a bit per live serial.
  uint64_t* liveSerials[kIndexBuckets];
  BOOL valid;
};

void FreeIndex(TableIndex* index);
// A fresh random key; the tables must be empty.
void SeedIndex(TableIndex* index);

// Room for `records` more records whose paths take `pathBytes` (without
// their NULs), entered in both tables: the calls that follow cannot fail.
BOOL IndexReserve(TableIndex* index, uint32_t records, size_t pathBytes);
// The two halves of IndexReserve: numbers and arena room for new records, and
// table room for `records` more entries.
BOOL IndexReserveRecords(TableIndex* index, uint32_t records, size_t pathBytes);
BOOL IndexReserveEntries(TableIndex* index, uint32_t records);
// A record that is on no chain and in no table yet.
uint32_t IndexNewRecord(TableIndex* index, uint32_t offset, uint32_t next, uint16_t serial,
                        uint16_t length, const char* path, size_t pathLength);
// Gives back the number of a record that is in no table.
void IndexDiscardRecord(TableIndex* index, uint32_t record);
// Enters a record of a chain into both tables. Of two records with the same
// path (or id) the table keeps the newer: the record when `newest`, else the
// one nearer the chain's head.
void IndexEnter(TableIndex* index, uint32_t record, BOOL newest);
// IndexEnter for every record on a chain, in the order of their numbers.
void IndexEnterLive(TableIndex* index);
// Takes a record out of both tables; an older twin on its chain takes its place.
void IndexLeave(TableIndex* index, uint32_t record);

// The first serial from `from` on, cyclically, that no live record of the
// bucket has; FALSE when every one is taken (or memory is short). Serial 0
// of bucket 0 is never handed out.
// `head` is the bucket's newest record, where its chain starts.
BOOL IndexFreeSerial(TableIndex* index, uint32_t head, int bucket, uint16_t from, uint16_t* serial);
// Keeps a bucket's bits (once it has them) in step with a record coming or going.
void IndexSerialChanged(TableIndex* index, int bucket, uint16_t serial);

uint32_t IndexFindPath(const TableIndex* index, const char* path, size_t length);
uint32_t IndexFindId(const TableIndex* index, uint16_t bucket, uint16_t serial);

inline const char* IndexPath(const TableIndex* index, uint32_t record) {
  return index->arena + index->records[record].pathAt;
}
