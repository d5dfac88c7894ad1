// Directory enumeration: "." and ".." first except in a drive's root, the
// rest in a stable order, unreachable names left out, attributes and sizes.
#include <errno.h>

#include <vector>

#include "platform/io.h"
#include "temp_drives.h"

namespace {

struct Entry {
  std::string name;
  unsigned attrib;
  uint32_t size;
};

std::vector<Entry> List(const char* pattern) {
  std::vector<Entry> out;
  _finddata_t data;
  intptr_t h = _findfirst(pattern, &data);
  if (h == -1) return out;
  do {
    out.push_back({data.name, data.attrib, data.size});
  } while (_findnext(h, &data) == 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_findclose(h), 0);
  return out;
}

std::vector<std::string> Names(const std::vector<Entry>& entries) {
  std::vector<std::string> names;
  for (const Entry& e : entries)
    names.push_back(e.name);
  return names;
}

class FindFiles : public TempDrives {};

TEST_F(FindFiles, ListsDotsFirstThenNamesInByteOrderSkippingBackslashNames) {
  MakeDir(C("dir"));
  for (const char* name : {"b.txt", "A.TXT", "c", "a.txt", "back\\slash", ".hidden", "Z"}) {
    Write(C(std::string("dir/") + name), "x");
  }
  MakeDir(C("dir/sub"));
  std::vector<std::string> expect = {".",     "..",    ".hidden", "A.TXT", "Z",
                                     "a.txt", "b.txt", "c",       "sub"};
  EXPECT_EQ(Names(List("c:\\dir\\*.*")), expect);
  EXPECT_EQ(Names(List("C:/DIR/*")), expect);
  // The same order on every call.
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Names(List("c:\\dir\\*.*")), expect);
}

TEST_F(FindFiles, DriveRootYieldsNoDots) {
  Write(C("one"), "1");
  MakeDir(C("two"));
  EXPECT_EQ(Names(List("c:\\*.*")), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(Names(List("d:\\*.*")), std::vector<std::string>{});
  errno = 0;
  _finddata_t data;
  EXPECT_EQ(_findfirst("d:\\*.*", &data), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(FindFiles, PatternsMatchWithoutRegardToCase) {
  MakeDir(C("d"));
  for (const char* name : {"Read.ME", "notes.txt", "NOTES.TXT.bak", "make", "x.c"}) {
    Write(C(std::string("d/") + name), "");
  }
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"c:\\d\\*.TXT", {"notes.txt"}},
      {"c:\\d\\read.me", {"Read.ME"}},
      {"c:\\d\\?.c", {"x.c"}},
      {"c:\\d\\ma*.*", {"make"}},
      {"c:\\d\\*.", {".", "..", "make"}},
      {"c:\\d\\notes*", {"NOTES.TXT.bak", "notes.txt"}},
      {"c:\\d\\none*", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Names(List(c.pattern)), c.names) << c.pattern;
}

TEST_F(FindFiles, ManyStarsAgainstALongNameAnswerAtOnce) {
  MakeDir(C("d"));
  std::string longName = std::string(199, 'a') + "b";
  Write(C("d/" + longName), "");
  Write(C("d/a.b"), "");
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"c:\\d\\*a*a*a*a*a*c", {}},  // the worst case for a matcher that backtracks every star
      {"c:\\d\\*a*a*a*a*a*b", {longName}},
      {"c:\\d\\A*A*A*A*A*?", {longName}},
      {"c:\\d\\*a*a*a*a*a*.*", {longName}},  // ".*" also takes names without a dot
      {"c:\\d\\*a*a*a*a*b.", {longName}},    // a trailing "." takes names without one
      {"c:\\d\\*?.?*", {"a.b"}},
      {"c:\\d\\**a**.**b", {"a.b"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Names(List(c.pattern)), c.names) << c.pattern;
}

TEST_F(FindFiles, ReportsAttributesAndSizesCutTo32Bits) {
  MakeDir(C("d"));
  MakeDir(C("d/sub"));
  Write(C("d/ro"), "abc", 0444);
  Write(C("d/.dot"), "");
  int fd = open(C("d/big").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(ftruncate(fd, (5LL << 30) + 7), 0);  // sparse, 5 GiB + 7
  close(fd);
  Link("ro", C("d/link"));
  Link("/nowhere", C("d/dangling"));

  std::vector<Entry> entries = List("c:\\d\\*.*");
  ASSERT_EQ(Names(entries),
            (std::vector<std::string>{".", "..", ".dot", "big", "link", "ro", "sub"}));
  EXPECT_EQ(entries[0].attrib, (unsigned)_A_SUBDIR);
  EXPECT_EQ(entries[1].attrib, (unsigned)_A_SUBDIR);
  EXPECT_EQ(entries[2].attrib, (unsigned)_A_HIDDEN);
  EXPECT_EQ(entries[3].size, (uint32_t)((1u << 30) + 7));
  EXPECT_EQ(entries[4].attrib, (unsigned)_A_RDONLY);  // the link shows its target
  EXPECT_EQ(entries[4].size, 3u);
  EXPECT_EQ(entries[5].attrib, (unsigned)_A_RDONLY);
  EXPECT_EQ(entries[6].attrib, (unsigned)_A_SUBDIR);
}

TEST_F(FindFiles, MissingDirectoryAndBadHandlesFailCleanly) {
  _finddata_t data;
  errno = 0;
  EXPECT_EQ(_findfirst("c:\\missing\\*.*", &data), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_findnext(12345, &data), -1);
  EXPECT_EQ(_findclose(12345), -1);
}

}  // namespace
