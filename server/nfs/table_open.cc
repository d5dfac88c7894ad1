// Opening, reloading and closing the table. Opening finishes any change that
// a crash interrupted (table_intent.h), then reads the header, the bucket
// table and the free chain, and builds the index from the records. A new file
// appears whole or not at all.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "nfs/table_alloc.h"
#include "nfs/table_intent.h"
#include "nfs/table_state.h"
#include "platform/io.h"
#include "platform/winbase.h"

namespace {

HandleTable* activeTable;

BOOL FormPath(const char* directory, char* out, size_t size) {
  size_t length = strlen(directory);
  BOOL separated = length > 0 && (directory[length - 1] == '\\' || directory[length - 1] == '/');
  int written = snprintf(out, size, "%s%s%s", directory, separated ? "" : "\\", kHandleFileName);
  return written > 0 && written < MAX_PATH;
}

// Written under another name and renamed into place, so that a crash while
// creating never leaves a short file that would stop every later start.
void CreateTableFile(const char* path, uint32_t stamp, const TableFileOps* ops) {
  char temporary[MAX_PATH + 8];
  if (snprintf(temporary, sizeof temporary, "%s.new", path) >= MAX_PATH) return;
  int fd = _open(temporary, _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return;
  char bytes[kFirstRecordOffset];
  FormatHeader(bytes, stamp, 0);
  for (int bucket = 0; bucket < kBucketCount; bucket++)
    FormatBucketLine(bytes + BucketLineOffset(bucket), 0, 0);
  TableFile file = {fd, ops};
  BOOL written = WriteAt(&file, 0, bytes, sizeof bytes) && CommitFile(&file);
  _close(fd);
  // Losing a race with another creator is harmless: the open that follows
  // takes whichever file won.
  if (!written || !MoveFile(temporary, path)) _unlink(temporary);
}

BOOL ReadHeader(HandleTable* table, char* header) {
  return ReadAt(&table->file, 0, header, kHeaderSize) == (int)kHeaderSize &&
         ParseHeader(header, &table->stamp, &table->freeHead) == HEADER_OK;
}

BOOL AllBlanks(const char* text, size_t count) {
  for (size_t i = 0; i < count; i++)
    if (text[i] != ' ') return FALSE;
  return TRUE;
}

// The clock's seconds, or one past `previous` while that is not behind the
// clock, so that files recreated in quick succession never repeat a stamp.
uint32_t FreshStamp(uint32_t previous) {
  uint32_t now = (uint32_t)std::time(nullptr);
  uint32_t stamp = previous >= now && previous != UINT32_MAX ? previous + 1 : now;
  return stamp != previous ? stamp : stamp + 1;
}

void ReleaseTable(HandleTable* table) {
  DropCache(table);
  DiscardFreeList(table);
  FreeIndex(&table->index);
  DiscardBatch(table);
  if (table->file.fd >= 0) _close(table->file.fd);
  free(table);
}

}  // namespace

HandleTable* ActiveHandleTable() {
  return activeTable;
}

BOOL ReloadHandleTable(HandleTable* table) {
  // Until the index is built again it may be out of step with the file.
  FreeIndex(&table->index);
  char header[kHeaderSize];
  TableIntent intent;
  if (!FileLength(&table->file, &table->fileLength) || !ReadHeader(table, header)) return FALSE;
  if (table->fileLength < kFirstRecordOffset) return FALSE;
  if (ParseIntent(header + kPaddingColumn, &intent)) {
    if (!RedoIntent(&table->file, table->fileLength, &intent) || !CommitFile(&table->file)) {
      return FALSE;
    }
    // Should the blanks not arrive, the intent is simply redone next time.
    ClearIntent(&table->file);
    if (!ReadHeader(table, header)) return FALSE;
  } else if (!AllBlanks(header + kPaddingColumn, kPaddingSize)) {
    ClearIntent(&table->file);  // a torn intent: nothing was changed after it
  }
  char lines[kBucketTableSize];
  if (ReadAt(&table->file, kBucketTableOffset, lines, sizeof lines) != (int)sizeof lines) {
    return FALSE;
  }
  for (int bucket = 0; bucket < kBucketCount; bucket++) {
    BucketState* state = &table->buckets[bucket];
    state->damaged =
        !ParseBucketLine(lines + bucket * kBucketLineSize, &state->first, &state->nextSerial);
  }
  return LoadFreeList(table) && BuildIndex(table);
}

void RecoverHandleTable(HandleTable* table) {
  if (!ReloadHandleTable(table)) {
    table->broken = 1;
    return;
  }
  DropStaleNodes(table);
}

BOOL OpenHandleTable(const char* directory, uint32_t stamp) {
  return OpenHandleTableWithOps(directory, FreshStamp(stamp), &kPlatformFileOps);
}

BOOL OpenHandleTableWithOps(const char* directory, uint32_t stamp, const TableFileOps* ops) {
  CloseHandleTable();
  HandleTable* table = static_cast<HandleTable*>(TableAllocate(sizeof(HandleTable)));
  if (!table) return FALSE;
  table->file.fd = -1;
  table->file.ops = ops;
  if (!FormPath(directory, table->path, sizeof table->path)) {
    ReleaseTable(table);
    return FALSE;
  }
  int fd = _sopen(table->path, _O_RDWR | _O_BINARY, _SH_DENYRW);
  if (fd < 0 && errno == ENOENT) {
    CreateTableFile(table->path, stamp, ops);
    fd = _sopen(table->path, _O_RDWR | _O_BINARY, _SH_DENYRW);
  }
  table->file.fd = fd;
  if (fd < 0 || !ReloadHandleTable(table)) {
    ReleaseTable(table);
    return FALSE;
  }
  activeTable = table;
  return TRUE;
}

void CloseHandleTable() {
  HandleTable* table = activeTable;
  if (!table) return;
  FlushBatch(table);
  activeTable = nullptr;
  CommitFile(&table->file);
  ReleaseTable(table);
}

uint32_t HandleTableStamp() {
  return activeTable ? activeTable->stamp : 0;
}
