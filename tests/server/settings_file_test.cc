// LoadSettings and the Save operations on a real TOLMID.INI: defaults,
// hand-edited values, users and groups, id generation and authentication.
#include <cstring>
#include <string>

#include "config/config_alloc.h"
#include "support/config_fixture.h"

namespace {

TEST_F(ConfigTest, AMissingFileGivesEveryDefault) {
  memset(&settings_, 0xA5, sizeof settings_);
  ASSERT_TRUE(Load());
  EXPECT_EQ(settings_.display, DISPLAY_EXPORTS);
  EXPECT_EQ(settings_.genUid, 400u);
  EXPECT_EQ(settings_.genGid, 800u);
  EXPECT_EQ(settings_.prefTransferSize, 1024);
  EXPECT_EQ(settings_.timestamp, 57568u);
  EXPECT_STREQ(settings_.logFile, "");
  for (uint32_t on :
       {settings_.consoleLog, settings_.debugMode, settings_.enabled, settings_.logFileLog,
        settings_.logFileTrunc, settings_.pcnfsEnabled, settings_.portMapEnabled,
        settings_.startMinimized, settings_.exportUnixStyle})
    EXPECT_EQ(on, 0u);
  EXPECT_EQ(memcmp(&settings_.winpos, &kDefaultWinpos, sizeof kDefaultWinpos), 0);
  EXPECT_EQ(FirstUser(), nullptr);
  EXPECT_EQ(FirstGroup(), nullptr);
}

TEST_F(ConfigTest, HandEditedValuesAreReadByTheFilesRulesAndCutToTheirFields) {
  std::string longLog = "c:\\logs\\" + std::string(200, 'l');
  WriteIni(
      "[TOLMID]\r\nEnabled = On\r\ndisplay=Pm\r\nportmapenabled=yes\r\n"
      "preftransfersize=70000\r\ntimestamp=4294967295\r\nwinpos=10,10,5,300\r\n"
      "display=exp\r\nlogfile=" +
      longLog + "\r\ngenUID=\r\n");
  ASSERT_TRUE(Load());
  EXPECT_EQ(settings_.enabled, 1u);
  EXPECT_EQ(settings_.display, DISPLAY_PORTMAP);  // the first of two keys counts
  EXPECT_EQ(settings_.portMapEnabled, 0u);
  EXPECT_EQ(settings_.prefTransferSize, (uint16_t)70000);
  EXPECT_EQ(settings_.timestamp, 4294967295u);
  EXPECT_EQ(memcmp(&settings_.winpos, &kDefaultWinpos, sizeof kDefaultWinpos), 0);
  EXPECT_EQ(std::string(settings_.logFile), longLog.substr(0, 159));
  EXPECT_EQ(settings_.genUid, 400u);  // empty counts as absent
}

TEST_F(ConfigTest, SaveSettingWritesOneKeyOrOneGroupInItsOrder) {
  memset(&settings_, 0, sizeof settings_);  // padding too: the records are compared whole
  settings_.genUid = 400;                   // defaults: not saved here, read back as defaults
  settings_.genGid = 800;
  settings_.enabled = 1;
  settings_.prefTransferSize = 8192;
  settings_.portMapEnabled = 1;
  settings_.display = DISPLAY_PORTMAP;
  settings_.timestamp = 4000000000u;
  settings_.winpos = {5, 6, 700, 800};
  strcpy(settings_.logFile, "c:\\tolmid.log");
  strcpy(settings_.version, "1.2.7");
  SaveSetting(kIni, &settings_, SETTING_SERVER_DIALOG);
  std::string text = IniText();
  const char* order[] = {"enabled=ON",        "preftransfersize=8192", "pcnfsenabled=OFF",
                         "portmapenabled=ON", "startminimized=OFF",    "exportunixstyle=OFF"};
  size_t at = 0;
  for (const char* line : order) {
    size_t found = text.find(line);
    ASSERT_NE(found, std::string::npos) << line;
    EXPECT_GT(found, at) << line;
    at = found;
  }
  EXPECT_EQ(text.find("display"), std::string::npos);

  for (SettingKey key : {SETTING_DISPLAY, SETTING_TIMESTAMP, SETTING_WINPOS, SETTING_VERSION,
                         SETTING_LOG_FILE_SETUP})
    SaveSetting(kIni, &settings_, key);
  EXPECT_EQ(Value("tolmid", "display"), "PM");
  EXPECT_EQ(Value("tolmid", "timestamp"), "4000000000");
  EXPECT_EQ(Value("tolmid", "winpos"), "5,6,700,800");
  EXPECT_EQ(Value("tolmid", "version"), "1.2.7");
  EXPECT_EQ(Value("tolmid", "logfiletrunc"), "OFF");
  EXPECT_EQ(Value("tolmid", "consolelog"), "<absent>");

  ServerSettings again;
  memset(&again, 0, sizeof again);
  ASSERT_TRUE(LoadSettings(kIni, &again));
  memset(settings_.version, 0, sizeof settings_.version);  // written, never read
  EXPECT_EQ(memcmp(&again, &settings_, sizeof again), 0);
}

TEST_F(ConfigTest, UsersLoadUpToTheFirstMissingSectionWithTheirFieldsCut) {
  WriteIni(
      "[TOLmid_user_01]\nusername=alice\npassword=plain\nuid=500\ngid=100\n"
      "secondarygids= 101 102 oops 103\n"
      "[TOLmid_user_02]\nusername=" +
      std::string(40, 'b') + "\npassword=" + std::string(80, 'p') +
      "\nuid=\ngid=\n"
      "[TOLmid_user_04]\nusername=dave\n");
  ASSERT_TRUE(Load());
  UserEntry* alice = FirstUser();
  ASSERT_NE(alice, nullptr);
  EXPECT_EQ(alice->index, 1u);
  EXPECT_STREQ(alice->password, "plain");
  EXPECT_EQ(alice->uid, 500u);
  EXPECT_EQ(alice->gidCount, 2u);
  EXPECT_EQ(alice->gids[1], 102u);
  UserEntry* second = alice->next;
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(std::string(second->username), std::string(31, 'b'));
  EXPECT_EQ(std::string(second->password), std::string(63, 'p'));
  EXPECT_EQ(second->uid, 0u);
  EXPECT_EQ(second->next, nullptr);
  EXPECT_EQ(FindUserByName("dave"), nullptr);
}

TEST_F(ConfigTest, ASavedUserReadsBackWithItsScrambledPassword) {
  ASSERT_TRUE(Load());
  UserEntry* user = NewUser();
  ASSERT_NE(user, nullptr);
  strcpy(user->username, "carol");
  strcpy(user->password, "se cr=t[]\x1c");
  user->uid = 501;
  user->gid = 100;
  user->gidCount = 2;
  user->gids[0] = 7;
  user->gids[1] = 8;
  SaveUser(kIni, user, SAVE_WHOLE);
  EXPECT_EQ(user->index, 1u);
  EXPECT_NE(IniText().find("secondarygids= 7 8"), std::string::npos);
  EXPECT_EQ(Value("TOLmid_user_01", "password")[0], '\x7F');
  FreeUserList();
  ASSERT_TRUE(Load());
  ASSERT_NE(FirstUser(), nullptr);
  EXPECT_STREQ(FirstUser()->password, "se cr=t[]\x1c");
  EXPECT_EQ(FirstUser()->gids[1], 8u);
}

TEST_F(ConfigTest, RemovedRecordsAreReusedFirstAndNewOnesTakeTheNextSection) {
  WriteIni(
      "[TOLmid_user_01]\nusername=alice\nuid=400\n"
      "[TOLmid_user_02]\nusername=<<UNUSED>>\nuid=401\n"
      "[TOLmid_group_01]\ngroupname=<<UNUSED>>\ngid=800\n"
      "[TOLmid_group_02]\ngroupname=staff\ngid=801\n");
  ASSERT_TRUE(Load());
  // The removed user still holds uid 401, the removed group frees gid 800.
  EXPECT_EQ(NextUid(kIni, &settings_), 402u);
  EXPECT_EQ(Value("tolmid", "genUID"), "403");
  EXPECT_EQ(NextGid(kIni, &settings_), 800u);
  EXPECT_EQ(Value("tolmid", "genGID"), "801");
  EXPECT_EQ(NextGid(kIni, &settings_), 802u);
  EXPECT_EQ(FindUserByUid(401)->index, 2u);
  EXPECT_EQ(FindGroupByGid(800), nullptr);

  UserEntry* reused = NewUser();
  ASSERT_NE(reused, nullptr);
  EXPECT_EQ(reused->index, 2u);
  EXPECT_EQ(reused->uid, 0u);
  strcpy(reused->username, "bob");
  SaveUser(kIni, reused, SAVE_WHOLE);
  UserEntry* appended = NewUser();
  strcpy(appended->username, "carl");
  SaveUser(kIni, appended, SAVE_WHOLE);
  EXPECT_EQ(appended->index, 3u);
  EXPECT_EQ(Value("TOLmid_user_02", "username"), "bob");

  // Removal saves the name alone; the other keys stay.
  strcpy(appended->username, kUnusedName);
  SaveUser(kIni, appended, SAVE_NAME_ONLY);
  EXPECT_EQ(Value("TOLmid_user_03", "username"), kUnusedName);
  EXPECT_EQ(Value("TOLmid_user_03", "uid"), "0");

  GroupEntry* group = NewGroup();
  EXPECT_EQ(group->index, 1u);
  strcpy(group->groupname, "wheel");
  group->gid = 10;
  SaveGroup(kIni, group, SAVE_WHOLE);
  EXPECT_EQ(Value("TOLmid_group_01", "gid"), "10");
  EXPECT_EQ(FindGroupByName("WHEEL"), group);
}

TEST_F(ConfigTest, OnlyALiveUserWithTheExactPasswordAuthenticates) {
  WriteIni(
      "[TOLmid_user_01]\nusername=Alice\npassword=Secret\nuid=500\ngid=100\n"
      "[TOLmid_user_02]\nusername=<<UNUSED>>\npassword=old\nuid=501\n"
      "[TOLmid_user_03]\nusername=guest\n");
  ASSERT_TRUE(Load());
  struct Case {
    const char* name;
    const char* password;
    bool accepted;
  } cases[] = {
      {"alice", "Secret", true},    {"ALICE", "Secret", true},    {"alice", "secret", false},
      {"<<UNUSED>>", "old", false}, {"<<unused>>", "old", false}, {"guest", "", true},
      {"guest", "x", false},        {"nobody", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AuthenticateUser(c.name, c.password) != nullptr, c.accepted)
        << c.name << "/" << c.password;
  EXPECT_EQ(AuthenticateUser("alice", "Secret")->uid, 500u);
  EXPECT_EQ(AuthenticateUser((std::string("alice") + std::string(40, ' ')).c_str(), "Secret"),
            nullptr);
}

TEST_F(ConfigTest, NoMemoryWhileLoadingUsersFailsAndLeavesNoList) {
  WriteIni(
      "[TOLmid_user_01]\nusername=a\n[TOLmid_user_02]\nusername=b\n"
      "[TOLmid_group_01]\ngroupname=g\n");
  ConfigFailAllocationAfter(1);
  EXPECT_FALSE(Load());
  EXPECT_EQ(FirstUser(), nullptr);
  ConfigFailAllocationAfter(2);
  EXPECT_FALSE(Load());
  EXPECT_EQ(FirstUser(), nullptr);
  EXPECT_TRUE(Load());
}

}  // namespace
