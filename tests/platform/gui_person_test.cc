// A person's gestures and the notifications they bring, in Win32's order.
#include <gtest/gtest.h>

#include <string>

#include "gui/person.h"
#include "tests/platform/gui_test_support.h"

using guitest::Notification;
using guitest::Notifications;
using plat::gui::PressKey;
using wintest::Log;

namespace {

HWND Parent() {
  return wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
}

HWND Child(HWND parent, const char* cls, DWORD style, int id) {
  return CreateWindow(cls, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 200, 100, parent,
                      (HMENU)(INT_PTR)id, nullptr, nullptr);
}

std::string Text(HWND hwnd) {
  char buffer[128] = {};
  GetWindowText(hwnd, buffer, sizeof buffer);
  return buffer;
}

constexpr int kEdit = 10, kButton = 11, kCombo = 12, kList = 13;

}  // namespace

TEST(Person, ClickingAButtonTakesTheFocusFromTheFieldThenClicks) {
  HWND parent = Parent();
  HWND edit = Child(parent, "Edit", ES_AUTOHSCROLL, kEdit);
  HWND button = Child(parent, "Button", BS_PUSHBUTTON, kButton);
  ASSERT_TRUE(plat::gui::FocusOn(edit));
  Log().clear();
  ASSERT_TRUE(plat::gui::Click(button));
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{{kEdit, EN_KILLFOCUS}, {kButton, BN_CLICKED}}));
  EXPECT_EQ(GetFocus(), button);
}

TEST(Person, TypingNotifiesEveryChangeAndReplacingWithNothingDeletesOnce) {
  HWND parent = Parent();
  HWND edit = Child(parent, "Edit", ES_AUTOHSCROLL, kEdit);
  Log().clear();
  ASSERT_TRUE(plat::gui::Type(edit, "ab"));
  EXPECT_EQ(Notifications(parent), (std::vector<Notification>{{kEdit, EN_SETFOCUS},
                                                              {kEdit, EN_UPDATE},
                                                              {kEdit, EN_CHANGE},
                                                              {kEdit, EN_UPDATE},
                                                              {kEdit, EN_CHANGE}}));
  EXPECT_EQ(Text(edit), "ab");
  ASSERT_TRUE(plat::gui::ReplaceText(edit, "xyz"));
  EXPECT_EQ(Text(edit), "xyz");
  Log().clear();
  ASSERT_TRUE(plat::gui::ReplaceText(edit, ""));
  EXPECT_EQ(Text(edit), "");
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{{kEdit, EN_UPDATE}, {kEdit, EN_CHANGE}}));
}

TEST(Person, TypingIntoAnEditableComboNotifiesEditChangesAndDropsTheSelection) {
  HWND parent = Parent();
  HWND combo = Child(parent, "ComboBox", CBS_DROPDOWN, kCombo);
  SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "1024");
  SendMessage(combo, CB_ADDSTRING, 0, (LPARAM) "2048");
  SendMessage(combo, CB_SETCURSEL, 0, 0);
  Log().clear();
  ASSERT_TRUE(plat::gui::Type(combo, "2"));  // focusing selects the text: typing replaces it
  EXPECT_EQ(Text(combo), "2");
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{
                {kCombo, CBN_SETFOCUS}, {kCombo, CBN_EDITUPDATE}, {kCombo, CBN_EDITCHANGE}}));
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // with the list closed

  // With the list open, the selection follows what was typed.
  ASSERT_TRUE(plat::gui::DropDown(combo, true));
  ASSERT_TRUE(plat::gui::Type(combo, "0"));
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
}

namespace {
std::string textAtSelChange;
LRESULT selectionAtSelChange = -2;
LRESULT CALLBACK ReadsAtSelChange(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
    textAtSelChange = Text((HWND)lParam);
    selectionAtSelChange = SendMessage((HWND)lParam, CB_GETCURSEL, 0, 0);
  }
  return wintest::RecordingProc(hwnd, message, wParam, lParam);
}
}  // namespace

TEST(Person, PickingAComboEntryNotifiesInWin32sOrderAndTheTextFollowsAfterwards) {
  HWND parent = Parent();
  SetWindowLongPtr(parent, GWL_WNDPROC, (LONG_PTR)ReadsAtSelChange);
  HWND edit = Child(parent, "Edit", 0, kEdit);
  HWND combo = Child(parent, "ComboBox", CBS_DROPDOWN | CBS_SORT, kCombo);
  for (const char* text : {"zeta", "alpha", "mu"})
    SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)text);
  SetWindowText(combo, "typed");
  plat::gui::FocusOn(edit);
  Log().clear();
  ASSERT_TRUE(plat::gui::PickComboItem(combo, 1));
  EXPECT_EQ(Notifications(parent), (std::vector<Notification>{{kEdit, EN_KILLFOCUS},
                                                              {kCombo, CBN_SETFOCUS},
                                                              {kCombo, CBN_DROPDOWN},
                                                              {kCombo, CBN_SELENDOK},
                                                              {kCombo, CBN_CLOSEUP},
                                                              {kCombo, CBN_SELCHANGE}}));
  EXPECT_EQ(selectionAtSelChange, 1);
  EXPECT_EQ(textAtSelChange, "typed");  // Win32 writes the entry into the edit part afterwards
  EXPECT_EQ(Text(combo), "mu");

  HWND dropList = Child(parent, "ComboBox", CBS_DROPDOWNLIST, kCombo + 1);
  SendMessage(dropList, CB_ADDSTRING, 0, (LPARAM) "one");
  ASSERT_TRUE(plat::gui::PickComboItem(dropList, 0));
  EXPECT_EQ(textAtSelChange, "one");  // no edit part: the text is the selection
}

TEST(Person, DoubleClickingAListLineReportsTheSelectionThenTheDoubleClick) {
  HWND parent = Parent();
  HWND list = Child(parent, "ListBox", LBS_NOTIFY, kList);
  HWND quiet = Child(parent, "ListBox", 0, kList + 1);
  for (HWND l : {list, quiet}) {
    SendMessage(l, LB_ADDSTRING, 0, (LPARAM) "first");
    SendMessage(l, LB_ADDSTRING, 0, (LPARAM) "second");
  }
  Log().clear();
  ASSERT_TRUE(plat::gui::DoubleClickListItem(list, 1));
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{
                {kList, LBN_SETFOCUS}, {kList, LBN_SELCHANGE}, {kList, LBN_DBLCLK}}));
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);

  Log().clear();
  ASSERT_TRUE(plat::gui::DoubleClickListItem(quiet, 0));  // without LBS_NOTIFY
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{{kList, LBN_KILLFOCUS}, {kList + 1, LBN_SETFOCUS}}));
  EXPECT_FALSE(plat::gui::PickListItem(list, 2));
}

TEST(Person, ClicksInMultipleAndExtendedSelectionListsFollowTheirRules) {
  HWND parent = Parent();
  HWND multi = Child(parent, "ListBox", LBS_MULTIPLESEL | LBS_NOTIFY, 1);
  HWND extended = Child(parent, "ListBox", LBS_EXTENDEDSEL | LBS_NOTIFY, 2);
  for (HWND l : {multi, extended}) {
    for (const char* text : {"a", "b", "c", "d", "e"})
      SendMessage(l, LB_ADDSTRING, 0, (LPARAM)text);
  }
  auto selected = [](HWND l) {
    int items[8];
    int n = (int)SendMessage(l, LB_GETSELITEMS, 8, (LPARAM)items);
    return std::vector<int>(items, items + std::max(n, 0));
  };
  plat::gui::PickListItem(multi, 1);
  plat::gui::PickListItem(multi, 3);
  plat::gui::PickListItem(multi, 1);  // toggles off again
  EXPECT_EQ(selected(multi), std::vector<int>{3});
  EXPECT_EQ(SendMessage(multi, LB_GETCARETINDEX, 0, 0), 1);

  plat::gui::PickListItem(extended, 1);
  plat::gui::PickListItem(extended, 3, MK_SHIFT);
  EXPECT_EQ(selected(extended), (std::vector<int>{1, 2, 3}));
  plat::gui::PickListItem(extended, 0, MK_CONTROL);
  EXPECT_EQ(selected(extended), (std::vector<int>{0, 1, 2, 3}));
  plat::gui::PickListItem(extended, 4);
  EXPECT_EQ(selected(extended), std::vector<int>{4});
}

TEST(Person, LeavingAFieldReportsItsKillFocusBeforeTheNextOneHearsItsFocus) {
  HWND parent = Parent();
  HWND edit = Child(parent, "Edit", 0, kEdit);
  HWND combo = Child(parent, "ComboBox", CBS_DROPDOWN, kCombo);
  plat::gui::FocusOn(edit);
  Log().clear();
  plat::gui::FocusOn(combo);
  plat::gui::FocusOn(edit);
  EXPECT_EQ(Notifications(parent), (std::vector<Notification>{{kEdit, EN_KILLFOCUS},
                                                              {kCombo, CBN_SETFOCUS},
                                                              {kCombo, CBN_KILLFOCUS},
                                                              {kEdit, EN_SETFOCUS}}));
  // The windows themselves heard WM_KILLFOCUS and WM_SETFOCUS naming each other.
  EXPECT_EQ(GetFocus(), edit);
}

TEST(Person, NothingHappensToHiddenOrDisabledWindowsOrInsideADisabledOne) {
  HWND parent = Parent();
  HWND button = Child(parent, "Button", BS_PUSHBUTTON, kButton);
  HWND edit = Child(parent, "Edit", 0, kEdit);
  EnableWindow(parent, FALSE);
  Log().clear();
  EXPECT_FALSE(plat::gui::Click(button));
  EXPECT_FALSE(plat::gui::Type(edit, "x"));
  EnableWindow(parent, TRUE);
  ShowWindow(button, SW_HIDE);
  EXPECT_FALSE(plat::gui::Click(button));
  EXPECT_TRUE(Notifications(parent).empty());
  EXPECT_EQ(Text(edit), "");
}

TEST(Person, SpaceOnAFocusedCheckBoxClicksIt) {
  HWND parent = Parent();
  HWND check = Child(parent, "Button", BS_AUTOCHECKBOX, kButton);
  plat::gui::FocusOn(check);
  Log().clear();
  ASSERT_TRUE(PressKey(VK_SPACE));
  EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Notifications(parent), (std::vector<Notification>{{kButton, BN_CLICKED}}));
}
