// Batches of insertions: lookups see them at once, the file only when the
// batch ends (or a removal or a full batch writes it first), two syncs for
// the whole batch, and a crash or a passing error at any write of it, cut
// short at any length, leaves the file with all of the batch or none of it.
#include <map>
#include <string>
#include <vector>

#include "support/table_fixture.h"

namespace {

class TableBatch : public HandleTableTest {
 protected:
  void SetUp() override {
    HandleTableTest::SetUp();
    live_ = {PathInBucket(3, 0), PathInBucket(3, 1), "c:\\data", "c:\\data\\readme.txt", "c:\\"};
    batch_ = {"c:\\batch\\one", PathInBucket(3, 2), "c:\\" + std::string(80, 'n'), "c:\\t"};
    ASSERT_TRUE(Open());
    for (const char* path : {"c:\\a much longer directory\\name.txt", "c:\\s"})
      ASSERT_NE(AddPath(path), nullptr);
    for (const std::string& path : live_)
      ASSERT_NE(AddPath(path.c_str()), nullptr);
    RemovePath(FindPath("c:\\a much longer directory\\name.txt"));
    RemovePath(FindPath("c:\\s"));  // free records a batch leaves alone
    CloseHandleTable();
    start_ = TableBytes();
    CheckedFile file = Checked(start_);
    for (const std::string& path : live_)
      serials_[path] = file.serialAt[file.liveByPath[path]];
  }

  bool RunBatch() {
    BeginTableBatch();
    for (const std::string& path : batch_)
      if (!FindOrAddPath(path.c_str())) ADD_FAILURE() << path;
    return EndTableBatch();
  }

  // The paths of the batch the file records: all of them or none.
  size_t CheckState(const std::string& when) {
    SCOPED_TRACE(when);
    CheckedFile file;
    EXPECT_TRUE(CheckHashFile(TableBytes(), &file));
    for (const std::string& path : live_) {
      PathNode* node = FindPath(path.c_str());
      EXPECT_NE(node, nullptr) << path;
      if (node) EXPECT_EQ(node->serial, serials_[path]) << path;
    }
    size_t recorded = 0;
    for (const std::string& path : batch_) {
      bool has = file.liveByPath.count(path) > 0;
      recorded += has;
      EXPECT_EQ(FindPath(path.c_str()) != nullptr, has) << path;
    }
    EXPECT_TRUE(recorded == 0 || recorded == batch_.size()) << recorded;
    return recorded;
  }

  std::vector<std::string> live_, batch_;
  std::string start_;
  std::map<std::string, uint16_t> serials_;
};

TEST_F(TableBatch, LookupsSeeABatchAtOnceAndTheFileAtItsEndWithTwoSyncs) {
  ASSERT_TRUE(Open(1, &kFaultyFileOps));
  ResetFileFaults();
  BeginTableBatch();
  BeginTableBatch();  // nested: only the outer end writes
  std::vector<uint32_t> ids;
  for (int i = 0; i < 40; i++) {
    std::string path = "c:\\listing\\name" + std::to_string(i);
    PathNode* node = FindOrAddPath(path.c_str());
    ASSERT_NE(node, nullptr);
    ids.push_back(FileIdOf(node));
    EXPECT_EQ(FileIdOf(FindOrAddPath(path.c_str())), ids.back());  // no second record
  }
  EXPECT_TRUE(EndTableBatch());
  EXPECT_EQ(TableBytes(), start_);
  EXPECT_EQ(fileFaults.writes, 0);
  for (int i = 0; i < 40; i++) {
    PathNode* node = NodeFromId((uint16_t)ids[i], (uint16_t)(ids[i] >> 16));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(std::string(node->path), "c:\\listing\\name" + std::to_string(i));
  }
  EXPECT_TRUE(EndTableBatch());
  EXPECT_EQ(fileFaults.commits, 2);
  CloseHandleTable();

  ASSERT_TRUE(Open());
  CheckedFile file = Checked(TableBytes());
  EXPECT_EQ(file.liveByPath.size(), live_.size() + 40);
  EXPECT_EQ(file.freeLength.size(), 2u);
  for (int i = 0; i < 40; i++) {
    PathNode* node = FindPath(("c:\\listing\\name" + std::to_string(i)).c_str());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(FileIdOf(node), ids[i]);
  }
}

TEST_F(TableBatch, ARemovalOrAFullBatchWritesWhatIsPendingFirst) {
  ASSERT_TRUE(Open(1, &kNoSyncFileOps));
  BeginTableBatch();
  PathNode* first = AddPath("c:\\pending\\first");
  ASSERT_NE(AddPath("c:\\pending\\second"), nullptr);
  RemovePath(first);
  CheckedFile file = Checked(TableBytes());
  EXPECT_EQ(file.liveByPath.count("c:\\pending\\first"), 0u);
  EXPECT_EQ(file.liveByPath.count("c:\\pending\\second"), 1u);

  // 256 KB of records at most wait in memory.
  std::vector<std::string> many;
  for (int i = 0; i < 6000; i++) {
    many.push_back("c:\\pending\\many\\" + std::to_string(i));
    ASSERT_NE(AddPath(many.back().c_str()), nullptr);
  }
  EXPECT_GT(Checked(TableBytes()).liveByPath.size(), live_.size() + 1000);
  EXPECT_TRUE(EndTableBatch());
  CloseHandleTable();
  ASSERT_TRUE(Open());
  for (const std::string& path : many)
    ASSERT_NE(FindPath(path.c_str()), nullptr) << path;
}

TEST_F(TableBatch, EveryWriteCutShortLeavesAllOfTheBatchOrNone) {
  SetTableBytes(start_);
  ASSERT_TRUE(Open(1, &kFaultyFileOps));
  ResetFileFaults();
  ASSERT_TRUE(RunBatch());
  CloseHandleTable();
  std::vector<uint32_t> sizes = fileFaults.writeSizes;
  ASSERT_GE(sizes.size(), 4u);
  ForEveryCutWrite(sizes, [&](int k, int keep, FaultAfter after, const std::string& when) {
    SetTableBytes(start_);
    ASSERT_TRUE(Open(1, &kFaultyFileOps)) << when;
    ResetFileFaults(k, keep, after);
    bool ended = RunBatch();
    if (after == FAULT_PASSING) {
      size_t recorded = CheckState(when + ", before a restart");
      if (ended) EXPECT_EQ(recorded, batch_.size()) << when;
    }
    CloseHandleTable();
    ASSERT_TRUE(Open()) << when;
    EXPECT_EQ(TableBytes().substr(32, 40), std::string(40, ' ')) << when;
    CheckState(when);
    for (const std::string& path : batch_)
      ASSERT_NE(FindOrAddPath(path.c_str()), nullptr) << when;
    RemovePath(FindPath("c:\\data"));
    CheckedFile file;
    EXPECT_TRUE(CheckHashFile(TableBytes(), &file)) << when;
    EXPECT_EQ(file.liveByPath.count("c:\\data"), 0u) << when;
    CloseHandleTable();
  });
}

}  // namespace
