// The index's arena and its two tables (see table_index.h). Both tables use
// linear probing at a load of at most one half and close gaps by shifting
// back, so they never hold tombstones. Path hashes are keyed SipHash, so a
// client choosing file names cannot pile them into one run of slots.
#include "nfs/table_index.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "nfs/table_alloc.h"

namespace {

constexpr uint32_t kFirstSlotCount = 16;
constexpr uint32_t kFirstRecordCapacity = 64;
constexpr uint32_t kFirstArenaCapacity = 4096;

uint64_t Rotate(uint64_t x, int bits) {
  return x << bits | x >> (64 - bits);
}

void SipRound(uint64_t v[4]) {
  v[0] += v[1], v[1] = Rotate(v[1], 13), v[1] ^= v[0], v[0] = Rotate(v[0], 32);
  v[2] += v[3], v[3] = Rotate(v[3], 16), v[3] ^= v[2];
  v[0] += v[3], v[3] = Rotate(v[3], 21), v[3] ^= v[0];
  v[2] += v[1], v[1] = Rotate(v[1], 17), v[1] ^= v[2], v[2] = Rotate(v[2], 32);
}

// SipHash-1-3.
uint32_t PathHash(const uint64_t key[2], const char* path, size_t length) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(path);
  uint64_t v[4] = {key[0] ^ 0x736f6d6570736575ull, key[1] ^ 0x646f72616e646f6dull,
                   key[0] ^ 0x6c7967656e657261ull, key[1] ^ 0x7465646279746573ull};
  size_t whole = length & ~(size_t)7;
  for (size_t i = 0; i < whole; i += 8) {
    uint64_t word = 0;
    for (int b = 7; b >= 0; b--)
      word = word << 8 | bytes[i + b];
    v[3] ^= word;
    SipRound(v);
    v[0] ^= word;
  }
  uint64_t last = (uint64_t)length << 56;
  for (size_t b = 0; b < length - whole; b++)
    last |= (uint64_t)bytes[whole + b] << (8 * b);
  v[3] ^= last;
  SipRound(v);
  v[0] ^= last;
  v[2] ^= 0xff;
  SipRound(v);
  SipRound(v);
  SipRound(v);
  return (uint32_t)(v[0] ^ v[1] ^ v[2] ^ v[3]);
}

uint32_t IdHome(uint16_t bucket, uint16_t serial, uint32_t mask) {
  uint64_t key = (uint64_t)bucket << 16 | serial;
  return (uint32_t)((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

uint32_t PathHome(const TableIndex* index, uint32_t record, uint32_t mask) {
  return index->records[record].pathHash & mask;
}

uint32_t RecordIdHome(const TableIndex* index, uint32_t record, uint32_t mask) {
  const IndexRecord* r = &index->records[record];
  return IdHome(r->bucket, r->serial, mask);
}

using HomeOf = uint32_t (*)(const TableIndex*, uint32_t, uint32_t);

BOOL SamePath(const TableIndex* index, uint32_t record, uint32_t hash, const char* path,
              size_t length) {
  const IndexRecord* r = &index->records[record];
  return r->pathHash == hash && r->pathLength == length &&
         memcmp(index->arena + r->pathAt, path, length) == 0;
}

// The slot that holds `record`, or the empty slot that ends its run.
uint32_t SlotOf(const TableIndex* index, const uint32_t* table, HomeOf home, uint32_t record) {
  uint32_t mask = index->slotCount - 1;
  uint32_t i = home(index, record, mask);
  while (table[i] != 0 && table[i] != record + 1)
    i = (i + 1) & mask;
  return i;
}

// Empties slot `hole` and moves later members of its run back, so that every
// entry stays reachable from its home without tombstones.
void DeleteSlot(const TableIndex* index, uint32_t* table, HomeOf home, uint32_t hole) {
  uint32_t mask = index->slotCount - 1;
  table[hole] = 0;
  for (uint32_t j = (hole + 1) & mask; table[j] != 0; j = (j + 1) & mask) {
    uint32_t at = home(index, table[j] - 1, mask);
    // The entry stays when its home lies cyclically in (hole, j].
    BOOL stays = hole <= j ? (hole < at && at <= j) : (hole < at || at <= j);
    if (stays) continue;
    table[hole] = table[j];
    table[j] = 0;
    hole = j;
  }
}

void Place(const TableIndex* index, uint32_t* table, HomeOf home, uint32_t entry) {
  uint32_t mask = index->slotCount - 1;
  uint32_t i = home(index, entry - 1, mask);
  while (table[i] != 0)
    i = (i + 1) & mask;
  table[i] = entry;
}

BOOL Resize(TableIndex* index, uint32_t slotCount) {
  uint32_t* byPath = static_cast<uint32_t*>(TableAllocate(slotCount * sizeof(uint32_t)));
  uint32_t* byId =
      byPath ? static_cast<uint32_t*>(TableAllocate(slotCount * sizeof(uint32_t))) : nullptr;
  if (!byId) {
    free(byPath);
    return FALSE;
  }
  uint32_t* oldPath = index->byPath;
  uint32_t* oldId = index->byId;
  uint32_t oldCount = index->slotCount;
  index->byPath = byPath;
  index->byId = byId;
  index->slotCount = slotCount;
  for (uint32_t i = 0; i < oldCount; i++) {
    if (oldPath[i]) Place(index, byPath, PathHome, oldPath[i]);
    if (oldId[i]) Place(index, byId, RecordIdHome, oldId[i]);
  }
  free(oldPath);
  free(oldId);
  return TRUE;
}

// Copies the paths of the records still numbered into a new arena of
// `capacity` bytes, leaving the garbage behind.
BOOL Compact(TableIndex* index, uint32_t capacity) {
  char* arena = static_cast<char*>(TableAllocate(capacity));
  if (!arena) return FALSE;
  uint32_t used = 0;
  for (uint32_t r = 0; r < index->recordCount; r++) {
    IndexRecord* record = &index->records[r];
    if (record->pathLength == 0) continue;  // an unused number
    memcpy(arena + used, index->arena + record->pathAt, record->pathLength + 1u);
    record->pathAt = used;
    used += record->pathLength + 1u;
  }
  free(index->arena);
  index->arena = arena;
  index->arenaUsed = used;
  index->arenaCapacity = capacity;
  index->arenaGarbage = 0;
  return TRUE;
}

BOOL ReserveRecords(TableIndex* index, uint32_t records) {
  uint64_t room = (uint64_t)index->recordCapacity - index->recordCount + index->unusedCount;
  if (room >= records) return TRUE;
  uint64_t want = (uint64_t)index->recordCount + records;
  uint64_t capacity = index->recordCapacity ? index->recordCapacity : kFirstRecordCapacity;
  while (capacity < want)
    capacity += capacity / 2;
  if (capacity >= kNoRecord) return FALSE;
  void* grown = TableReallocate(index->records, index->recordCapacity * sizeof(IndexRecord),
                                capacity * sizeof(IndexRecord));
  if (!grown) return FALSE;
  index->records = static_cast<IndexRecord*>(grown);
  index->recordCapacity = (uint32_t)capacity;
  return TRUE;
}

BOOL ReserveArena(TableIndex* index, uint64_t bytes) {
  if (index->arenaCapacity - index->arenaUsed >= bytes) return TRUE;
  uint64_t live = (uint64_t)index->arenaUsed - index->arenaGarbage;
  if (index->arenaGarbage > 0 && index->arenaGarbage >= live) {
    uint64_t capacity = (live + bytes) * 3 / 2 + kFirstArenaCapacity;
    if (capacity <= UINT32_MAX && Compact(index, (uint32_t)capacity)) return TRUE;
  }
  uint64_t want = (uint64_t)index->arenaUsed + bytes;
  uint64_t capacity = index->arenaCapacity ? index->arenaCapacity : kFirstArenaCapacity;
  while (capacity < want)
    capacity += capacity / 2;
  if (capacity > UINT32_MAX) return FALSE;
  void* grown = TableReallocate(index->arena, index->arenaCapacity, capacity);
  if (!grown) return FALSE;
  index->arena = static_cast<char*>(grown);
  index->arenaCapacity = (uint32_t)capacity;
  return TRUE;
}

// Nearer its chain's head than `other`: the newer of two records.
BOOL Newer(const TableIndex* index, uint32_t record, uint32_t other) {
  for (uint32_t r = index->records[other].newer; r != kNoRecord; r = index->records[r].newer)
    if (r == record) return TRUE;
  return FALSE;
}

// Of two records with one key the slot keeps the newer, marked as a twin.
void EnterSlot(TableIndex* index, uint32_t* slot, uint32_t record, BOOL newest, uint8_t twin) {
  if (*slot == 0) {
    *slot = record + 1;
    return;
  }
  uint32_t other = *slot - 1;
  if (newest || Newer(index, record, other)) {
    *slot = record + 1;
    other = record;
  }
  index->records[other].flags |= twin;
}

}  // namespace

BOOL IndexReserveEntries(TableIndex* index, uint32_t records) {
  uint64_t entries = (uint64_t)index->liveCount + records;
  uint64_t slotCount = index->slotCount ? index->slotCount : kFirstSlotCount;
  while (slotCount < 2 * entries)
    slotCount *= 2;
  if (slotCount > (1u << 31)) return FALSE;
  return slotCount == index->slotCount || Resize(index, (uint32_t)slotCount);
}

void FreeIndex(TableIndex* index) {
  for (uint64_t* bits : index->liveSerials)
    free(bits);
  free(index->records);
  free(index->arena);
  free(index->byPath);
  free(index->byId);
  *index = TableIndex{};
  index->unusedRecords = kNoRecord;
}

void SeedIndex(TableIndex* index) {
  // Nothing a client sees depends on the key; it only has to be unknown.
  std::timespec now = {};
  std::timespec_get(&now, TIME_UTC);
  uint64_t place = (uint64_t)(uintptr_t)index ^ (uint64_t)(uintptr_t)&now;
  index->key[0] = (uint64_t)now.tv_sec * 1000000007ull ^ (uint64_t)now.tv_nsec ^ place;
  index->key[1] = Rotate(index->key[0] * 0x9E3779B97F4A7C15ull, 29) ^ (uint64_t)clock();
}

BOOL IndexReserveRecords(TableIndex* index, uint32_t records, size_t pathBytes) {
  return pathBytes <= UINT32_MAX && ReserveRecords(index, records) &&
         ReserveArena(index, pathBytes + records);
}

BOOL IndexReserve(TableIndex* index, uint32_t records, size_t pathBytes) {
  return IndexReserveRecords(index, records, pathBytes) && IndexReserveEntries(index, records);
}

uint32_t IndexNewRecord(TableIndex* index, uint32_t offset, uint32_t next, uint16_t serial,
                        uint16_t length, const char* path, size_t pathLength) {
  uint32_t number = index->unusedRecords;
  if (number != kNoRecord) {
    index->unusedRecords = index->records[number].older;
    index->unusedCount--;
  } else {
    number = index->recordCount++;
  }
  IndexRecord* record = &index->records[number];
  *record = IndexRecord{};
  record->offset = offset;
  record->next = next;
  record->newer = record->older = kNoRecord;
  record->pathAt = index->arenaUsed;
  record->pathHash = PathHash(index->key, path, pathLength);
  record->pathLength = (uint16_t)pathLength;
  record->serial = serial;
  record->length = length;
  memcpy(index->arena + index->arenaUsed, path, pathLength);
  index->arena[index->arenaUsed + pathLength] = '\0';
  index->arenaUsed += (uint32_t)pathLength + 1;
  return number;
}

void IndexDiscardRecord(TableIndex* index, uint32_t record) {
  IndexRecord* r = &index->records[record];
  index->arenaGarbage += r->pathLength + 1u;
  *r = IndexRecord{};
  r->older = index->unusedRecords;
  index->unusedRecords = record;
  index->unusedCount++;
}

void IndexEnter(TableIndex* index, uint32_t record, BOOL newest) {
  IndexRecord* r = &index->records[record];
  uint32_t mask = index->slotCount - 1;
  uint32_t i = r->pathHash & mask;
  const char* path = index->arena + r->pathAt;
  while (index->byPath[i] != 0 &&
         !SamePath(index, index->byPath[i] - 1, r->pathHash, path, r->pathLength))
    i = (i + 1) & mask;
  uint32_t j = IdHome(r->bucket, r->serial, mask);
  while (index->byId[j] != 0 && (index->records[index->byId[j] - 1].bucket != r->bucket ||
                                 index->records[index->byId[j] - 1].serial != r->serial))
    j = (j + 1) & mask;
  EnterSlot(index, &index->byPath[i], record, newest, RECORD_PATH_TWIN);
  EnterSlot(index, &index->byId[j], record, newest, RECORD_ID_TWIN);
  index->liveCount++;
}

void IndexEnterLive(TableIndex* index) {
  constexpr uint32_t kAhead = 16;
  uint32_t mask = index->slotCount - 1;
  for (uint32_t r = 0; r < index->recordCount; r++) {
    // The slots are spread at random: ask for those of a later record now.
    if (r + kAhead < index->recordCount) {
      const IndexRecord* later = &index->records[r + kAhead];
      __builtin_prefetch(&index->byPath[later->pathHash & mask], 1);
      __builtin_prefetch(&index->byId[IdHome(later->bucket, later->serial, mask)], 1);
    }
    if (index->records[r].flags & RECORD_LIVE) IndexEnter(index, r, FALSE);
  }
}

void IndexLeave(TableIndex* index, uint32_t record) {
  IndexRecord* r = &index->records[record];
  const char* path = index->arena + r->pathAt;
  uint32_t i = SlotOf(index, index->byPath, PathHome, record);
  if (index->byPath[i] == record + 1) {
    uint32_t twin = kNoRecord;
    if (r->flags & RECORD_PATH_TWIN) {
      for (twin = r->older; twin != kNoRecord; twin = index->records[twin].older)
        if (SamePath(index, twin, r->pathHash, path, r->pathLength)) break;
    }
    if (twin != kNoRecord) {
      index->records[twin].flags |= RECORD_PATH_TWIN;
      index->byPath[i] = twin + 1;
    } else {
      DeleteSlot(index, index->byPath, PathHome, i);
    }
  }
  uint32_t j = SlotOf(index, index->byId, RecordIdHome, record);
  if (index->byId[j] == record + 1) {
    uint32_t twin = kNoRecord;
    if (r->flags & RECORD_ID_TWIN) {
      for (twin = r->older; twin != kNoRecord; twin = index->records[twin].older)
        if (index->records[twin].serial == r->serial) break;
    }
    if (twin != kNoRecord) {
      index->records[twin].flags |= RECORD_ID_TWIN;
      index->byId[j] = twin + 1;
    } else {
      DeleteSlot(index, index->byId, RecordIdHome, j);
    }
  }
  index->liveCount--;
}

BOOL IndexFreeSerial(TableIndex* index, uint32_t head, int bucket, uint16_t from,
                     uint16_t* serial) {
  BOOL zeroBarred = bucket == 0;
  if (!(zeroBarred && from == 0) && IndexFindId(index, (uint16_t)bucket, from) == kNoRecord) {
    *serial = from;  // the usual case: the counter has not come round yet
    return TRUE;
  }
  uint64_t*& bits = index->liveSerials[bucket];
  if (!bits) {
    bits = static_cast<uint64_t*>(TableAllocate(65536 / 8));
    if (!bits) return FALSE;
    for (uint32_t r = head; r != kNoRecord; r = index->records[r].older)
      bits[index->records[r].serial / 64] |= 1ull << (index->records[r].serial % 64);
  }
  // Word by word from `from`, round to it again.
  for (uint32_t step = 0; step <= 1024; step++) {
    uint32_t word = (from / 64 + step) % 1024;
    uint64_t taken = bits[word];
    if (step == 0) taken |= (1ull << (from % 64)) - 1;  // below `from`: checked last
    if (step == 1024) taken = bits[word] | ~((1ull << (from % 64)) - 1);
    if (word == 0 && zeroBarred) taken |= 1;
    if (taken != UINT64_MAX) {
      *serial = (uint16_t)(word * 64 + (uint32_t)__builtin_ctzll(~taken));
      return TRUE;
    }
  }
  return FALSE;
}

void IndexSerialChanged(TableIndex* index, int bucket, uint16_t serial) {
  uint64_t* bits = index->liveSerials[bucket];
  if (!bits) return;
  uint64_t bit = 1ull << (serial % 64);
  if (IndexFindId(index, (uint16_t)bucket, serial) != kNoRecord) {
    bits[serial / 64] |= bit;
  } else {
    bits[serial / 64] &= ~bit;
  }
}

uint32_t IndexFindPath(const TableIndex* index, const char* path, size_t length) {
  if (index->slotCount == 0) return kNoRecord;
  uint32_t hash = PathHash(index->key, path, length);
  uint32_t mask = index->slotCount - 1;
  for (uint32_t i = hash & mask; index->byPath[i] != 0; i = (i + 1) & mask)
    if (SamePath(index, index->byPath[i] - 1, hash, path, length)) return index->byPath[i] - 1;
  return kNoRecord;
}

uint32_t IndexFindId(const TableIndex* index, uint16_t bucket, uint16_t serial) {
  if (index->slotCount == 0) return kNoRecord;
  uint32_t mask = index->slotCount - 1;
  for (uint32_t i = IdHome(bucket, serial, mask); index->byId[i] != 0; i = (i + 1) & mask) {
    const IndexRecord* r = &index->records[index->byId[i] - 1];
    if (r->bucket == bucket && r->serial == serial) return index->byId[i] - 1;
  }
  return kNoRecord;
}
