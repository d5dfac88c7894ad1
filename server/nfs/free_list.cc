// The free list: the on-disk free chain read once at open, then kept in step
// with every change. Entries stay in chain order, so first fit in memory is
// first fit on disk and an entry's predecessor is the link to rewrite.
#include <cstdlib>

#include "nfs/table_alloc.h"
#include "nfs/table_state.h"

BOOL LoadFreeList(HandleTable* table) {
  DiscardFreeList(table);
  FreeEntry** tail = &table->freeList;
  uint32_t offset = table->freeHead;
  // Each free record takes at least kMinRecordLength bytes, so a longer walk
  // must have come round a loop.
  uint32_t stepsLeft = table->fileLength / kMinRecordLength + 1;
  while (offset != 0) {
    char start[kFreeRecordReadSize];
    uint32_t next, length;
    if (stepsLeft-- == 0 || offset < kFirstRecordOffset || offset >= table->fileLength) {
      return FALSE;
    }
    if (ReadAt(&table->file, offset, start, sizeof start) != (int)sizeof start ||
        !ParseFreeRecordStart(start, &next, &length)) {
      return FALSE;
    }
    if (length % 8 != 0 || length < kMinRecordLength || length > kRecordReadSize ||
        length > table->fileLength - offset) {
      return FALSE;
    }
    FreeEntry* entry = static_cast<FreeEntry*>(TableAllocate(sizeof(FreeEntry)));
    if (!entry) return FALSE;
    entry->offset = offset;
    entry->size = (uint16_t)length;
    *tail = entry;
    tail = &entry->next;
    offset = next;
  }
  return TRUE;
}

void DiscardFreeList(HandleTable* table) {
  while (FreeEntry* entry = table->freeList) {
    table->freeList = entry->next;
    free(entry);
  }
}

FreeEntry* FirstFit(HandleTable* table, uint32_t length, FreeEntry** previous) {
  *previous = nullptr;
  for (FreeEntry* entry = table->freeList; entry; entry = entry->next) {
    if (entry->size >= length) return entry;
    *previous = entry;
  }
  return nullptr;
}

void UnlinkFreeEntry(HandleTable* table, FreeEntry* entry, FreeEntry* previous) {
  if (previous) {
    previous->next = entry->next;
  } else {
    table->freeList = entry->next;
  }
  free(entry);
}
