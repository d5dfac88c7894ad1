// Exports: sections read against real directories of a temporary drive, each
// export holding its root's node in the handle table, and the searches.
#include <string>

#include "config/directory_check.h"
#include "platform/direct.h"
#include "support/config_fixture.h"

namespace {

class ExportsTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    for (const char* dir : {"data", "data/sub", "pub", "database"})
      MakeHostDir(Host(dir));
    WriteHost(Host("file.txt"), "not a directory");
    ASSERT_TRUE(OpenHandleTable("c:\\", 1));
  }

  static std::string ExportSection(int slot, const std::string& dir,
                                   const std::string& owner = "alice",
                                   const std::string& access = "rwxr-x---") {
    char name[16];
    snprintf(name, sizeof name, "%02d", slot);
    return std::string("[TOLmid_export_") + name + "]\ndir=" + dir + "\nowner=" + owner +
           "\naccess=" + access + "\n";
  }

  static constexpr const char* kUsers = "[TOLmid_user_01]\nusername=alice\nuid=500\ngid=100\n";
};

TEST_F(ExportsTest, LoadsUsableSectionsIntoTheirSlotsAndSkipsTheRest) {
  WriteIni(std::string(kUsers) + "[TOLmid_user_02]\nusername=<<UNUSED>>\n" +
           ExportSection(0, "c:\\data") + ExportSection(1, "<<UNUSED>>") +
           ExportSection(2, "c:\\pub", "mallory") + ExportSection(3, "c:\\missing") +
           ExportSection(4, "C:\\PUB", "ALICE", "r-x------") + ExportSection(5, "c:\\file.txt") +
           ExportSection(6, "c:\\data\\sub", "<<UNUSED>>") + ExportSection(8, "c:\\database"));
  ASSERT_TRUE(Load());
  ASSERT_TRUE(LoadExports(kIni));
  ExportEntry* data = ExportSlot(0);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->magic, kExportMagic);
  EXPECT_STREQ(data->path, "c:\\data");
  EXPECT_EQ(data->access, 0x1E8u);
  EXPECT_EQ(data->owner, FindUserByName("alice"));
  EXPECT_EQ(data->root->holds, 1);
  EXPECT_STREQ(data->root->path, "c:\\data");
  for (int slot : {1, 2, 3, 5, 6, 7, 8})
    EXPECT_EQ(ExportSlot(slot), nullptr) << slot;
  ASSERT_NE(ExportSlot(4), nullptr);  // other letter case than on disk
  EXPECT_STREQ(ExportSlot(4)->path, "C:\\PUB");
  EXPECT_EQ(ExportSlot(4)->access, 0x140u);
  EXPECT_EQ(FirstFreeExportSlot(), 1);
}

TEST_F(ExportsTest, SectionsFrom32OnAreNotRead) {
  std::string ini = kUsers;
  for (int slot = 0; slot < 32; slot++)
    ini += ExportSection(slot, "<<UNUSED>>");
  ini += ExportSection(32, "c:\\data");
  WriteIni(ini);
  ASSERT_TRUE(Load());
  ASSERT_TRUE(LoadExports(kIni));
  EXPECT_EQ(FindExportByPath("c:\\data"), nullptr);
  EXPECT_EQ(FirstFreeExportSlot(), 0);
}

TEST_F(ExportsTest, AnExportThatGetsNoNodeFailsTheLoad) {
  std::string ini = kUsers;
  for (int slot = 0; slot < 11; slot++) {
    std::string dir = "e" + std::to_string(slot);
    MakeHostDir(Host(dir));
    ini += ExportSection(slot, "c:\\" + dir);
  }
  WriteIni(ini);
  ASSERT_TRUE(Load());
  EXPECT_FALSE(LoadExports(kIni));  // ten held nodes fill the cache
  EXPECT_NE(ExportSlot(9), nullptr);
  EXPECT_EQ(ExportSlot(10), nullptr);
}

TEST_F(ExportsTest, CheckingDirectoriesLeavesTheCurrentDriveAndDirectory) {
  ASSERT_EQ(_chdir("c:\\data\\sub"), 0);
  struct Case {
    const char* path;
    bool exists;
  } cases[] = {
      {"c:\\DATA\\Sub", true}, {"c:\\", true},    {"c:\\missing", false}, {"c:\\file.txt", false},
      {"d:\\data", false},     {"c:data", false}, {"\\data", false},      {"c:/data", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsExistingDirectory(c.path), c.exists) << c.path;
    char cwd[MAX_PATH];
    ASSERT_NE(_getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_STREQ(cwd, "C:\\data\\sub") << c.path;
  }
}

TEST_F(ExportsTest, PathSearchesMatchWholeComponentsAndPreferTheMostSpecificExport) {
  WriteIni(std::string(kUsers) + "[TOLmid_user_02]\nusername=bob\n" + ExportSection(0, "c:\\data") +
           ExportSection(1, "c:\\database"));
  ASSERT_TRUE(Load());
  ASSERT_TRUE(LoadExports(kIni));
  EXPECT_EQ(FindExportByPath("c:\\database\\x"), ExportSlot(1));
  EXPECT_EQ(FindExportByPath("c:\\data\\x"), ExportSlot(0));
  EXPECT_EQ(FindExportByPath("c:\\data"), ExportSlot(0));
  EXPECT_EQ(FindExportByPath("c:\\Data"), nullptr);
  EXPECT_EQ(FindExportByPath("c:\\dat"), nullptr);
  PathNode* root = ExportSlot(1)->root;
  EXPECT_EQ(FindExportByRoot(root->bucket, root->serial), ExportSlot(1));
  EXPECT_EQ(FindExportByRoot(root->bucket, (uint16_t)(root->serial + 1)), nullptr);
  EXPECT_TRUE(IsExportOwner(FindUserByName("alice")));
  EXPECT_FALSE(IsExportOwner(FindUserByName("bob")));
}

TEST_F(ExportsTest, RemovingAnExportMarksItsSectionAndReleasesItsRoot) {
  WriteIni(std::string(kUsers) + ExportSection(0, "c:\\data") + ExportSection(1, "c:\\pub"));
  ASSERT_TRUE(Load());
  ASSERT_TRUE(LoadExports(kIni));
  PathNode* root = ExportSlot(0)->root;
  RemoveExport(kIni, 0);
  EXPECT_EQ(ExportSlot(0), nullptr);
  EXPECT_EQ(root->holds, 0);
  EXPECT_EQ(Value("TOLmid_export_00", "dir"), kUnusedName);
  EXPECT_EQ(Value("TOLmid_export_00", "owner"), "");
  EXPECT_EQ(Value("TOLmid_export_00", "access"), "");
  EXPECT_EQ(Value("TOLmid_export_00", "spooldir"), "OFF");
  EXPECT_EQ(FirstFreeExportSlot(), 0);

  // A new export in the freed slot is saved and read back the same.
  ASSERT_TRUE(AddExport(0, "c:\\data\\sub", FindUserByName("alice"), 0x1FF));
  SaveExport(kIni, ExportSlot(0), EXPORT_SAVE);
  EmptyExportTable();
  ASSERT_TRUE(LoadExports(kIni));
  ASSERT_NE(ExportSlot(0), nullptr);
  EXPECT_STREQ(ExportSlot(0)->path, "c:\\data\\sub");
  EXPECT_EQ(ExportSlot(0)->access, 0x1FFu);
  EXPECT_NE(ExportSlot(1), nullptr);
  EXPECT_FALSE(AddExport(1, "c:\\data", FindUserByName("alice"), 0));  // slot taken
}

}  // namespace
