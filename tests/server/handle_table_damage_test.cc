// Damaged table files: the open fails exactly for a short or foreign header, a
// wrong version, a short bucket table and a damaged free chain. Any other
// damage only makes lookups through it give none; nothing crashes or hangs.
#include <functional>
#include <string>
#include <vector>

#include "support/table_fixture.h"

namespace {

class DamagedTable : public HandleTableTest {
 protected:
  void SetUp() override {
    HandleTableTest::SetUp();
    for (int i = 0; i < 3; i++)
      chain_.push_back(PathInBucket(3, i));  // on disk newest first: 2, 1, 0
    ASSERT_TRUE(Open());
    for (const char* path : {"c:\\gone one", "c:\\gone two"})
      ASSERT_NE(AddPath(path), nullptr);
    for (const std::string& path : chain_)
      ASSERT_NE(AddPath(path.c_str()), nullptr);
    ASSERT_NE(AddPath("c:\\data"), nullptr);
    RemovePath(FindPath("c:\\gone one"));
    RemovePath(FindPath("c:\\gone two"));
    CloseHandleTable();
    pristine_ = TableBytes();
    CheckedFile file = Checked(pristine_);
    for (const std::string& path : chain_)
      at_.push_back(file.liveByPath[path]);
    freeHead_ = file.freeHead;
  }

  static void Put(std::string* bytes, size_t at, const std::string& text) {
    bytes->replace(at, text.size(), text);
  }
  static std::string Hex8(uint32_t value) {
    char text[9];
    snprintf(text, sizeof text, "%08X", value);
    return text;
  }

  std::vector<std::string> chain_;
  std::vector<uint32_t> at_;
  uint32_t freeHead_ = 0;
  std::string pristine_;
};

TEST_F(DamagedTable, OpenFailsForTheHeaderTheBucketTableAndTheFreeChain) {
  struct Case {
    const char* what;
    std::function<void(std::string*)> damage;
  } cases[] = {
      {"empty file", [](std::string* b) { b->clear(); }},
      {"short header", [](std::string* b) { b->resize(73); }},
      {"foreign magic", [](std::string* b) { Put(b, 0, "*HASX*"); }},
      {"stamp not hex", [](std::string* b) { Put(b, 8, "1234567G"); }},
      {"version 3", [](std::string* b) { Put(b, 28, "0003"); }},
      {"version not hex", [](std::string* b) { Put(b, 28, "00 2"); }},
      {"short bucket table", [](std::string* b) { b->resize(393); }},
      {"free head past the end", [&](std::string* b) { Put(b, 18, Hex8((uint32_t)b->size())); }},
      {"free head inside the bucket table", [](std::string* b) { Put(b, 18, "00000050"); }},
      {"free head not hex", [](std::string* b) { Put(b, 18, "0000018Z"); }},
      {"free record next not hex", [&](std::string* b) { Put(b, freeHead_, "0000x000"); }},
      {"free record length not a multiple of 8",
       [&](std::string* b) { Put(b, freeHead_ + 9, "0021"); }},
      {"free record length past the end", [&](std::string* b) { Put(b, freeHead_ + 9, "FFF8"); }},
      {"free chain loops", [&](std::string* b) { Put(b, freeHead_, Hex8(freeHead_)); }},
  };
  for (const Case& c : cases) {
    std::string bytes = pristine_;
    c.damage(&bytes);
    SetTableBytes(bytes);
    EXPECT_FALSE(Open()) << c.what;
    CloseHandleTable();
  }
  SetTableBytes(pristine_);
  EXPECT_TRUE(Open());
}

TEST_F(DamagedTable, DamageInAChainCutsItShortWithoutCrashingOrLooping) {
  // Damage to the middle record of the chain: the newest resolves, the oldest
  // gives none, and the middle one only when its own fields are whole.
  struct Case {
    const char* what;
    std::function<void(std::string*, uint32_t)> damage;
    bool middleResolves = false;
  } cases[] = {
      {"next not hex", [](std::string* b, uint32_t at) { Put(b, at + 3, "g"); }},
      {"length not hex", [](std::string* b, uint32_t at) { Put(b, at + 9, "00 8"); }},
      {"length not a multiple of 8", [](std::string* b, uint32_t at) { Put(b, at + 9, "0021"); }},
      {"length below the fields", [](std::string* b, uint32_t at) { Put(b, at + 9, "0010"); }},
      {"length beyond the read size", [](std::string* b, uint32_t at) { Put(b, at + 9, "0420"); }},
      {"serial not hex", [](std::string* b, uint32_t at) { Put(b, at + 14, "-001"); }},
      {"no line end", [](std::string* b, uint32_t at) { Put(b, at + 38, "XX"); }},
      {"NUL in the path", [](std::string* b, uint32_t at) { (*b)[at + 21] = '\0'; }},
      {"next past the end",
       [](std::string* b, uint32_t at) { Put(b, at, Hex8((uint32_t)b->size())); }, true},
      {"next into the header", [](std::string* b, uint32_t at) { Put(b, at, "00000012"); }, true},
      {"chain loops", [&](std::string* b, uint32_t at) { Put(b, at, Hex8(at_[2])); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = pristine_;
    c.damage(&bytes, at_[1]);
    SetTableBytes(bytes);
    ASSERT_EQ(pristine_.substr(at_[1] + 9, 4), "0028");  // 40 bytes: the line end is at 38
    ASSERT_TRUE(Open());
    EXPECT_NE(FindPath(chain_[2].c_str()), nullptr);
    EXPECT_NE(FindPath("c:\\data"), nullptr);
    EXPECT_EQ(FindPath(chain_[1].c_str()) != nullptr, c.middleResolves);
    EXPECT_EQ(FindPath(chain_[0].c_str()), nullptr);
    EXPECT_EQ(FindPath(PathInBucket(3, 7).c_str()), nullptr);
    for (uint16_t serial = 0; serial < 4; serial++)
      NodeFromId(3, serial);
    // The unreadable chain might hold the path: nothing is added to it.
    EXPECT_EQ(FindOrAddPath(PathInBucket(3, 8).c_str()), nullptr);
    CloseHandleTable();
  }
}

TEST_F(DamagedTable, ABucketLineThatIsNoNumberClosesOnlyThatBucket) {
  std::string bytes = pristine_;
  Put(&bytes, 74 + 3 * 16, "0000Q1A2");
  SetTableBytes(bytes);
  ASSERT_TRUE(Open());
  for (const std::string& path : chain_)
    EXPECT_EQ(FindPath(path.c_str()), nullptr);
  EXPECT_EQ(AddPath(PathInBucket(3, 9).c_str()), nullptr);
  EXPECT_EQ(TableBytes(), bytes);
  EXPECT_NE(FindPath("c:\\data"), nullptr);
  EXPECT_NE(AddPath("c:\\elsewhere"), nullptr);
}

}  // namespace
