// Menus from resources, their state, and the message sequence of a person
// working them.
#include <gtest/gtest.h>

#include "gui/person.h"
#include "menu/menu_table.h"
#include "tests/platform/gui_test_resources.h"
#include "tests/platform/gui_test_support.h"

using namespace guitest;
using wintest::Log;

namespace {

HWND MenuWindow() {
  HWND hwnd = wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetMenu(hwnd, LoadMenu(GetModuleHandle(nullptr), "mainmenu"));
  return hwnd;
}

bool IsMenuMessage(UINT m) {
  return m == WM_ENTERMENULOOP || m == WM_EXITMENULOOP || m == WM_INITMENU ||
         m == WM_INITMENUPOPUP || m == WM_MENUSELECT || m == WM_COMMAND || m == WM_SYSCOMMAND;
}

struct Step {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Step&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Step& s) {
  return out << std::hex << "{0x" << s.message << ", 0x" << s.wParam << ", 0x" << s.lParam << "}";
}

std::vector<Step> MenuSteps(HWND hwnd) {
  std::vector<Step> steps;
  for (const wintest::Seen& s : Log()) {
    if (s.hwnd == hwnd && IsMenuMessage(s.message))
      steps.push_back(Step{s.message, s.wParam, s.lParam});
  }
  return steps;
}

}  // namespace

TEST(Menus, LoadedResourcesKeepTheirStatesTextsAndRightJustifiedHelp) {
  HMENU bar = LoadMenu(nullptr, "MAINMENU");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 3);
  HMENU file = GetSubMenu(bar, 0), options = GetSubMenu(bar, 1);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuItemID(file, 0), kIdOpen);
  EXPECT_EQ(GetMenuItemID(file, 1), 0u);           // the separator
  EXPECT_EQ(GetMenuItemID(options, 2), (UINT)-1);  // a pop-up
  EXPECT_EQ(GetMenuItemID(file, 3), (UINT)-1);
  EXPECT_EQ(GetSubMenu(file, 0), nullptr);

  struct Case {
    HMENU menu;
    UINT item;
    UINT flags;
    UINT state;
  } cases[] = {
      {bar, kIdLog, MF_BYCOMMAND, MF_CHECKED},
      {bar, kIdGrey, MF_BYCOMMAND, MF_GRAYED},
      {bar, kIdDeep, MF_BYCOMMAND, 0},  // found two levels down
      {file, 1, MF_BYPOSITION, MF_SEPARATOR},
      {bar, 1, MF_BYPOSITION, (3u << 8) | MF_POPUP},  // a pop-up's count is in the high byte
      {bar, 2, MF_BYPOSITION, (1u << 8) | MF_POPUP | (MF_HELP & 0xFF)},
      {bar, 99999, MF_BYCOMMAND, (UINT)-1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetMenuState(c.menu, c.item, c.flags), c.state) << c.item;
  plat::menu::MenuItem* help = plat::menu::FindItem(bar, 2, MF_BYPOSITION);
  EXPECT_TRUE(help->type & MF_HELP);
  EXPECT_EQ(help->text, "&Help");
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(file));  // pop-ups go with their menu
  EXPECT_EQ(LoadMenu(nullptr, "NoSuchMenu"), nullptr);
}

TEST(Menus, CheckAndEnableAnswerThePreviousStateOrMinusOne) {
  HMENU bar = LoadMenu(nullptr, "MainMenu");
  EXPECT_EQ(CheckMenuItem(bar, kIdDeep, MF_BYCOMMAND | MF_CHECKED), (DWORD)MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(bar, kIdDeep, MF_BYCOMMAND | MF_UNCHECKED), (DWORD)MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(bar, 4242, MF_BYCOMMAND), (DWORD)-1);
  EXPECT_EQ(EnableMenuItem(bar, kIdGrey, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(bar, kIdGrey, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(GetSubMenu(bar, 0), 2, MF_BYPOSITION | MF_DISABLED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(bar, kIdExit, MF_BYCOMMAND), (UINT)MF_DISABLED);
  EXPECT_EQ(EnableMenuItem(bar, 4242, MF_BYCOMMAND), -1);

  HMENU file = GetSubMenu(bar, 0);
  ASSERT_TRUE(AppendMenu(file, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenu(file, MF_STRING, 40003, "De&bug"));
  EXPECT_EQ(GetMenuItemCount(file), 5);
  EXPECT_EQ(GetMenuItemID(file, 4), 40003u);
  DestroyMenu(bar);
}

TEST(Menus, AClassMenuComesWithEachTopLevelWindowAndGoesWithIt) {
  WNDCLASS wc{};
  wc.lpfnWndProc = wintest::RecordingProc;
  wc.lpszMenuName = "mainMENU";
  wc.lpszClassName = "WithMenu";
  ASSERT_TRUE(RegisterClass(&wc));
  HWND plain = wintest::MakeWindow(WS_OVERLAPPEDWINDOW);
  HWND hwnd = CreateWindow("WithMenu", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                           nullptr, nullptr);
  HMENU menu = GetMenu(hwnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  RECT withMenu, without;
  GetClientRect(hwnd, &withMenu);
  MoveWindow(plain, 0, 0, 300, 200, FALSE);
  GetClientRect(plain, &without);
  EXPECT_EQ(without.bottom - withMenu.bottom, GetSystemMetrics(SM_CYMENU));
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsMenu(menu));
}

TEST(Menus, PickingAnItemSendsTheWholeSequenceThenTheCommand) {
  HWND hwnd = MenuWindow();
  HMENU bar = GetMenu(hwnd), file = GetSubMenu(bar, 0);
  wintest::Drain();
  Log().clear();
  ASSERT_TRUE(plat::gui::PickMenuItem(hwnd, kIdExit));
  std::vector<Step> expected{
      {WM_ENTERMENULOOP, FALSE, 0},
      {WM_INITMENU, (WPARAM)bar, 0},
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), (LPARAM)bar},  // the title
      {WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE)},
      {WM_MENUSELECT, MAKEWPARAM(kIdOpen, MF_HILITE), (LPARAM)file},
      {WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR), (LPARAM)file},
      {WM_MENUSELECT, MAKEWPARAM(kIdExit, MF_HILITE), (LPARAM)file},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},  // closed
      {WM_EXITMENULOOP, FALSE, 0},
  };
  EXPECT_EQ(MenuSteps(hwnd), expected);
  wintest::Drain();  // the command is posted
  expected.push_back({WM_COMMAND, MAKEWPARAM(kIdExit, 0), 0});
  EXPECT_EQ(MenuSteps(hwnd), expected);
}

TEST(Menus, ANestedPopupIsSelectedByPositionAndOpened) {
  HWND hwnd = MenuWindow();
  HMENU options = GetSubMenu(GetMenu(hwnd), 1), more = GetSubMenu(options, 2);
  wintest::Drain();
  Log().clear();
  ASSERT_TRUE(plat::gui::PickMenuItem(hwnd, kIdDeep));
  wintest::Drain();
  std::vector<Step> steps = MenuSteps(hwnd);
  ASSERT_GT(steps.size(), 5u);
  std::vector<Step> tail(steps.begin() + 5, steps.end());  // after the Log item
  std::vector<Step> expected{
      {WM_MENUSELECT, MAKEWPARAM(kIdGrey, MF_HILITE | MF_GRAYED), (LPARAM)options},
      {WM_MENUSELECT, MAKEWPARAM(2, MF_POPUP | MF_HILITE), (LPARAM)options},
      {WM_INITMENUPOPUP, (WPARAM)more, MAKELPARAM(2, FALSE)},
      {WM_MENUSELECT, MAKEWPARAM(kIdDeep, MF_HILITE), (LPARAM)more},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {WM_EXITMENULOOP, FALSE, 0},
      {WM_COMMAND, MAKEWPARAM(kIdDeep, 0), 0},
  };
  EXPECT_EQ(tail, expected);
}

TEST(Menus, AGreyedItemExecutesNothingAndTheMenuCloses) {
  HWND hwnd = MenuWindow();
  wintest::Drain();
  Log().clear();
  EXPECT_FALSE(plat::gui::PickMenuItem(hwnd, kIdGrey));
  wintest::Drain();
  std::vector<Step> steps = MenuSteps(hwnd);
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[steps.size() - 2], (Step{WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0}));
  EXPECT_EQ(steps.back().message, (UINT)WM_EXITMENULOOP);
  EXPECT_TRUE(guitest::Seen(hwnd, WM_COMMAND).empty());
}

TEST(Menus, HighlightingWithoutChoosingLeavesWithoutACommand) {
  HWND hwnd = MenuWindow();
  HMENU file = GetSubMenu(GetMenu(hwnd), 0);
  wintest::Drain();
  Log().clear();
  {
    plat::gui::MenuSession session(hwnd);
    ASSERT_TRUE(session.OpenPopup(0));
    ASSERT_TRUE(session.Highlight(1));
  }
  wintest::Drain();
  std::vector<Step> steps = MenuSteps(hwnd);
  ASSERT_EQ(steps.size(), 7u);
  EXPECT_EQ(steps[4], (Step{WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR), (LPARAM)file}));
  EXPECT_EQ(steps[5], (Step{WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0}));
}

TEST(Menus, SystemMenuSelectionsCarryTheSysMenuFlagAndPostASysCommand) {
  HWND hwnd = MenuWindow();
  wintest::Drain();
  Log().clear();
  ASSERT_TRUE(plat::gui::PickSystemMenuItem(hwnd, SC_MINIMIZE));
  std::vector<wintest::Seen> selects = guitest::Seen(hwnd, WM_MENUSELECT);
  ASSERT_GE(selects.size(), 3u);
  for (size_t i = 0; i + 1 < selects.size(); ++i)
    EXPECT_TRUE(HIWORD(selects[i].wParam) & MF_SYSMENU) << i;
  EXPECT_EQ(LOWORD(selects[selects.size() - 2].wParam), SC_MINIMIZE);
  EXPECT_EQ(HIWORD(guitest::Seen(hwnd, WM_INITMENUPOPUP).at(0).lParam), TRUE);
  wintest::Drain();
  EXPECT_EQ(guitest::Seen(hwnd, WM_SYSCOMMAND).at(0).wParam, (WPARAM)SC_MINIMIZE);
  EXPECT_TRUE(IsIconic(hwnd));
}

TEST(Menus, TheMenuOfADisabledWindowDoesNotOpen) {
  HWND hwnd = MenuWindow();
  EnableWindow(hwnd, FALSE);
  wintest::Drain();
  Log().clear();
  EXPECT_FALSE(plat::gui::PickMenuItem(hwnd, kIdOpen));
  EXPECT_TRUE(MenuSteps(hwnd).empty());
}
