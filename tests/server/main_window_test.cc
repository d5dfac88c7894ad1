// The main window on the headless display: the status bar's layout, the menu's
// help lines, the two displays and their lists, and the commands of the menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/person.h"
#include "portmap/portmap_table.h"
#include "support/server_fixture.h"
#include "support/window_text.h"
#include "ui/main_window.h"
#include "ui/status_bar.h"
#include "ui/ui_ids.h"

namespace {

using plat::gui::MenuSession;

// Every text the window shows, in drawing order.
std::string ShownText(HWND hwnd) {
  std::string all;
  for (const plat::gdi::DrawOp& op : plat::gui::Headless().Picture(hwnd)) {
    if (op.kind == plat::gdi::DrawOp::Kind::kText) all += plat::gdi::VisibleText(op) + "|";
  }
  return all;
}

class MainWindow : public ServerTest {
 protected:
  void StartWith(const std::string& keys, const std::string& sections = "") {
    WriteSettings(keys, sections);
    ASSERT_TRUE(Start());
    Serve();
  }
};

TEST_F(MainWindow, TheStatusBarGivesSpareWidthToPaneZeroAndNarrowsFromTheRight) {
  StartWith("");
  StatusBar& bar = Server->statusBar;
  int b = bar.b;
  // Pane 1 is 20 average characters, or wider when a service state needs it.
  int pane0 = 40 * bar.averageCharWidth;
  int pane1 = std::max(20 * bar.averageCharWidth, bar.panes[1].textPixels);

  // Wide: pane 0 takes every spare pixel; pane 1 ends 9b from the right edge.
  int wide = 9 * b + pane0 + 10 * b + pane1 + b + 9 * b + 200;
  PlaceStatusBar(Server, wide, 400);
  EXPECT_EQ(bar.panes[0].left, 9 * b);
  EXPECT_EQ(bar.panes[0].widthPixels, pane0 + 200);
  EXPECT_TRUE(bar.panes[1].laidOut);
  EXPECT_EQ(bar.panes[1].left + bar.panes[1].widthPixels + b, wide - 9 * b);

  // A little narrower than both: pane 1 gives way first.
  int narrow = wide - 200 - 30;
  PlaceStatusBar(Server, narrow, 400);
  EXPECT_EQ(bar.panes[0].widthPixels, pane0);
  EXPECT_EQ(bar.panes[1].widthPixels, pane1 - 30);

  // Too narrow even for pane 0: it is narrowed and pane 1 is not laid out.
  PlaceStatusBar(Server, 9 * b + pane0 / 2 + b + 9 * b, 400);
  EXPECT_EQ(bar.panes[0].widthPixels, pane0 / 2);
  EXPECT_FALSE(bar.panes[1].laidOut);
  EXPECT_EQ(bar.rect.bottom - bar.rect.top, bar.height);
}

TEST_F(MainWindow, MenuHelpFollowsTheHighlightAndComesBackWhenTheMenuCloses) {
  StartWith("");
  SetStatusText(0, "before", FALSE);
  {
    MenuSession menu(Server->mainWindow);
    ASSERT_TRUE(menu.OpenPopup(2));  // &Options
    EXPECT_STREQ(Server->pane0Text, "Options Menu");
    ASSERT_TRUE(menu.Highlight(1));  // &Log File Setup
    EXPECT_STREQ(Server->pane0Text, "Specify the name of the logfile");
    ASSERT_TRUE(menu.Highlight(2));  // the separator
    EXPECT_STREQ(Server->pane0Text, "");
    ASSERT_TRUE(menu.OpenPopup(3));  // &Help, at the right end
    EXPECT_STREQ(Server->pane0Text, "Get help about the Brevant NFS Server");
  }
  EXPECT_STREQ(Server->pane0Text, "before");
  SendMessage(Server->mainWindow, WM_MENUSELECT, MAKEWPARAM(12345, MF_STRING),
              (LPARAM)Server->optionsMenu);
  EXPECT_STREQ(Server->pane0Text, "Unknown Item");
  EXPECT_NE(ShownText(Server->mainWindow).find("Unknown Item"), std::string::npos);
}

TEST_F(MainWindow, SwitchingDisplaysChangesHeadingListAndSetting) {
  std::string sections =
      "[TOLmid_user_01]\r\nusername=guest\r\nuid=500\r\ngid=100\r\n"
      "[TOLmid_export_00]\r\ndir=d:\\\r\nowner=guest\r\naccess=rwxr-x---\r\n";
  StartWith("portmapenabled=ON\r\nenabled=ON", sections);
  EXPECT_TRUE(IsWindowVisible(Server->exportsList));
  EXPECT_FALSE(IsWindowVisible(Server->portList));
  EXPECT_FALSE(IsWindowVisible(Server->hiddenList));
  EXPECT_EQ(ListLines(Server->exportsList),
            (std::vector<std::string>{"d:\\\tguest\trwxr-x---\t   "}));
  EXPECT_NE(ShownText(Server->mainWindow).find("Exports|Directory|Owner|Permissions|"),
            std::string::npos);

  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_PORTS));
  Serve();
  EXPECT_TRUE(IsWindowVisible(Server->portList));
  EXPECT_FALSE(IsWindowVisible(Server->exportsList));
  EXPECT_EQ(GetMenuState(Server->displayMenu, IDM_PORTS, MF_BYCOMMAND) & MF_CHECKED,
            (UINT)MF_CHECKED);
  EXPECT_NE(ShownText(Server->mainWindow).find("Port Mapper Table|Program Number|Version|"),
            std::string::npos);
  EXPECT_EQ(ListLines(Server->portList),
            (std::vector<std::string>{"   100003\t      2\t  UDP\t2049\tNFS File Service",
                                      "   100005\t      1\t  UDP\t1058\tNFS Mount Service"}));
  EXPECT_NE(ReadHost("TOLMID.INI").find("display=PM"), std::string::npos);

  // The list shows the table as it was when chosen; choosing it again changes nothing.
  Mapping other{300000, 1, 99, 7000};
  ASSERT_TRUE(SetMapping(&other, ""));
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_PORTS));
  Serve();
  EXPECT_EQ(ListLines(Server->portList).size(), 2u);
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_EXPORTS));
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_PORTS));
  Serve();
  EXPECT_EQ(ListLines(Server->portList).back(), "   300000\t      1\t  unkown\t7000\t");
}

TEST_F(MainWindow, AnotherDisplaySettingStartsWithThePortMapperTable) {
  StartWith("display=Pm");
  EXPECT_TRUE(IsWindowVisible(Server->portList));
  EXPECT_FALSE(IsWindowVisible(Server->exportsList));
  EXPECT_EQ(GetMenuState(Server->displayMenu, IDM_PORTS, MF_BYCOMMAND) & MF_CHECKED,
            (UINT)MF_CHECKED);
}

TEST_F(MainWindow, LogToFileIsGreyWithoutALogFileAndCheckedWhileLogging) {
  StartWith("");
  MenuSession menu(Server->mainWindow);
  ASSERT_TRUE(menu.OpenPopup(2));
  EXPECT_EQ(
      GetMenuState(Server->optionsMenu, IDM_LOG_TO_FILE, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED),
      (UINT)MF_CHECKED);
  menu.Close();

  Server->log.logFileName[0] = 0;
  MenuSession again(Server->mainWindow);
  ASSERT_TRUE(again.OpenPopup(2));
  EXPECT_EQ(GetMenuState(Server->optionsMenu, IDM_LOG_TO_FILE, MF_BYCOMMAND) & MF_GRAYED,
            (UINT)MF_GRAYED);
}

TEST_F(MainWindow, TheDebugItemAppearsOnlyInDebugModeAndDoesNothingWithoutADebugger) {
  StartWith("debug_mode=ON");
  int count = GetMenuItemCount(Server->fileMenu);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(GetMenuItemID(Server->fileMenu, 2), (UINT)IDM_DEBUG);
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_DEBUG));
  Serve();  // still here
  EXPECT_TRUE(IsWindow(Server->mainWindow));
}

TEST_F(MainWindow, ExitClosesTheWindowAndEndsTheLoop) {
  StartWith("");
  ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, IDM_EXIT));
  MSG msg;
  int guard = 0;
  while (GetMessage(&msg, nullptr, 0, 0) && ++guard < 1000)
    DispatchMessage(&msg);
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_FALSE(IsWindow(Server->mainWindow));
}

}  // namespace
