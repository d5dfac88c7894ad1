// Crashes and passing write errors at every write of an insertion or a
// removal, each write cut short at every length. Afterwards the file must open
// with the platform's procedures, resolve every path whose insertion had
// completed, keep each record on at most one chain, and take further changes.
#include <map>
#include <string>
#include <vector>

#include "support/table_fixture.h"

namespace {

enum Operation {
  ADD_REUSING_FIRST_FREE,
  ADD_REUSING_LATER_FREE,
  ADD_APPENDED,
  REMOVE_FIRST_OF_CHAIN,
  REMOVE_LATER_IN_CHAIN,
};

const std::string kSmall = "c:\\s";                                  // record of 32 bytes
const std::string kLarge = "c:\\a much longer directory\\name.txt";  // record of 64 bytes

class TableCrash : public HandleTableTest, public ::testing::WithParamInterface<Operation> {
 protected:
  void SetUp() override {
    HandleTableTest::SetUp();
    older_ = PathInBucket(3, 0);
    newer_ = PathInBucket(3, 1);
    live_ = {older_, newer_, "c:\\data", "c:\\data\\readme.txt", "c:\\"};
    ASSERT_TRUE(Open());
    for (const std::string& path : {kLarge, kSmall, older_, newer_, live_[2], live_[3], live_[4]})
      ASSERT_NE(AddPath(path.c_str()), nullptr);
    RemovePath(FindPath(kLarge.c_str()));
    RemovePath(FindPath(kSmall.c_str()));  // free chain: small, then large
    CloseHandleTable();
    start_ = TableBytes();
    CheckedFile file = Checked(start_);
    for (const std::string& path : live_)
      serials_[path] = file.serialAt[file.liveByPath[path]];
  }

  std::string Target() const {
    switch (GetParam()) {
      case ADD_REUSING_FIRST_FREE:
        return "c:\\t";
      case ADD_REUSING_LATER_FREE:
        return "c:\\medium.txt";
      case ADD_APPENDED:
        return "c:\\" + std::string(80, 'n');
      case REMOVE_FIRST_OF_CHAIN:
        return newer_;
      case REMOVE_LATER_IN_CHAIN:
        return older_;
    }
    return "";
  }

  bool Adds() const { return GetParam() <= ADD_APPENDED; }

  void Run() {
    if (Adds()) {
      AddPath(Target().c_str());
      return;
    }
    PathNode* node = FindPath(Target().c_str());
    ASSERT_NE(node, nullptr);
    RemovePath(node);
  }

  // The sizes of the writes that the operation makes when nothing fails.
  std::vector<uint32_t> WriteSizes() {
    SetTableBytes(start_);
    EXPECT_TRUE(Open(1, &kFaultyFileOps));
    ResetFileFaults();
    Run();
    CloseHandleTable();
    return fileFaults.writeSizes;
  }

  // Every completed path resolves to its own record, the target to its own
  // or to nothing, and the file's chains are sound.
  void CheckState(const std::string& when) {
    SCOPED_TRACE(when);
    CheckedFile file;
    ASSERT_TRUE(CheckHashFile(TableBytes(), &file));
    for (const std::string& path : live_) {
      if (path == Target()) continue;
      PathNode* node = FindPath(path.c_str());
      ASSERT_NE(node, nullptr) << path;
      EXPECT_EQ(node->serial, serials_[path]) << path;
    }
    bool recorded = file.liveByPath.count(Target()) > 0;
    EXPECT_EQ(FindPath(Target().c_str()) != nullptr, recorded);
  }

  // The table takes changes again, and they leave a sound file.
  void CheckUsable(const std::string& when) {
    SCOPED_TRACE(when);
    ASSERT_NE(FindOrAddPath(Target().c_str()), nullptr);
    ASSERT_NE(AddPath("c:\\afterwards"), nullptr);
    RemovePath(FindPath("c:\\data"));
    EXPECT_EQ(FindPath("c:\\data"), nullptr);
    CheckedFile file;
    EXPECT_TRUE(CheckHashFile(TableBytes(), &file));
    EXPECT_EQ(file.liveByPath.count("c:\\afterwards"), 1u);
  }

  std::string older_, newer_, start_;
  std::vector<std::string> live_;
  std::map<std::string, uint16_t> serials_;
};

TEST_P(TableCrash, EveryWriteCutShortLeavesAFileThatOpensAndResolvesCompletedPaths) {
  std::vector<uint32_t> sizes = WriteSizes();
  ASSERT_GE(sizes.size(), 4u);
  ForEveryCutWrite(sizes, [&](int k, int keep, FaultAfter after, const std::string& when) {
    SetTableBytes(start_);
    ASSERT_TRUE(Open(1, &kFaultyFileOps)) << when;
    ResetFileFaults(k, keep, after);
    Run();
    if (after == FAULT_PASSING) CheckState(when + ", before a restart");
    CloseHandleTable();
    ASSERT_TRUE(Open()) << when;
    EXPECT_EQ(TableBytes().substr(32, 40), std::string(40, ' ')) << when;
    CheckState(when);
    CheckUsable(when);
    CloseHandleTable();
  });
}

std::string OperationName(const ::testing::TestParamInfo<Operation>& info) {
  const char* names[] = {"AddReusingFirstFree", "AddReusingLaterFree", "AddAppended",
                         "RemoveFirstOfChain", "RemoveLaterInChain"};
  return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Operations, TableCrash,
                         ::testing::Values(ADD_REUSING_FIRST_FREE, ADD_REUSING_LATER_FREE,
                                           ADD_APPENDED, REMOVE_FIRST_OF_CHAIN,
                                           REMOVE_LATER_IN_CHAIN),
                         OperationName);

}  // namespace
