// The handle table's index against a model and against the file: a long run
// of insertions (twins included), removals and reopens; files whose records
// the index must find without the usual tiling; damage only the index can
// meet; and memory running out while it is built or grown.
#include <map>
#include <random>
#include <string>
#include <vector>

#include "nfs/table_alloc.h"
#include "platform/io.h"
#include "support/table_fixture.h"

namespace {

// Path -> serials of its records, newest first.
using Model = std::map<std::string, std::vector<uint16_t>>;

// Looking up older twins by id caches their nodes, and a cached node answers
// for its path: the caller reopens the table afterwards.
void ExpectTableMatches(const Model& model, const std::vector<std::string>& absent) {
  for (const auto& [path, serials] : model) {
    PathNode* node = FindPath(path.c_str());
    ASSERT_NE(node, nullptr) << path;
    EXPECT_EQ(node->serial, serials.front()) << path;
  }
  for (const auto& [path, serials] : model) {
    uint16_t bucket = PathBucket(path.c_str());
    for (uint16_t serial : serials) {
      PathNode* byId = NodeFromId(bucket, serial);
      ASSERT_NE(byId, nullptr) << path << " " << serial;
      EXPECT_EQ(std::string(byId->path), path);
    }
  }
  for (const std::string& path : absent)
    if (!model.count(path)) EXPECT_EQ(FindPath(path.c_str()), nullptr) << path;
}

TEST_F(HandleTableTest, TheIndexAgreesWithAModelThroughChangesTwinsAndReopens) {
  ASSERT_TRUE(Open(1, &kNoSyncFileOps));
  std::mt19937 random(11);
  std::vector<std::string> names;
  for (int i = 0; i < 400; i++)
    names.push_back("c:\\model\\" + std::to_string(i % 7) + "\\n" + std::to_string(i));
  Model model;
  int twinsMade = 0, twinsRemoved = 0;
  for (int step = 1; step <= 4000; step++) {
    const std::string& path = names[random() % names.size()];
    auto it = model.find(path);
    switch (random() % 8) {
      case 0:
      case 1:
      case 2: {  // a new record only where there is none
        PathNode* node = FindOrAddPath(path.c_str());
        ASSERT_NE(node, nullptr);
        if (it == model.end()) model[path] = {node->serial};
        EXPECT_EQ(node->serial, model[path].front());
        break;
      }
      case 3: {  // a twin: AddPath writes another record for a recorded path
        if (it == model.end()) break;
        PathNode* node = AddPath(path.c_str());
        ASSERT_NE(node, nullptr);
        it->second.insert(it->second.begin(), node->serial);
        twinsMade++;
        break;
      }
      case 4:
      case 5: {  // the newest record of a path goes; an older twin takes its place
        if (it == model.end()) break;
        RemovePath(FindPath(path.c_str()));
        it->second.erase(it->second.begin());
        if (it->second.empty()) model.erase(it);
        break;
      }
      case 6: {  // an older twin goes, found by its id
        if (it == model.end() || it->second.size() < 2) break;
        uint16_t serial = it->second.back();
        PathNode* node = NodeFromId(PathBucket(path.c_str()), serial);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->serial, serial);
        RemovePath(node);
        it->second.pop_back();
        twinsRemoved++;
        break;
      }
      case 7:
        if (step % 5 != 0) break;
        CloseHandleTable();
        ASSERT_TRUE(Open(1, &kNoSyncFileOps));
        break;
    }
    if (step % 500 == 0) {
      SCOPED_TRACE("step " + std::to_string(step));
      ExpectTableMatches(model, names);
      for (int reopen = 0; reopen < 2; reopen++) {
        CloseHandleTable();
        ASSERT_TRUE(Open(1, &kNoSyncFileOps));
        if (reopen == 0) ExpectTableMatches(model, names);
      }
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(twinsMade, 100);
  EXPECT_GT(twinsRemoved, 20);
  CheckedFile file;
  ASSERT_TRUE(CheckHashFile(TableBytes(), &file));
  size_t records = 0;
  for (const auto& entry : model)
    records += entry.second.size();
  EXPECT_EQ(file.serialAt.size(), records);
}

// Reads longer than one record fail, so opening can't read the file in bulk.
int RecordSizedRead(int fd, void* buffer, unsigned count) {
  return count > 1048 ? -1 : _read(fd, buffer, count);
}
int NoSync(int) {
  return 0;
}
const TableFileOps kRecordReadsOnly = {RecordSizedRead, _write, _lseek, NoSync};

TEST_F(HandleTableTest, RecordsAreFoundBehindTornBytesAndWithoutBulkReads) {
  ASSERT_TRUE(Open());
  std::vector<std::string> paths;
  auto add = [&](int count) {
    for (int i = 0; i < count; i++) {
      paths.push_back("c:\\torn\\" + std::to_string(paths.size()));
      ASSERT_NE(AddPath(paths.back().c_str()), nullptr);
    }
  };
  add(30);
  RemovePath(FindPath(paths[3].c_str()));
  CloseHandleTable();
  // The start of a record an interrupted append left behind, then more records.
  std::string bytes = TableBytes() + "00000000 0028 0001  c:\\tor";
  SetTableBytes(bytes);
  ASSERT_TRUE(Open());
  add(30);
  CloseHandleTable();
  ASSERT_EQ(TableBytes().substr(bytes.size() - 26, 26), bytes.substr(bytes.size() - 26));

  for (const TableFileOps* ops : {&kPlatformFileOps, &kRecordReadsOnly}) {
    ASSERT_TRUE(Open(1, ops));
    for (size_t i = 0; i < paths.size(); i++)
      EXPECT_EQ(FindPath(paths[i].c_str()) != nullptr, i != 3) << paths[i];
    // Absent, not unreadable: the path gets its record.
    EXPECT_NE(FindOrAddPath("c:\\torn\\new"), nullptr);
    CloseHandleTable();
  }
}

TEST_F(HandleTableTest, ARecordOfAnotherBucketCutsItsChainAndOlderSerialsAreTwins) {
  // Bucket 3, newest first: c, b, a. b's path is changed to one of bucket 4.
  std::string a = PathInBucket(3, 0), b = PathInBucket(3, 1), c = PathInBucket(3, 2);
  ASSERT_TRUE(Open());
  for (const std::string& path : {a, b, c})
    ASSERT_NE(AddPath(path.c_str()), nullptr);
  CloseHandleTable();
  std::string pristine = TableBytes();
  CheckedFile file = Checked(pristine);
  uint32_t at = file.liveByPath[b];
  std::string foreign = b;
  for (char x = 'a'; PathBucket(foreign.c_str()) == 3; x++)
    foreign[foreign.size() - 1] = x;
  std::string bytes = pristine;
  bytes.replace(at + 20, foreign.size(), foreign);
  SetTableBytes(bytes);
  ASSERT_TRUE(Open());
  EXPECT_NE(FindPath(c.c_str()), nullptr);
  EXPECT_EQ(FindPath(a.c_str()), nullptr);
  EXPECT_EQ(FindPath(foreign.c_str()), nullptr);
  EXPECT_EQ(NodeFromId(3, 1), nullptr);
  EXPECT_EQ(FindOrAddPath(PathInBucket(3, 5).c_str()), nullptr);  // maybe behind the break
  CloseHandleTable();

  // A file written before serials were checked: b carries a's serial 0. The
  // newer record answers for the id; when it goes the older one does.
  bytes = pristine;
  bytes.replace(at + 14, 4, "0000");
  SetTableBytes(bytes);
  ASSERT_TRUE(Open());
  PathNode* newer = NodeFromId(3, 0);
  ASSERT_NE(newer, nullptr);
  EXPECT_EQ(std::string(newer->path), b);
  RemovePath(newer);
  PathNode* older = NodeFromId(3, 0);
  ASSERT_NE(older, nullptr);
  EXPECT_EQ(std::string(older->path), a);
  EXPECT_EQ(AddPath(PathInBucket(3, 6).c_str())->serial, 3);
}

TEST_F(HandleTableTest, RunningOutOfMemoryNeverLeavesTheIndexAndTheFileApart) {
  ASSERT_TRUE(Open());
  std::vector<std::string> paths;
  for (int i = 0; i < 300; i++) {
    paths.push_back("c:\\memory\\" + std::to_string(i));
    ASSERT_NE(AddPath(paths.back().c_str()), nullptr);
  }
  CloseHandleTable();
  // Each allocation of the open in turn fails: the open fails, or it copes
  // and finds every path.
  int failures = 0;
  for (int k = 0; k < 40; k++) {
    TableFailAllocationAfter(k);
    bool opened = Open();
    TableFailAllocationAfter(-1);
    if (!opened) {
      failures++;
      continue;
    }
    for (const std::string& path : paths)
      ASSERT_NE(FindPath(path.c_str()), nullptr) << k << " " << path;
    CloseHandleTable();
  }
  EXPECT_GT(failures, 2);
  ASSERT_TRUE(Open());
  // An insertion whose memory runs out either writes nothing or writes a
  // record that lookups then find.
  for (int i = 0; i < 300; i++) {
    std::string path = "c:\\memory\\more" + std::to_string(i);
    TableFailAllocationAfter(i % 3);
    PathNode* node = AddPath(path.c_str());
    TableFailAllocationAfter(-1);
    bool recorded = Checked(TableBytes()).liveByPath.count(path) > 0;
    if (node) EXPECT_TRUE(recorded) << path;
    EXPECT_EQ(FindPath(path.c_str()) != nullptr, recorded) << path;
    paths.push_back(path);
  }
  CloseHandleTable();
  ASSERT_TRUE(Open());
  CheckedFile file = Checked(TableBytes());
  for (const std::string& path : paths)
    EXPECT_EQ(FindPath(path.c_str()) != nullptr, file.liveByPath.count(path) > 0) << path;
}

}  // namespace
