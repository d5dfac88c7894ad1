// Local names from remote ones, and remote paths in VMS syntax. Whatever a
// server lists, the local name is one component of the target directory.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "listing/dos_names.h"
#include "listing/vms_paths.h"

namespace {

struct TakenNames {
  std::set<std::string> names;
  int checks = 0;
};

bool IsTaken(void* context, const char* name) {
  TakenNames* taken = (TakenNames*)context;
  taken->checks++;
  return taken->names.count(name) > 0;
}

// What a name that leaves the target directory would need.
bool IsOneSafeComponent(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7f) return false;
  return true;
}

TEST(LocalNamesTest, RemoteNamesBecomeOneComponentOfTheTargetDirectory) {
  struct Case {
    const char* remote;
    const char* local;  // nullptr: no local name can be made
  } cases[] = {
      {"readme.txt", "readme.txt"},
      {"long name with blanks.tar.gz", "long name with blanks.tar.gz"},
      {".profile", "_profile"},
      {".a:b", "_a_b"},
      {".", "_"},
      {"..", "_."},
      {"...", "_.."},
      {"../x", "_._x"},
      {"..\\x", "_._x"},
      {"../../etc/passwd", "_._.._etc_passwd"},
      {"c:x", "c_x"},
      {"c:\\autoexec.bat", "c__autoexec.bat"},
      {"/etc/passwd", "_etc_passwd"},
      {"a*b?c<d>e|f\"g", "a_b_c_d_e_f_g"},
      {"tab\there", "tab_here"},
      {"\x1b[31mred", "_[31mred"},
      {"line\r\nend", "line__end"},
      {"del\x7f", "del_"},
      {"caf\xc3\xa9.txt", "caf\xc3\xa9.txt"},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    char local[64];
    bool differs = false;
    bool made = MakeDosFileName(c.remote, false, nullptr, local, sizeof local, &differs);
    ASSERT_EQ(made, c.local != nullptr) << c.remote;
    if (!made) continue;
    EXPECT_STREQ(local, c.local) << c.remote;
    EXPECT_EQ(differs, std::string(c.remote) != c.local) << c.remote;
    EXPECT_TRUE(IsOneSafeComponent(local)) << c.remote;
  }
}

TEST(LocalNamesTest, UniqueNamesAreNumberedPastEveryTakenOne) {
  struct Case {
    const char* remote;
    std::set<std::string> taken;
    const char* local;
  } cases[] = {
      {"a.txt", {}, "a.txt"},
      {"a.txt", {"a.txt"}, "a.txt.000"},
      {"a.txt", {"a.txt", "a.txt.000", "a.txt.001"}, "a.txt.002"},
      {"a.txt", {"a.txt", "a.txt.001"}, "a.txt.000"},
      {".x:y", {"_x_y"}, "_x_y.000"},
  };
  for (const Case& c : cases) {
    TakenNames taken{c.taken};
    LocalNameCheck check = {IsTaken, &taken};
    char local[64];
    bool differs = false;
    ASSERT_TRUE(MakeDosFileName(c.remote, true, &check, local, sizeof local, &differs));
    EXPECT_STREQ(local, c.local);
    EXPECT_EQ(differs, std::string(c.remote) != c.local);
    EXPECT_EQ(taken.names.count(local), 0u) << local;
  }
}

TEST(LocalNamesTest, NoUniqueNameWhenAllNumbersAreTakenOrTheNameDoesNotFit) {
  TakenNames taken;
  taken.names.insert("a.txt");
  char number[16];
  for (int i = 0; i <= 998; i++) {
    snprintf(number, sizeof number, ".%03d", i);
    taken.names.insert(std::string("a.txt") + number);
  }
  LocalNameCheck check = {IsTaken, &taken};
  char local[64];
  bool differs = false;
  EXPECT_FALSE(MakeDosFileName("a.txt", true, &check, local, sizeof local, &differs));
  EXPECT_STREQ(local, "");
  // ".999" is free but outside the numbering.
  EXPECT_EQ(taken.checks, 1 + 999);

  taken.names = {"abcdef"};
  EXPECT_FALSE(MakeDosFileName("abcdef", true, &check, local, 10, &differs));
  EXPECT_TRUE(MakeDosFileName("abcdef", true, &check, local, 11, &differs));
  EXPECT_STREQ(local, "abcdef.000");
  EXPECT_FALSE(MakeDosFileName("abcdef", false, nullptr, local, 6, &differs));
}

TEST(LocalNamesTest, LocalPathsKeepTheirDriveAndSeparatorsAndCleanEachName) {
  struct Case {
    const char* path;
    const char* mapped;
  } cases[] = {
      {"c:/pub/.profile", "c:\\pub\\_profile"},
      {"C:\\dir\\sub", "C:\\dir\\sub"},
      {"c:", "c:\\"},
      {"c:foo", "c:\\foo"},
      {"/usr/../etc", "\\usr\\_.\\etc"},
      {"\\..\\..", "\\_.\\_."},
      {"pub/a:b/c", "pub\\a_b\\c"},
      {"1:x", "1_x"},
      {"a//b/", "a\\\\b\\"},
      {"", ""},
  };
  for (const Case& c : cases) {
    char mapped[64];
    ASSERT_TRUE(DosNameMapping(c.path, mapped, sizeof mapped)) << c.path;
    EXPECT_STREQ(mapped, c.mapped) << c.path;
  }
  char small[8];
  EXPECT_FALSE(DosNameMapping("c:/abcdef", small, sizeof small));
  EXPECT_STREQ(small, "");
  EXPECT_TRUE(DosNameMapping("c:/abcd", small, sizeof small));
}

TEST(LocalNamesTest, VmsPathsTakeBracketsAndLoseVersions) {
  struct Case {
    bool (*mapping)(const char*, char*, size_t);
    const char* path;
    const char* mapped;
  } cases[] = {
      {VmsDirectoryMapping, "[A]/B.DIR;1/C.DIR;1", "[A.B.C]"},
      {VmsDirectoryMapping, "[A]\\B.DIR;1", "[A.B]"},
      {VmsDirectoryMapping, "DISK$USER:[A]/B.DIR;1", "DISK$USER:[A.B]"},
      {VmsDirectoryMapping, "[PUB]", "[PUB]"},
      {VmsDirectoryMapping, "[A", "[A]"},
      {VmsDirectoryMapping, "B.DIR;1", "B"},
      {VmsDirectoryMapping, "B.dir;1/C", "B.dir;1/C"},
      {VmsDirectoryMapping, "pub/incoming", "pub/incoming"},
      {StripVersions, "c:\\vms\\FILE.TXT;3", "c:\\vms\\FILE.TXT"},
      {StripVersions, "A.DIR;1/B.DIR;2\\C;", "A.DIR/B.DIR\\C"},
      {StripVersions, "plain/path", "plain/path"},
  };
  for (const Case& c : cases) {
    char mapped[64];
    ASSERT_TRUE(c.mapping(c.path, mapped, sizeof mapped)) << c.path;
    EXPECT_STREQ(mapped, c.mapped) << c.path;
  }
  // The closing bracket needs room too.
  char small[4];
  EXPECT_FALSE(VmsDirectoryMapping("[AB", small, sizeof small));
  EXPECT_TRUE(VmsDirectoryMapping("[A", small, sizeof small));
}

}  // namespace
