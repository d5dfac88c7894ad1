// The file handle table through its operations, on real files: the exact
// bytes it writes, reuse of free records, serials, the node cache and handles.
#include <cstring>
#include <string>
#include <vector>

#include "nfs/table_alloc.h"
#include "nfs/table_state.h"
#include "support/table_fixture.h"

namespace {

std::string Blanks(size_t n) {
  return std::string(n, ' ');
}

// The table's own recency list: lookups answer from the index without reading
// the file, so only the list tells a cached node from an evicted one.
bool Cached(const std::string& path) {
  for (PathNode* node = ActiveHandleTable()->newest; node; node = node->older)
    if (path == node->path) return true;
  return false;
}

TEST_F(HandleTableTest, CreatesA394ByteFileWithTheStampAndTwentyEmptyBuckets) {
  ASSERT_TRUE(Open(0xDEADBEEF));
  std::string expected = "*HASH*  DEADBEEF  00000000  0002" + Blanks(40) + "\r\n";
  for (int b = 0; b < 20; b++)
    expected += "00000000  0000\r\n";
  EXPECT_EQ(TableBytes(), expected);

  // An existing file keeps its own stamp whatever the caller passes.
  CloseHandleTable();
  ASSERT_TRUE(Open(0x11111111));
  EXPECT_EQ(HandleTableStamp(), 0xDEADBEEFu);
}

TEST_F(HandleTableTest, BucketIsThePairSumOfSignedBytesModulo20) {
  struct Case {
    const char* path;
    uint16_t bucket;
  } cases[] = {
      {"c:\\data", 13}, {"c:\\", 19}, {"c:\\data\\readme.txt", 7},
      {"a", 5},      // odd last byte: 97 - 32 = 65
      {"a\xE9", 1},  // 65 + 32 * (-23 - 32), taken as unsigned 32 bits
      {"\x01", 5},   // 1 - 32 = -31 wraps to 2^32 - 31
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathBucket(c.path), c.bucket) << c.path;
}

TEST_F(HandleTableTest, WritesTheFirstRecordOfABucketAndLinksItFromTheBucketLine) {
  ASSERT_TRUE(Open(0x00C0FFEE));
  PathNode* node = AddPath("c:\\data");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->bucket, 13);
  EXPECT_EQ(node->serial, 0);
  EXPECT_EQ(FileIdOf(node), 13u);
  std::string bytes = TableBytes();
  ASSERT_EQ(bytes.size(), 394u + 32u);
  EXPECT_EQ(bytes.substr(394), "00000000 0020 0000  c:\\data   \r\n");
  EXPECT_EQ(bytes.substr(74 + 13 * 16, 16), "0000018A  0001\r\n");

  FileHandle handle;
  MakeFileHandle(node, nullptr, &handle);
  const uint8_t expected[16] = {0x48, 0x46, 0, 0, 0xEE, 0xFF, 0xC0, 0x00, 0, 0, 13, 0, 0, 0, 13, 0};
  EXPECT_EQ(memcmp(handle.bytes, expected, 16), 0);
  for (int i = 16; i < 32; i++)
    EXPECT_EQ(handle.bytes[i], 0xFA) << i;

  // A child's handle carries the root coordinates of its parent's handle.
  PathNode* child = AddPath("c:\\data\\readme.txt");
  ASSERT_NE(child, nullptr);
  FileHandle childHandle;
  MakeFileHandle(child, &handle, &childHandle);
  EXPECT_EQ(HandleBucket(&childHandle), 7);
  EXPECT_EQ(HandleRootBucket(&childHandle), 13);
  EXPECT_EQ(HandleRootSerial(&childHandle), 0);
}

TEST_F(HandleTableTest, ReusesTheFirstFreeRecordThatFitsAndKeepsItsLength) {
  ASSERT_TRUE(Open());
  std::string small = "c:\\s", large = "c:\\a much longer directory\\name.txt";
  PathNode* smallNode = AddPath(small.c_str());
  PathNode* largeNode = AddPath(large.c_str());
  ASSERT_TRUE(smallNode && largeNode);
  CheckedFile before = Checked(TableBytes());
  uint32_t smallAt = before.liveByPath[small], largeAt = before.liveByPath[large];
  RemovePath(largeNode);
  RemovePath(smallNode);  // free chain: small, then large
  size_t length = TableBytes().size();

  // "c:\medium.txt" does not fit the small record, so it takes the large one
  // and the small record's link skips it.
  ASSERT_NE(AddPath("c:\\medium.txt"), nullptr);
  std::string bytes = TableBytes();
  EXPECT_EQ(bytes.size(), length);
  CheckedFile after = Checked(bytes);
  EXPECT_EQ(after.liveByPath["c:\\medium.txt"], largeAt);
  EXPECT_EQ(after.freeHead, smallAt);
  EXPECT_EQ(after.freeLength.size(), 1u);
  EXPECT_EQ(bytes.substr(smallAt, 8), "00000000");
  uint32_t largeLength = (uint32_t)(large.size() + 30) & ~7u;
  EXPECT_EQ(bytes.substr(largeAt + 9, 4), "0040");
  EXPECT_EQ(largeLength, 0x40u);
  EXPECT_EQ(bytes.substr(largeAt + 20, largeLength - 20),
            "c:\\medium.txt" + Blanks(largeLength - 35) + "\r\n");

  // The small record is the head of the chain: taking it empties the header's link.
  ASSERT_NE(AddPath("c:\\t"), nullptr);
  EXPECT_EQ(Checked(TableBytes()).freeHead, 0u);
  EXPECT_EQ(Checked(TableBytes()).liveByPath["c:\\t"], smallAt);
  EXPECT_EQ(TableBytes().size(), length);
}

TEST_F(HandleTableTest, RemovedPathsHandleGoesStaleAndItsNextRecordGetsANewSerial) {
  ASSERT_TRUE(Open());
  PathNode* node = AddPath("c:\\data\\old.txt");
  ASSERT_NE(node, nullptr);
  FileHandle handle;
  MakeFileHandle(node, nullptr, &handle);
  uint32_t oldId = FileIdOf(node);
  RemovePath(node);
  EXPECT_EQ(NodeFromHandle(&handle), nullptr);
  EXPECT_EQ(FindPath("c:\\data\\old.txt"), nullptr);
  PathNode* again = FindOrAddPath("c:\\data\\old.txt");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(FileIdOf(again), oldId);
  EXPECT_EQ(NodeFromHandle(&handle), nullptr);
}

TEST_F(HandleTableTest, HandlesResolveOnlyWithTheMagicTheStampAndABucketBelow20) {
  ASSERT_TRUE(Open(0x01020304));
  PathNode* node = AddPath("c:\\data");
  ASSERT_NE(node, nullptr);
  FileHandle good;
  MakeFileHandle(node, nullptr, &good);
  struct Case {
    const char* what;
    int at;
    uint8_t value;
    bool resolves;
  } cases[] = {
      {"wrong magic", 0, 0x49, false},
      {"foreign stamp", 4, 0x05, false},
      {"bucket 20", 10, 20, false},
      {"bytes 2-3 are not examined", 2, 0x77, true},
      {"root fields are not examined", 14, 0x33, true},
      {"filler is not examined", 31, 0x00, true},
  };
  for (const Case& c : cases) {
    FileHandle handle = good;
    handle.bytes[c.at] = c.value;
    EXPECT_EQ(NodeFromHandle(&handle) != nullptr, c.resolves) << c.what;
  }

  // A recreated file has another stamp: old handles never resolve again.
  CloseHandleTable();
  remove(Host("nfsfile.hsh").c_str());
  ASSERT_TRUE(Open(0x0A0B0C0D));
  ASSERT_NE(AddPath("c:\\data"), nullptr);
  EXPECT_EQ(NodeFromHandle(&good), nullptr);
}

TEST_F(HandleTableTest, ARecreatedFileTakesAStampNoEarlierFileHadSoOldHandlesStayStale) {
  // As start-up does: the stamp saved from the table before is passed in.
  std::vector<uint32_t> stamps = {57568};
  FileHandle handle;
  for (int generation = 0; generation < 4; generation++) {
    remove(Host("nfsfile.hsh").c_str());
    ASSERT_TRUE(OpenHandleTable("c:\\", stamps.back()));
    uint32_t stamp = HandleTableStamp();
    for (uint32_t earlier : stamps)
      EXPECT_NE(stamp, earlier) << generation;
    stamps.push_back(stamp);
    // Each generation's first path of bucket 5 gets the same bucket and serial.
    PathNode* node = AddPath(PathInBucket(5, generation).c_str());
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->serial, 0);
    if (generation == 0) MakeFileHandle(node, nullptr, &handle);
    EXPECT_EQ(NodeFromHandle(&handle) != nullptr, generation == 0) << generation;
    CloseHandleTable();
  }
  // An existing file keeps its stamp.
  ASSERT_TRUE(OpenHandleTable("c:\\", 1));
  EXPECT_EQ(HandleTableStamp(), stamps.back());
}

TEST_F(HandleTableTest, SerialsWrapAfter65536InsertionsAndBucketZeroNeverUsesSerialZero) {
  ASSERT_TRUE(Open(1, &kNoSyncFileOps));
  std::vector<std::string> seven, zero;
  for (int i = 0, n = 0; n < 65536 * 2; i++) {
    std::string path = "c:\\w" + std::to_string(i);
    int b = PathBucket(path.c_str());
    if (b == 7 && seven.size() < 65536) seven.push_back(path), n++;
    if (b == 0 && zero.size() < 65536) zero.push_back(path), n++;
  }
  for (size_t i = 0; i < seven.size(); i++) {
    PathNode* node = AddPath(seven[i].c_str());
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->serial, (uint16_t)i);
  }
  EXPECT_EQ(TableBytes().substr(74 + 7 * 16 + 10, 4), "0000");

  PathNode* first = AddPath(zero[0].c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->serial, 1);
  EXPECT_NE(FileIdOf(first), 0u);
  for (size_t i = 1; i < 65535; i++)
    ASSERT_NE(AddPath(zero[i].c_str()), nullptr);
  EXPECT_EQ(TableBytes().substr(74 + 10, 4), "0001");  // 0xFFFF is followed by 1

  // Every serial of bucket 0 names a live record now: none is handed out
  // twice, so the bucket takes no more until one goes.
  size_t length = TableBytes().size();
  EXPECT_EQ(AddPath(zero[65535].c_str()), nullptr);
  EXPECT_EQ(TableBytes().size(), length);
  PathNode* gone = FindPath(zero[99].c_str());
  ASSERT_NE(gone, nullptr);
  ASSERT_EQ(gone->serial, 100);
  RemovePath(gone);
  PathNode* wrapped = AddPath(zero[65535].c_str());
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(wrapped->serial, 100);  // serials 1 to 99 are still live: passed over
  EXPECT_EQ(TableBytes().substr(74 + 10, 4), "0065");
  EXPECT_EQ(AddPath(PathInBucket(0, 0, "extra").c_str()), nullptr);  // full again
}

TEST_F(HandleTableTest, AfterTheSerialWrapsALiveRecordsSerialIsPassedOver) {
  // Bucket 7 keeps the records of serials 0 and 2; its counter is near the wrap.
  std::vector<std::string> seven;
  for (int i = 0; i < 6; i++)
    seven.push_back(PathInBucket(7, i));
  ASSERT_TRUE(Open());
  PathNode* kept = AddPath(seven[0].c_str());
  ASSERT_NE(kept, nullptr);
  FileHandle handle;
  MakeFileHandle(kept, nullptr, &handle);
  ASSERT_NE(AddPath(seven[1].c_str()), nullptr);
  ASSERT_NE(AddPath(seven[2].c_str()), nullptr);
  RemovePath(FindPath(seven[1].c_str()));
  CloseHandleTable();
  std::string bytes = TableBytes();
  ASSERT_EQ(bytes.substr(74 + 7 * 16 + 10, 4), "0003");
  bytes.replace(74 + 7 * 16 + 10, 4, "FFFF");
  SetTableBytes(bytes);

  ASSERT_TRUE(Open());
  struct Case {
    int path;
    uint16_t serial;
  } cases[] = {{3, 0xFFFF}, {4, 1}, {5, 3}};  // 0 and 2 are live: passed over
  for (const Case& c : cases) {
    PathNode* node = AddPath(seven[c.path].c_str());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->serial, c.serial) << seven[c.path];
  }
  EXPECT_EQ(TableBytes().substr(74 + 7 * 16 + 10, 4), "0004");
  PathNode* resolved = NodeFromHandle(&handle);
  ASSERT_NE(resolved, nullptr);
  EXPECT_EQ(std::string(resolved->path), seven[0]);
}

TEST_F(HandleTableTest, AnOldFileWhoseBucketZeroCounterIsZeroOpensAndSkipsIt) {
  ASSERT_TRUE(Open(7));
  CloseHandleTable();
  std::string bytes = TableBytes();
  bytes.replace(74, 16, "00000000  FFFF\r\n");
  SetTableBytes(bytes);
  ASSERT_TRUE(Open());
  PathNode* node = AddPath(PathInBucket(0, 0).c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->serial, 0xFFFF);
  EXPECT_EQ(TableBytes().substr(74 + 10, 4), "0001");
}

TEST_F(HandleTableTest, EvictsTheOldestUnheldNodeAndKeepsHeldOnes) {
  ASSERT_TRUE(Open());
  std::vector<std::string> paths;
  std::vector<PathNode*> nodes;
  for (int i = 0; i < 11; i++) {
    paths.push_back("c:\\cache\\" + std::to_string(i));
    if (i < 10) nodes.push_back(AddPath(paths[i].c_str()));
  }
  HoldPathNode(nodes[0]);
  HoldPathNode(nodes[1]);
  ASSERT_NE(AddPath(paths[10].c_str()), nullptr);  // the eleventh evicts paths[2]

  struct Case {
    int index;
    bool cached;
  } cases[] = {{0, true}, {1, true}, {3, true}, {10, true}, {2, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(Cached(paths[c.index]), c.cached) << paths[c.index];
    ASSERT_NE(FindPath(paths[c.index].c_str()), nullptr);
  }
  ReleasePathNode(nodes[0]);
  ReleasePathNode(nodes[1]);
}

TEST_F(HandleTableTest, WithEveryCachedNodeHeldOnlyCacheHitsSucceedAndNothingIsAddedTwice) {
  ASSERT_TRUE(Open());
  ASSERT_NE(AddPath("c:\\on-disk"), nullptr);
  uint16_t bucket = PathBucket("c:\\on-disk");
  std::vector<PathNode*> held;
  for (int i = 0; i < 10; i++) {
    PathNode* node = AddPath(("c:\\held" + std::to_string(i)).c_str());
    ASSERT_NE(node, nullptr);
    HoldPathNode(node);
    held.push_back(node);
  }
  size_t length = TableBytes().size();
  EXPECT_EQ(FindPath("c:\\on-disk"), nullptr);
  EXPECT_EQ(NodeFromId(bucket, 0), nullptr);
  EXPECT_EQ(FindOrAddPath("c:\\on-disk"), nullptr);
  EXPECT_EQ(TableBytes().size(), length);  // no second record
  EXPECT_EQ(FindPath("c:\\held3"), held[3]);

  // A new path gets its record even though no node can be cached for it.
  EXPECT_EQ(AddPath("c:\\new"), nullptr);
  EXPECT_GT(TableBytes().size(), length);
  ReleasePathNode(held[0]);
  EXPECT_NE(FindPath("c:\\new"), nullptr);
  for (int i = 1; i < 10; i++)
    ReleasePathNode(held[i]);
}

TEST_F(HandleTableTest, APathWithBlanksComesBackWholeAfterLeavingTheCache) {
  ASSERT_TRUE(Open());
  const char* path = "c:\\my documents\\a  b.txt";
  PathNode* node = AddPath(path);
  ASSERT_NE(node, nullptr);
  uint16_t bucket = node->bucket, serial = node->serial;
  for (int i = 0; i < 10; i++)
    ASSERT_NE(AddPath(("c:\\x" + std::to_string(i)).c_str()), nullptr);
  PathNode* again = NodeFromId(bucket, serial);
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(again->path, path);
  EXPECT_EQ(FindPath(path), again);
}

TEST_F(HandleTableTest, PathsThatDifferOnlyInCaseGetTwoRecords) {
  ASSERT_TRUE(Open());
  PathNode* upper = FindOrAddPath("c:\\Data");
  PathNode* lower = FindOrAddPath("c:\\data");
  ASSERT_TRUE(upper && lower);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(Checked(TableBytes()).liveByPath.size(), 2u);
  EXPECT_EQ(FindOrAddPath("c:\\Data"), upper);
}

TEST_F(HandleTableTest, RefusesPathsItCannotStoreBeforeWritingAnything) {
  ASSERT_TRUE(Open());
  std::string longest = "c:\\" + std::string(256, 'x');  // 259 characters
  struct Case {
    std::string path;
    bool stored;
  } cases[] = {
      {longest, true},
      {longest + "y", false},  // 260: no room for the terminating NUL
      {"c:\\" + std::string(1100, 'z'), false},
      {"", false},
      {"c:\\trailing blank ", false},
      {"c:\\line\r\nbreak", false},
  };
  for (const Case& c : cases) {
    size_t length = TableBytes().size();
    EXPECT_EQ(AddPath(c.path.c_str()) != nullptr, c.stored) << c.path.size();
    EXPECT_EQ(TableBytes().size() > length, c.stored) << c.path.size();
  }
}

TEST_F(HandleTableTest, RemovingAHeldNodeDetachesItUntilItsLastRelease) {
  ASSERT_TRUE(Open());
  PathNode* root = AddPath("c:\\export");
  ASSERT_NE(root, nullptr);
  HoldPathNode(root);
  HoldPathNode(root);
  uint16_t bucket = root->bucket, serial = root->serial;
  RemovePath(root);

  // The holder's node is intact but no longer reachable from the table.
  EXPECT_EQ(root->magic, kPathNodeMagic);
  EXPECT_STREQ(root->path, "c:\\export");
  EXPECT_EQ(NodeFromId(bucket, serial), nullptr);
  EXPECT_EQ(FindPath("c:\\export"), nullptr);
  EXPECT_EQ(Checked(TableBytes()).liveByPath.count("c:\\export"), 0u);
  PathNode* fresh = FindOrAddPath("c:\\export");
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, root);
  RemovePath(root);  // a detached node has nothing left to remove
  EXPECT_NE(FindPath("c:\\export"), nullptr);

  ReleasePathNode(root);
  CloseHandleTable();
  EXPECT_STREQ(root->path, "c:\\export");  // still held once, even past the close
  ReleasePathNode(root);
}

TEST_F(HandleTableTest, RecordsSurviveAReopen) {
  ASSERT_TRUE(Open());
  std::vector<std::pair<std::string, uint32_t>> ids;
  for (int i = 0; i < 30; i++) {
    std::string path = "c:\\keep\\" + std::to_string(i);
    PathNode* node = AddPath(path.c_str());
    ASSERT_NE(node, nullptr);
    ids.push_back({path, FileIdOf(node)});
  }
  RemovePath(FindPath(ids[5].first.c_str()));
  CloseHandleTable();
  ASSERT_TRUE(Open());
  for (size_t i = 0; i < ids.size(); i++) {
    PathNode* node = FindPath(ids[i].first.c_str());
    if (i == 5) {
      EXPECT_EQ(node, nullptr);
      continue;
    }
    ASSERT_NE(node, nullptr) << ids[i].first;
    EXPECT_EQ(FileIdOf(node), ids[i].second);
  }
}

TEST_F(HandleTableTest, NoMemoryFailsTheOpenAndLeavesALookupWithoutANode) {
  TableFailAllocationAfter(0);
  EXPECT_FALSE(Open());
  ASSERT_TRUE(Open());
  ASSERT_NE(AddPath("c:\\data"), nullptr);
  CloseHandleTable();
  ASSERT_TRUE(Open());
  TableFailAllocationAfter(0);
  size_t length = TableBytes().size();
  EXPECT_EQ(FindOrAddPath("c:\\data"), nullptr);
  EXPECT_EQ(TableBytes().size(), length);  // the record exists: nothing is added
  EXPECT_NE(FindPath("c:\\data"), nullptr);
}

}  // namespace
