// Setup Export Directories on the headless display: exports added and removed
// while the mount daemon runs, the dialog opened from an exports line, the
// file handle table's limit; and bad input in every setup dialog's fields.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/config_alloc.h"
#include "config/export_table.h"
#include "config/group_table.h"
#include "config/user_table.h"
#include "support/setup_fixture.h"
#include "support/window_text.h"
#include "ui/ui_ids.h"

namespace {

using plat::gui::Click;
using plat::gui::FocusOn;
using plat::gui::Headless;
using plat::gui::PickComboItem;
using plat::gui::ReplaceText;

const char kUsers[] =
    "[TOLmid_user_01]\r\nusername=guest\r\npassword=\r\nuid=500\r\ngid=100\r\n"
    "[TOLmid_user_02]\r\nusername=alice\r\npassword=\r\nuid=600\r\ngid=100\r\n"
    "[TOLmid_group_01]\r\ngroupname=wheel\r\ngid=100\r\n";
const char kDataExport[] =
    "[TOLmid_export_00]\r\ndir=D:\\DATA\r\nowner=guest\r\naccess=rwxr-x---\r\n"
    "; a comment between sections\r\n";

std::string Permissions(HWND dialog) {
  std::string boxes;
  for (int id = IDC_EXPORT_OWNER_READ; id <= IDC_EXPORT_OTHER_EXECUTE; ++id)
    boxes += IsDlgButtonChecked(dialog, id) == BST_CHECKED ? "rwx"[(id - IDC_EXPORT_OWNER_READ) % 3]
                                                           : '-';
  return boxes;
}

class ExportSetup : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    for (const char* dir : {"data", "pub", "Mixed"})
      mkdir(Host(dir).c_str(), 0755);
    WriteHost("file.txt", "not a directory");
  }
  void Begin(const std::string& exports = kDataExport) {
    StartWith("portmapenabled=ON\r\nenabled=ON\r\npcnfsenabled=ON", kUsers + exports);
    before_ = Ini();
  }
  std::string before_;
};

TEST_F(ExportSetup, AnAddedExportIsMountableAtOnceAndARemovedOneIsGoneAtOnce) {
  Begin();
  EXPECT_EQ(Mount("/d/pub"), 2);
  InDialog(IDM_SETUP_EXPORTS,
           {[](HWND dialog) {
              EXPECT_EQ(Text(dialog, IDC_EXPORT_DIRECTORY), "D:\\DATA");
              EXPECT_EQ(Text(dialog, IDC_EXPORT_OWNER), "guest");
              EXPECT_EQ(Permissions(dialog), "rwxr-x---");
              ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\pub");
              FocusOn(GetDlgItem(dialog, IDC_EXPORT_OWNER));  // a new export, as shown
              Click(GetDlgItem(dialog, IDC_EXPORT_OWNER_READ + 8));
            },
            [](HWND dialog) {
              // The copy is no export yet; the live one answers meanwhile.
              EXPECT_EQ(Mount("/d/pub"), 2);
              EXPECT_EQ(Mount("/D/DATA"), 0);
              Click(GetDlgItem(dialog, IDOK));
            }});
  EXPECT_TRUE(NewBoxes().empty());
  EXPECT_EQ(Mount("/d/pub"), 0);
  EXPECT_EQ(ListLines(Server->exportsList),
            (std::vector<std::string>{"D:\\DATA\tguest\trwxr-x---\t   ",
                                      "d:\\pub\tguest\trwxr-x--x\t   "}));
  std::string added =
      before_ + "\r\n[TOLmid_export_01]\r\ndir=d:\\pub\r\nowner=guest\r\naccess=rwxr-x--x\r\n";
  EXPECT_EQ(Ini(), added);

  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
                                 PickComboItem(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), 1);
                                 EXPECT_EQ(Permissions(dialog), "rwxr-x--x");
                                 Click(GetDlgItem(dialog, IDC_EXPORT_REMOVE));
                                 EXPECT_EQ(Text(dialog, IDC_EXPORT_DIRECTORY), "");
                                 EXPECT_EQ(Permissions(dialog), "---------");
                                 EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                               },
                               [](HWND dialog) {
                                 EXPECT_EQ(Mount("/d/pub"), 2);  // at once, the dialog still open
                                 EXPECT_EQ(ListLines(Server->exportsList).size(), 1u);
                                 Click(GetDlgItem(dialog, IDCANCEL));  // does not undo the removal
                               }});
  EXPECT_EQ(ExportSlot(1), nullptr);
  EXPECT_EQ(FirstFreeExportSlot(), 1);
  EXPECT_EQ(Ini(), Replaced(added, "dir=d:\\pub\r\nowner=guest\r\naccess=rwxr-x--x\r\n",
                            "dir=<<UNUSED>>\r\nowner=\r\naccess=\r\nspooldir=OFF\r\n"));
}

TEST_F(ExportSetup, ADirectoryTypedInOtherCaseLoadsItsExportWhichKeepsItsSpelling) {
  Begin();
  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\pub");
             FocusOn(GetDlgItem(dialog, IDC_EXPORT_OWNER));
             PickComboItem(GetDlgItem(dialog, IDC_EXPORT_OWNER), 0);  // alice
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\data");
             FocusOn(GetDlgItem(dialog, IDC_EXPORT_OWNER));
             EXPECT_EQ(Text(dialog, IDC_EXPORT_DIRECTORY), "D:\\DATA");
             EXPECT_EQ(Text(dialog, IDC_EXPORT_OWNER), "guest");
             Click(GetDlgItem(dialog, IDC_EXPORT_OWNER_READ + 6));
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\Data");
             Click(GetDlgItem(dialog, IDOK));  // the field never left: still that export
           }});
  ASSERT_NE(ExportSlot(0), nullptr);
  EXPECT_STREQ(ExportSlot(0)->path, "D:\\DATA");
  EXPECT_EQ(ExportSlot(1), nullptr);
  EXPECT_EQ(Mount("/D/DATA"), 0);
  EXPECT_EQ(Ini(), Replaced(before_, "access=rwxr-x---\r\n", "access=rwxr-xr--\r\n"));
}

TEST_F(ExportSetup, ADoubleClickedLineOpensItsExportAndTheListIsRefilledAfter) {
  Begin(std::string(kDataExport) +
        "[TOLmid_export_01]\r\ndir=d:\\pub\r\nowner=alice\r\naccess=r-x------\r\n");
  Headless().WhenDialogIdle([](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_EXPORT_DIRECTORY), "d:\\pub");
    EXPECT_EQ(Text(dialog, IDC_EXPORT_OWNER), "alice");
    Click(GetDlgItem(dialog, IDC_EXPORT_OWNER_READ + 1));
    Click(GetDlgItem(dialog, IDOK));
  });
  ASSERT_TRUE(plat::gui::DoubleClickListItem(Server->exportsList, 1));
  Serve();
  EXPECT_FALSE(Headless().HasPendingActions());
  EXPECT_EQ(ListLines(Server->exportsList)[1], "d:\\pub\talice\trwx------\t   ");

  // Without a selected line a double click opens nothing.
  bool opened = false;
  Headless().WhenDialogIdle([&opened](HWND dialog) {
    opened = true;
    EndDialog(dialog, IDCANCEL);
  });
  SendMessage(Server->exportsList, LB_SETCURSEL, (WPARAM)-1, 0);
  SendMessage(Server->mainWindow, WM_COMMAND, MAKEWPARAM(IDC_EXPORTS_LIST, LBN_DBLCLK),
              (LPARAM)Server->exportsList);
  EXPECT_FALSE(opened);
  ForgetDisplayRecords();

  // From the menu with the port table showing, the exports list is refilled too.
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_PORTS));
  Serve();
  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\mixed");
             FocusOn(GetDlgItem(dialog, IDC_EXPORT_OWNER));
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(ListLines(Server->exportsList).size(), 3u);
}

TEST_F(ExportSetup, WithoutExportsTheFormIsEmptyAndWithoutNodesOrMemoryThereIsNone) {
  Begin("");
  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
             EXPECT_EQ(Text(dialog, IDC_EXPORT_DIRECTORY), "");
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_EXPORT_REMOVE)));
             Click(GetDlgItem(dialog, IDCANCEL));
           }});
  // Without memory for the copy, only a box.
  Headless().WhenDialogIdle([](HWND dialog) { EndDialog(dialog, IDCANCEL); });
  ConfigFailAllocationAfter(0);
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_SETUP_EXPORTS));
  Serve();
  ConfigFailAllocationAfter(-1);
  EXPECT_TRUE(Headless().HasPendingActions()) << "no dialog opened";
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Can't open dialog due to lack of memory"}));
  ForgetDisplayRecords();
  Stop();

  std::string exports;
  for (int slot = 0; slot < 10; ++slot) {
    std::string dir = "e" + std::to_string(slot);
    mkdir(Host(dir).c_str(), 0755);
    exports += "[TOLmid_export_0" + std::to_string(slot) + "]\r\ndir=d:\\" + dir +
               "\r\nowner=guest\r\naccess=rwx------\r\n";
  }
  Begin(exports);
  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\pub");
             Click(GetDlgItem(dialog, IDOK));
             Click(GetDlgItem(dialog, IDCANCEL));
           }});
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Can not add export"}));
  EXPECT_EQ(FirstFreeExportSlot(), 10);
  EXPECT_EQ(Ini(), before_);
}

// 128 characters naming d:\pub, one more than the dialog takes.
const char kLongPath[] =
    "d:\\pub\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\."
    "\\."
    "\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.\\.";
static_assert(sizeof kLongPath == 129);

// Each case fills one dialog's fields and presses OK: the box appears, the
// dialog stays open, and neither the records nor the file change.
struct BadInput {
  UINT command;
  int field;
  const char* text;  // typed, or set when `typed` is false (as a paste would)
  bool typed;
  const char* box;
};

const BadInput kBadInputs[] = {
    {IDM_SETUP_USERS, IDC_USER_UID, "12ab", true, "The uid must be a number from 0 to 4294967295"},
    {IDM_SETUP_USERS, IDC_USER_UID, "4294967296", true,
     "The uid must be a number from 0 to 4294967295"},
    {IDM_SETUP_USERS, IDC_USER_UID, "-1", true, "The uid must be a number from 0 to 4294967295"},
    {IDM_SETUP_USERS, IDC_USER_NAME, "a-name-of-thirty-two-characters!", false,
     "User names can have at most 31 characters"},
    {IDM_SETUP_USERS, IDC_USER_PASSWORD,
     "a password of sixty-four characters, one more than a record holds", false,
     "Passwords can have at most 63 characters"},
    {IDM_SETUP_GROUPS, IDC_GROUP_GID, "x1", true, "The gid must be a number from 0 to 4294967295"},
    {IDM_SETUP_GROUPS, IDC_GROUP_NAME, "a-group-name-of-thirty-two-char!", false,
     "Group names can have at most 31 characters"},
    {IDM_SETUP_EXPORTS, IDC_EXPORT_DIRECTORY, "d:\\missing", true, "Path does not exist"},
    {IDM_SETUP_EXPORTS, IDC_EXPORT_DIRECTORY, "d:\\file.txt", true, "Path does not exist"},
    {IDM_SETUP_EXPORTS, IDC_EXPORT_DIRECTORY, "pub", true, "Path does not exist"},
    {IDM_SETUP_EXPORTS, IDC_EXPORT_DIRECTORY, "q:\\", true, "Path does not exist"},
    {IDM_SETUP_EXPORTS, IDC_EXPORT_DIRECTORY, kLongPath, false, "Path does not exist"},
};

TEST_F(ExportSetup, BadInputInAnyFieldGetsItsBoxAndChangesNothing) {
  Begin();
  for (const BadInput& input : kBadInputs) {
    SCOPED_TRACE(input.text);
    InDialog(input.command, {[&input](HWND dialog) {
                               if (input.command != IDM_SETUP_EXPORTS) {
                                 // A name of its own: only the field under test is wrong.
                                 int name = input.command == IDM_SETUP_USERS ? IDC_USER_NAME
                                                                             : IDC_GROUP_NAME;
                                 ReplaceText(GetDlgItem(dialog, name), "newcomer");
                               }
                               HWND field = GetDlgItem(dialog, input.field);
                               if (input.typed) {
                                 ReplaceText(field, input.text);
                               } else {
                                 SetWindowText(field, input.text);
                               }
                               Click(GetDlgItem(dialog, IDOK));
                             },
                             [](HWND dialog) { Click(GetDlgItem(dialog, IDCANCEL)); }});
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{input.box}));
    EXPECT_EQ(Ini(), before_);
    EXPECT_EQ(FindUserByName("newcomer"), nullptr);
    EXPECT_EQ(FindGroupByName("newcomer"), nullptr);
    EXPECT_EQ(FirstFreeExportSlot(), 1);
  }

  // Typing stops at a field's limit instead.
  InDialog(IDM_SETUP_USERS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_USER_NAME), "a-name-of-thirty-two-characters!");
             EXPECT_EQ(Text(dialog, IDC_USER_NAME), "a-name-of-thirty-two-characters");
             Click(GetDlgItem(dialog, IDCANCEL));
           }});
  // An export without an owner.
  InDialog(IDM_SETUP_EXPORTS, {[](HWND dialog) {
             ReplaceText(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY), "d:\\pub");
             FocusOn(GetDlgItem(dialog, IDC_EXPORT_OWNER));
             SendDlgItemMessage(dialog, IDC_EXPORT_OWNER, CB_SETCURSEL, (WPARAM)-1, 0);
             Click(GetDlgItem(dialog, IDOK));
             EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_EXPORT_OWNER));
             Click(GetDlgItem(dialog, IDCANCEL));
           }});
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Owner needs to be specified"}));
  EXPECT_EQ(Ini(), before_);
}

}  // namespace
