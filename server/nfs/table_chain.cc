// Reading one record of a bucket chain: one positioned read of at most 1048
// bytes. Offsets outside the records, a damaged record or a record without a
// path are refused, as damage that ends a chain.
#include "nfs/table_state.h"

BOOL PlausibleRecordOffset(const HandleTable* table, uint32_t offset) {
  return offset >= kFirstRecordOffset && offset < table->fileLength &&
         table->fileLength - offset >= kMinRecordLength;
}

BOOL ReadRecordAt(const HandleTable* table, uint32_t offset, char* buffer, RecordView* record) {
  if (!PlausibleRecordOffset(table, offset)) return FALSE;
  uint32_t room = table->fileLength - offset;
  uint32_t want = room < kRecordReadSize ? room : kRecordReadSize;
  int got = ReadAt(&table->file, offset, buffer, want);
  return got >= 0 && ParseRecord(buffer, (size_t)got, record) && record->pathLength > 0;
}
