// Setup User and Setup User Groups on the headless display: new and changed
// records saved whole at once and answering PCNFSD at once, ids kept unique,
// the secondary groups' two modes, removals that keep their sections.
#include <gtest/gtest.h>

#include "config/group_table.h"
#include "config/password_scramble.h"
#include "config/user_table.h"
#include "support/setup_fixture.h"
#include "support/window_text.h"
#include "ui/ui_ids.h"

namespace {

using plat::gui::Click;
using plat::gui::FocusOn;
using plat::gui::PickComboItem;
using plat::gui::PickListItem;
using plat::gui::ReplaceText;

// guest owns the export; user 02 was removed and still holds uid 401 and
// primary gid 802.
const char kSections[] =
    "[TOLmid_user_01]\r\nusername=guest\r\npassword=\r\nuid=400\r\ngid=100\r\n"
    "secondarygids= 800\r\n"
    "[TOLmid_user_02]\r\nusername=<<UNUSED>>\r\npassword=old\r\nuid=401\r\ngid=802\r\n"
    "; alice came later\r\n"
    "[TOLmid_user_03]\r\nusername=alice\r\npassword=\r\nuid=600\r\ngid=100\r\n"
    "secondarygids= 801\r\nhome=d:\\alice\r\n"
    "[TOLmid_group_01]\r\ngroupname=wheel\r\ngid=100\r\n"
    "[TOLmid_group_02]\r\ngroupname=staff\r\ngid=800\r\n"
    "[TOLmid_group_03]\r\ngroupname=users\r\ngid=801\r\n"
    "[TOLmid_group_04]\r\ngroupname=ops\r\ngid=802\r\n"
    "[TOLmid_export_00]\r\ndir=d:\\data\r\nowner=guest\r\naccess=rwxr-x---\r\n";

int ComboIndex(HWND dialog, int id, const char* entry) {
  return (int)SendDlgItemMessage(dialog, id, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry);
}

std::vector<std::string> ListNames(HWND dialog, int id, bool selectedOnly = false) {
  std::vector<std::string> names;
  int count = (int)SendDlgItemMessage(dialog, id, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    if (selectedOnly && SendDlgItemMessage(dialog, id, LB_GETSEL, i, 0) <= 0) continue;
    char name[64] = {};
    SendDlgItemMessage(dialog, id, LB_GETTEXT, i, (LPARAM)name);
    names.push_back(name);
  }
  return names;
}

bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id));
}

std::string Scrambled(const char* password) {
  char stored[kScrambledSize];
  ScramblePassword(password, stored);
  return stored;
}

// The removed user's record is the first a new user takes.
const char kReusedSection[] =
    "[TOLmid_user_02]\r\nusername=<<UNUSED>>\r\npassword=old\r\nuid=401\r\ngid=802\r\n";

class UserSetup : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    mkdir(Host("data").c_str(), 0755);
  }
  void Begin(const std::string& moreSections = "") {
    StartWith("portmapenabled=ON\r\npcnfsenabled=ON\r\ngenUID=400", kSections + moreSections);
    before_ = Ini();
  }
  std::string before_;
};

TEST_F(UserSetup, ANewUserIsSavedWholeAndAuthenticatesOnlyOnceConfirmed) {
  Begin();
  InDialog(IDM_SETUP_USERS,
           {[](HWND dialog) {
              // The alphabetically first user, with its groups fixed until "Change".
              EXPECT_EQ(Text(dialog, IDC_USER_NAME), "alice");
              EXPECT_EQ(Text(dialog, IDC_USER_UID), "600");
              EXPECT_EQ(Text(dialog, IDC_USER_GROUP), "wheel");
              EXPECT_EQ(ListNames(dialog, IDC_USER_SECONDARY), (std::vector<std::string>{"users"}));
              EXPECT_FALSE(Enabled(dialog, IDC_USER_UNIQUE_ID) || Enabled(dialog, IDC_USER_ACCEPT));
              ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "carol");
              ReplaceText(GetDlgItem(dialog, IDC_USER_PASSWORD), "pass word ");
              Click(GetDlgItem(dialog, IDC_USER_UNIQUE_ID));
              EXPECT_EQ(Text(dialog, IDC_USER_UID), "402");  // 400 and the removed 401 are taken
              EXPECT_FALSE(Enabled(dialog, IDC_USER_UNIQUE_ID));
              PickComboItem(GetDlgItem(dialog, IDC_USER_GROUP),
                            ComboIndex(dialog, IDC_USER_GROUP, "users"));
              Click(GetDlgItem(dialog, IDC_USER_CHANGE));
              // Every group but the primary one; alice's "users" is the primary now.
              EXPECT_EQ(ListNames(dialog, IDC_USER_SECONDARY),
                        (std::vector<std::string>{"ops", "staff", "wheel"}));
              PickListItem(GetDlgItem(dialog, IDC_USER_SECONDARY), 0);
              PickListItem(GetDlgItem(dialog, IDC_USER_SECONDARY), 1);
            },
            [](HWND dialog) {
              // Requests meanwhile see the live users only.
              EXPECT_EQ(Authenticate("carol", "pass word "), 2);
              EXPECT_EQ(Authenticate("alice", ""), 0);
              Click(GetDlgItem(dialog, IDOK));  // takes the selection without "Accept"
            }});
  EXPECT_TRUE(NewBoxes().empty());
  EXPECT_EQ(Authenticate("carol", "pass word "), 0);
  // The new user takes the removed user's record and section.
  std::string expected = Replaced(before_, "genUID=400\r\n", "genUID=403\r\n");
  expected = Replaced(expected, kReusedSection,
                      "[TOLmid_user_02]\r\nusername=carol\r\npassword=" + Scrambled("pass word ") +
                          "\r\nuid=402\r\ngid=801\r\nsecondarygids= 802 800\r\n");
  EXPECT_EQ(Ini(), expected);
  EXPECT_STREQ(FindUserByName("alice")->username, "alice");  // the loaded user is untouched
}

TEST_F(UserSetup, SecondaryGroupsChangeOnlyAfterChangeAndNeverPastEight) {
  std::string groups;
  for (int i = 5; i <= 12; ++i) {
    char section[96];
    snprintf(section, sizeof section, "[TOLmid_group_%02d]\r\ngroupname=g%d\r\ngid=%d\r\n", i, i,
             900 + i);
    groups += section;
  }
  Begin(groups);
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             PickComboItem(GetDlgItem(dialog, IDC_USER_NAME),
                           ComboIndex(dialog, IDC_USER_NAME, "guest"));
             EXPECT_EQ(Text(dialog, IDC_USER_UID), "400");
             PickListItem(GetDlgItem(dialog, IDC_USER_SECONDARY), 0);
             EXPECT_TRUE(ListNames(dialog, IDC_USER_SECONDARY, true).empty());
             Click(GetDlgItem(dialog, IDC_USER_CHANGE));
             EXPECT_TRUE(Enabled(dialog, IDC_USER_ACCEPT) && !Enabled(dialog, IDC_USER_CHANGE));
             EXPECT_EQ(ListNames(dialog, IDC_USER_SECONDARY, true),
                       (std::vector<std::string>{"staff"}));
             // g10 .. g8 and ops: the list holds g10 g11 g12 g5 ... g9 ops staff users.
             for (int i = 0; i < 8; ++i)
               PickListItem(GetDlgItem(dialog, IDC_USER_SECONDARY), i);
             EXPECT_EQ(ListNames(dialog, IDC_USER_SECONDARY, true).size(), 8u);
             Click(GetDlgItem(dialog, IDC_USER_ACCEPT));
             EXPECT_EQ(ListNames(dialog, IDC_USER_SECONDARY).size(), 8u);
             EXPECT_TRUE(ListNames(dialog, IDC_USER_SECONDARY, true).empty());
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{
                            "Push the 'Change' button to modify the user's Secondary Groups",
                            "The maximum of 8 secondary groups are already defined"}));
  // A replaced value keeps the blank its line had after "=".
  EXPECT_EQ(Ini(), Replaced(before_, "secondarygids= 800\r\n",
                            "secondarygids=  910 911 912 905 906 907 908 800\r\n"));
  EXPECT_EQ(FindUserByName("guest")->gidCount, 8u);
}

TEST_F(UserSetup, UidsStayUniqueRemovedUsersIncluded) {
  Begin();
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "dave");
             ReplaceText(GetDlgItem(dialog, IDC_USER_UID), "401");
             Click(GetDlgItem(dialog, IDOK));
             EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_USER_UID));
             EXPECT_TRUE(Enabled(dialog, IDC_USER_UNIQUE_ID));
             // A new name typed over a loaded user keeps that user's other fields.
             PickComboItem(GetDlgItem(dialog, IDC_USER_NAME),
                           ComboIndex(dialog, IDC_USER_NAME, "alice"));
             ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "alice2");
             Click(GetDlgItem(dialog, IDOK));
             Click(GetDlgItem(dialog, IDC_USER_UNIQUE_ID));
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{
                            "401 is not a unique uid, currently belongs to user <<UNUSED>>",
                            "600 is not a unique uid, currently belongs to user alice"}));
  std::string expected = Replaced(before_, "genUID=400\r\n", "genUID=403\r\n");
  EXPECT_EQ(Ini(), Replaced(expected, kReusedSection,
                            "[TOLmid_user_02]\r\nusername=alice2\r\npassword=\r\nuid=402\r\n"
                            "gid=100\r\nsecondarygids= 801\r\n"));

  // A user's own uid and a group's own gid are theirs however the name is typed.
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             PickComboItem(GetDlgItem(dialog, IDC_USER_NAME),
                           ComboIndex(dialog, IDC_USER_NAME, "alice"));
             ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "ALICE");
             Click(GetDlgItem(dialog, IDOK));
           }});
  InDialog(IDM_SETUP_GROUPS, {[](HWND dialog) {
             PickComboItem(GetDlgItem(dialog, IDC_GROUP_NAME),
                           ComboIndex(dialog, IDC_GROUP_NAME, "wheel"));
             ReplaceText(GetDlgItem(dialog, IDC_GROUP_NAME), "Wheel");
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(NewBoxes(), std::vector<std::string>{});
}

TEST_F(UserSetup, RemoveMarksTheNameOnlyRefusesExportOwnersAndCancelKeepsIt) {
  Begin();
  InDialog(IDM_SETUP_USERS,
           {[](HWND dialog) {
              PickComboItem(GetDlgItem(dialog, IDC_USER_NAME),
                            ComboIndex(dialog, IDC_USER_NAME, "guest"));
              Click(GetDlgItem(dialog, IDC_USER_REMOVE));
              PickComboItem(GetDlgItem(dialog, IDC_USER_NAME),
                            ComboIndex(dialog, IDC_USER_NAME, "alice"));
              Click(GetDlgItem(dialog, IDC_USER_REMOVE));
              EXPECT_EQ(Text(dialog, IDC_USER_NAME), "");
              EXPECT_FALSE(Enabled(dialog, IDOK) || Enabled(dialog, IDC_USER_REMOVE));
              EXPECT_EQ(ComboIndex(dialog, IDC_USER_NAME, "alice"), CB_ERR);
            },
            [](HWND dialog) {
              EXPECT_EQ(Authenticate("alice", ""), 2);  // at once, the dialog still open
              Click(GetDlgItem(dialog, IDCANCEL));
            }});
  EXPECT_EQ(NewBoxes(),
            (std::vector<std::string>{"Can't Remove users who are the owner of an export"}));
  std::string removed =
      Replaced(before_, "username=alice\r\n", "username=<<UNUSED>>\r\n");  // the rest stays
  EXPECT_EQ(Ini(), removed);

  // A new name typed over the first user shown keeps that user's other fields,
  // and takes the first removed record.
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             EXPECT_EQ(Text(dialog, IDC_USER_NAME), "guest");
             ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "erin");
             Click(GetDlgItem(dialog, IDC_USER_UNIQUE_ID));
             Click(GetDlgItem(dialog, IDOK));
           }});
  std::string reused = Replaced(removed, "genUID=400\r\n", "genUID=403\r\n");
  reused = Replaced(reused, kReusedSection,
                    "[TOLmid_user_02]\r\nusername=erin\r\npassword=\r\nuid=402\r\ngid=100\r\n"
                    "secondarygids= 800\r\n");
  EXPECT_EQ(Ini(), reused);
  EXPECT_EQ(Authenticate("erin", ""), 0);
}

TEST_F(UserSetup, EditsSurviveGoingBackToTheNameField) {
  Begin();
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_USER_PASSWORD), "new secret");
             FocusOn(GetDlgItem(dialog, IDC_USER_NAME));
             Click(GetDlgItem(dialog, IDOK));  // the name field is left once more
           }});
  EXPECT_TRUE(NewBoxes().empty());
  EXPECT_EQ(Authenticate("alice", "new secret"), 0);
}

class GroupSetup : public UserSetup {};

TEST_F(GroupSetup, NewGroupsTakeUniqueGidsAndARemovedGroupsGidIsFreeAtOnce) {
  Begin();
  InDialog(IDM_SETUP_GROUPS, {[](HWND dialog) {
             EXPECT_EQ(Text(dialog, IDC_GROUP_NAME), "ops");
             EXPECT_EQ(Text(dialog, IDC_GROUP_GID), "802");
             ReplaceText(GetDlgItem(dialog, IDC_GROUP_NAME), "qa");
             Click(GetDlgItem(dialog, IDOK));  // 802 is ops's
             EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_GROUP_GID));
             Click(GetDlgItem(dialog, IDC_GROUP_UNIQUE_ID));
             EXPECT_EQ(Text(dialog, IDC_GROUP_GID), "803");
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(NewBoxes(),
            (std::vector<std::string>{"802 is not a unique gid, currently belongs to group ops"}));
  std::string expected = Replaced(before_, LineOf(before_, "timestamp"),
                                  LineOf(before_, "timestamp") + "genGID=804\r\n");
  expected += "\r\n[TOLmid_group_05]\r\ngid=803\r\ngroupname=qa\r\n";
  EXPECT_EQ(Ini(), expected);

  // A primary group can't go, even a removed user's; staff can, and leaves
  // every user's secondary groups, in memory and in the file.
  InDialog(IDM_SETUP_GROUPS, {[](HWND dialog) {
             Click(GetDlgItem(dialog, IDC_GROUP_REMOVE));  // ops, the removed user's primary
             PickComboItem(GetDlgItem(dialog, IDC_GROUP_NAME),
                           ComboIndex(dialog, IDC_GROUP_NAME, "staff"));
             Click(GetDlgItem(dialog, IDC_GROUP_REMOVE));
             EXPECT_EQ(Text(dialog, IDC_GROUP_GID), "");
             ReplaceText(GetDlgItem(dialog, IDC_GROUP_NAME), "staff2");
             ReplaceText(GetDlgItem(dialog, IDC_GROUP_GID), "800");
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Group ops can not be delete because it is the "
                                                  "primary group of at least one user"}));
  EXPECT_EQ(FindUserByName("guest")->gidCount, 0u);
  expected = Replaced(expected, "secondarygids= 800\r\n", "secondarygids= \r\n");
  expected =
      Replaced(expected, "groupname=staff\r\ngid=800\r\n", "groupname=staff2\r\ngid=800\r\n");
  EXPECT_EQ(Ini(), expected);
}

}  // namespace
