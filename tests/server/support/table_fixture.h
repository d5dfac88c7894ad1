// Handle table tests: a table in the root of a temporary drive c:, helpers to
// read its file and to make paths that fall into a chosen bucket.
#pragma once

#include <string>
#include <vector>

#include "nfs/file_handle.h"
#include "nfs/handle_table.h"
#include "support/hash_file_check.h"
#include "support/table_file_faults.h"
#include "support/temp_drive.h"

// Every way one of the writes of `sizes` can be cut short: the k-th write
// keeping 0 to its size - 1 bytes, then a crash or working writes. `each` gets
// k, the bytes kept, what follows and a text naming all three; the walk stops
// at the first failure.
template <typename Each>
void ForEveryCutWrite(const std::vector<uint32_t>& sizes, Each each) {
  for (int k = 1; k <= (int)sizes.size(); k++) {
    for (int keep = 0; keep < (int)sizes[k - 1]; keep++) {
      for (FaultAfter after : {FAULT_CRASH, FAULT_PASSING}) {
        std::string when = "write " + std::to_string(k) + " of " + std::to_string(sizes.size()) +
                           " keeping " + std::to_string(keep) + " bytes, then " +
                           (after == FAULT_CRASH ? "a crash" : "working writes");
        each(k, keep, after, when);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

class HandleTableTest : public TempDrive {
 protected:
  void TearDown() override {
    CloseHandleTable();
    TempDrive::TearDown();
  }

  bool Open(uint32_t stamp = 0x1234ABCD, const TableFileOps* ops = &kPlatformFileOps) {
    return OpenHandleTableWithOps("c:\\", stamp, ops);
  }
  std::string TableBytes() const { return ReadHost(Host("nfsfile.hsh")); }
  void SetTableBytes(const std::string& bytes) const { WriteHost(Host("nfsfile.hsh"), bytes); }

  // The n-th (from 0) path "c:\<stem><number>" that falls into `bucket`.
  static std::string PathInBucket(int bucket, int n, const std::string& stem = "dir\\f") {
    for (int i = 0;; i++) {
      std::string path = "c:\\" + stem + std::to_string(i);
      if (PathBucket(path.c_str()) == bucket && n-- == 0) return path;
    }
  }

  static CheckedFile Checked(const std::string& bytes) {
    CheckedFile file;
    EXPECT_TRUE(CheckHashFile(bytes, &file));
    return file;
  }
};
