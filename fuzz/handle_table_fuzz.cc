// libFuzzer target: the input is an nfsfile.hsh. The table opens it, then runs
// a bounded series of lookups by id, by path and by handle, insertions (one
// of them a batch) and one removal. Every chain walk is bounded, so a hang is a finding as much as
// a crash; the leak check catches nodes or free entries left behind.
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "nfs/file_handle.h"
#include "nfs/handle_table.h"
#include "platform/io.h"
#include "store_fuzz_support.h"

namespace {

std::string scratch;
std::string tablePath;

void Exercise(const uint8_t* data, size_t size) {
  for (uint16_t bucket = 0; bucket <= 20; bucket++)
    for (uint16_t serial : {0, 1, 2, 0xFFFF})
      NodeFromId(bucket, serial);
  for (const char* path : {"c:\\data", "c:\\", "c:\\data\\readme.txt"})
    FindPath(path);
  if (size >= kFileHandleSize) {
    FileHandle handle;
    memcpy(handle.bytes, data, kFileHandleSize);
    NodeFromHandle(&handle);
  }
  // The input's tail as a path, so that records the fuzzer writes can match.
  char path[64] = {};
  size_t take = size < sizeof path - 1 ? size : sizeof path - 1;
  memcpy(path, data + size - take, take);
  FindPath(path);
  PathNode* added = FindOrAddPath("c:\\fuzz\\added");
  if (added) RemovePath(added);
  AddPath("c:\\fuzz\\second");
  BeginTableBatch();
  FindOrAddPath("c:\\fuzz\\batch");
  FindOrAddPath(path);
  EndTableBatch();
}

// The scratch drive goes when the bounded run ends.
void RemoveScratch() {
  nftw(
      scratch.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      8, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/tolmid-table-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) abort();
  scratch = pattern;
  atexit(RemoveScratch);
  setenv("PLATFORM_DRIVES", (std::string("c=") + pattern).c_str(), 1);
  tablePath = std::string(pattern) + "/nfsfile.hsh";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteHostFile(tablePath, data, size);
  if (OpenHandleTableWithOps("c:\\", 1, &kFuzzFileOps)) {
    Exercise(data, size);
    CloseHandleTable();
  }
  return 0;
}
