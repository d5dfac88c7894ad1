// The controls answered by messages: list boxes, combo boxes, edits, buttons
// and statics, and the notifications (or silence) each message brings.
#include <gtest/gtest.h>

#include <string>

#include "controls/control_state.h"
#include "tests/platform/gui_test_resources.h"
#include "tests/platform/gui_test_support.h"

using guitest::Notification;
using guitest::Notifications;
using wintest::Log;

namespace {

HWND Parent() {
  return wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
}

HWND Child(HWND parent, const char* cls, DWORD style, int id, int width = 200) {
  return CreateWindow(cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, 100, parent,
                      (HMENU)(INT_PTR)id, nullptr, nullptr);
}

std::string ItemText(HWND list, int index, UINT message = LB_GETTEXT) {
  char buffer[128] = {};
  SendMessage(list, message, index, (LPARAM)buffer);
  return buffer;
}

std::string Text(HWND hwnd) {
  char buffer[128] = {};
  GetWindowText(hwnd, buffer, sizeof buffer);
  return buffer;
}

// Win32's average character width of a font: the 52 letters' extent, halved over 26.
int AverageWidth(HFONT font) {
  HDC dc = GetDC(nullptr);
  SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
  SIZE size;
  GetTextExtentPoint32(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
  ReleaseDC(nullptr, dc);
  return (size.cx / 26 + 1) / 2;
}

}  // namespace

TEST(ListBox, ClassNamesMatchWithoutRegardToCase) {
  HWND parent = Parent();
  HWND list = Child(parent, "LISTBOX", 0, 1);
  ASSERT_NE(list, nullptr);
  char name[32];
  GetClassName(list, name, sizeof name);
  EXPECT_STREQ(name, "ListBox");
  EXPECT_NE(Child(parent, "combobox", 0, 2), nullptr);
  EXPECT_NE(Child(parent, "eDiT", 0, 3), nullptr);
}

TEST(ListBox, SortsWithoutRegardToCaseAndSearchesFromAnItemRoundTheEnd) {
  HWND list = Child(Parent(), "ListBox", LBS_SORT, 1);
  for (const char* text : {"beta", "Alpha", "gamma", "alpha2"})
    SendMessage(list, LB_ADDSTRING, 0, (LPARAM)text);
  std::vector<std::string> order;
  for (int i = 0; i < SendMessage(list, LB_GETCOUNT, 0, 0); ++i)
    order.push_back(ItemText(list, i));
  EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));
  EXPECT_EQ(SendMessage(list, LB_GETTEXTLEN, 1, 0), 6);
  EXPECT_EQ(SendMessage(list, LB_GETTEXTLEN, 4, 0), LB_ERR);

  struct Case {
    UINT message;
    int after;
    const char* text;
    LRESULT expected;
  } cases[] = {
      {LB_FINDSTRING, -1, "AL", 0},         {LB_FINDSTRING, 0, "al", 1},
      {LB_FINDSTRING, 1, "AL", 0},          {LB_FINDSTRING, -1, "delta", LB_ERR},
      {LB_FINDSTRINGEXACT, -1, "ALPHA", 0}, {LB_FINDSTRINGEXACT, -1, "alph", LB_ERR},
      {LB_FINDSTRINGEXACT, 2, "BETA", 2},   {LB_FINDSTRING, 3, "", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SendMessage(list, c.message, c.after, (LPARAM)c.text), c.expected)
        << c.text << " after " << c.after;
}

TEST(ListBox, SelectionAndItemDataFollowTheirItemsAndMessagesNotifyNothing) {
  HWND parent = Parent();
  HWND list = Child(parent, "ListBox", LBS_SORT | LBS_NOTIFY, 1);
  Log().clear();
  SendMessage(list, LB_SETITEMDATA, SendMessage(list, LB_ADDSTRING, 0, (LPARAM) "m"), 13);
  SendMessage(list, LB_SETITEMDATA, SendMessage(list, LB_ADDSTRING, 0, (LPARAM) "x"), 24);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 1, 0), 1);  // "x"
  SendMessage(list, LB_ADDSTRING, 0, (LPARAM) "a");     // sorts before both
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessage(list, LB_GETITEMDATA, 2, 0), 24);
  EXPECT_EQ(SendMessage(list, LB_GETITEMDATA, 1, 0), 13);
  EXPECT_EQ(SendMessage(list, LB_GETITEMDATA, 3, 0), LB_ERR);

  EXPECT_EQ(SendMessage(list, LB_DELETESTRING, 2, 0), 2);  // the selected one
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 5, 0), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, (WPARAM)-1, 0), LB_ERR);  // and clears it
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_INSERTSTRING, 9, (LPARAM) "late"), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "late"), 2);
  EXPECT_EQ(SendMessage(list, LB_SELECTSTRING, (WPARAM)-1, (LPARAM) "LA"), 2);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_TRUE(Notifications(parent).empty());
}

TEST(ListBox, MultipleSelectionAnswersItsOwnQueriesAndRefusesSingleSelectionOnes) {
  HWND parent = Parent();
  HWND multi = Child(parent, "ListBox", LBS_MULTIPLESEL, 1);
  HWND single = Child(parent, "ListBox", 0, 2);
  for (const char* text : {"a", "b", "c", "d"}) {
    SendMessage(multi, LB_ADDSTRING, 0, (LPARAM)text);
    SendMessage(single, LB_ADDSTRING, 0, (LPARAM)text);
  }
  EXPECT_EQ(SendMessage(multi, LB_SETSEL, TRUE, 1), LB_OKAY);
  EXPECT_EQ(SendMessage(multi, LB_SETSEL, TRUE, 3), LB_OKAY);
  EXPECT_EQ(SendMessage(multi, LB_SETSEL, TRUE, 4), LB_ERR);
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 2);
  int items[4] = {-1, -1, -1, -1};
  EXPECT_EQ(SendMessage(multi, LB_GETSELITEMS, 1, (LPARAM)items), 1);  // only as many as asked
  EXPECT_EQ(items[1], -1);
  EXPECT_EQ(SendMessage(multi, LB_GETSELITEMS, 4, (LPARAM)items), 2);
  EXPECT_EQ(items[0], 1);
  EXPECT_EQ(items[1], 3);
  EXPECT_GT(SendMessage(multi, LB_GETSEL, 3, 0), 0);
  EXPECT_EQ(SendMessage(multi, LB_GETSEL, 2, 0), 0);
  EXPECT_EQ(SendMessage(multi, LB_SETCURSEL, 0, 0), LB_ERR);
  SendMessage(multi, LB_SETSEL, FALSE, -1);
  EXPECT_EQ(SendMessage(multi, LB_GETSELCOUNT, 0, 0), 0);

  EXPECT_EQ(SendMessage(single, LB_GETSELCOUNT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(single, LB_GETSELITEMS, 4, (LPARAM)items), LB_ERR);
  EXPECT_EQ(SendMessage(single, LB_SETSEL, TRUE, 1), LB_ERR);
}

TEST(ListBox, TabStopsAreQuartersOfTheListFontsAverageWidth) {
  HWND parent = Parent();
  INT stops[] = {120, 180, 240};
  HWND plain = Child(parent, "ListBox", 0, 1);
  EXPECT_FALSE(SendMessage(plain, LB_SETTABSTOPS, 3, (LPARAM)stops));

  HWND list = Child(parent, "ListBox", LBS_USETABSTOPS, 2);
  int average = AverageWidth(nullptr);
  EXPECT_EQ(plat::controls::TabStopsInPixels(list), std::vector<int>{MulDiv(32, average, 4)});
  EXPECT_TRUE(SendMessage(list, LB_SETTABSTOPS, 3, (LPARAM)stops));
  EXPECT_EQ(plat::controls::TabStopsInPixels(list),
            (std::vector<int>{MulDiv(120, average, 4), MulDiv(180, average, 4),
                              MulDiv(240, average, 4)}));

  HFONT small = CreateFont(12, 5, 0, 0, 300, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Helv");
  SendMessage(list, WM_SETFONT, (WPARAM)small, FALSE);
  int smallAverage = AverageWidth(small);
  ASSERT_NE(smallAverage, average);
  EXPECT_EQ(plat::controls::TabStopsInPixels(list)[0], MulDiv(120, smallAverage, 4));
  DestroyWindow(list);
  DeleteObject(small);
}

TEST(ComboBox, FindsExactTextWithoutRegardToCaseAndSelectsByPrefix) {
  HWND parent = Parent();
  HWND combo = Child(parent, "ComboBox", CBS_DROPDOWN | CBS_SORT, 1);
  for (const char* text : {"c:\\data", "C:\\Apps", "d:\\export"})
    SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)text);
  Log().clear();
  EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "C:\\DATA"), 1);
  EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "c:\\dat"), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "D:"), 2);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(combo), "d:\\export");
  EXPECT_EQ(SendMessage(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "x:"), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);  // unchanged
  EXPECT_EQ(ItemText(combo, 0, CB_GETLBTEXT), "C:\\Apps");
  EXPECT_EQ(SendMessage(combo, CB_GETLBTEXTLEN, 3, 0), CB_ERR);
  EXPECT_TRUE(Notifications(parent).empty());
}

TEST(ComboBox, TheEditTextAndTheSelectionFollowWin32sRules) {
  HWND parent = Parent();
  HWND combo = Child(parent, "ComboBox", CBS_DROPDOWN, 1);
  for (const char* text : {"1024", "2048", "4096"})
    SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)text);
  Log().clear();
  EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(Text(combo), "2048");
  SetWindowText(combo, "4096");  // with the list closed, text clears the selection
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, (WPARAM)-1, 0), CB_ERR);
  EXPECT_EQ(Text(combo), "");
  SendMessage(combo, CB_SETCURSEL, 0, 0);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Text(combo), "");
  EXPECT_TRUE(Notifications(parent).empty());

  HWND dropList = Child(parent, "ComboBox", CBS_DROPDOWNLIST, 2);
  SendMessage(dropList, CB_ADDSTRING, 0, (LPARAM) "one");
  SendMessage(dropList, CB_ADDSTRING, 0, (LPARAM) "two");
  EXPECT_EQ(SendMessage(dropList, WM_SETTEXT, 0, (LPARAM) "two"), CB_ERR);
  EXPECT_EQ(Text(dropList), "");
  SendMessage(dropList, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(Text(dropList), "two");
  EXPECT_EQ(SendMessage(dropList, CB_LIMITTEXT, 5, 0), CB_ERR);
}

TEST(Edit, EveryTextChangeNotifiesUpdateThenChangeAndTheLimitBindsOnlyTyping) {
  HWND parent = Parent();
  HWND edit = Child(parent, "Edit", ES_AUTOHSCROLL, 7);
  SendMessage(edit, EM_LIMITTEXT, 3, 0);
  Log().clear();
  SetWindowText(edit, "longer than three");
  EXPECT_EQ(Text(edit), "longer than three");
  EXPECT_EQ(Notifications(parent), (std::vector<Notification>{{7, EN_UPDATE}, {7, EN_CHANGE}}));
  EXPECT_EQ(SendMessage(edit, EM_GETLIMITTEXT, 0, 0), 3);

  SetWindowText(edit, "ab");
  SendMessage(edit, EM_SETSEL, 2, 2);
  Log().clear();
  SendMessage(edit, WM_CHAR, 'c', 1);
  SendMessage(edit, WM_CHAR, 'd', 1);  // one past the limit
  EXPECT_EQ(Text(edit), "abc");
  EXPECT_EQ(Notifications(parent),
            (std::vector<Notification>{{7, EN_UPDATE}, {7, EN_CHANGE}, {7, EN_MAXTEXT}}));
  EXPECT_TRUE(SendMessage(edit, EM_GETMODIFY, 0, 0));

  SendMessage(edit, EM_SETSEL, 0, 1);
  SendMessage(edit, WM_CHAR, '\b', 1);
  EXPECT_EQ(Text(edit), "bc");
  SendMessage(edit, EM_SETSEL, 0, 0);
  SendMessage(edit, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(Text(edit), "c");
}

TEST(Edit, WithoutAutoScrollTypingStopsAtTheControlsWidth) {
  HWND parent = Parent();
  HWND narrow = Child(parent, "Edit", 0, 1, 30);
  HWND wide = Child(parent, "Edit", ES_AUTOHSCROLL, 2, 30);
  for (int i = 0; i < 40; ++i) {
    SendMessage(narrow, WM_CHAR, 'W', 1);
    SendMessage(wide, WM_CHAR, 'W', 1);
  }
  HDC dc = GetDC(narrow);
  SIZE size;
  std::string typed = Text(narrow);
  GetTextExtentPoint32(dc, typed.c_str(), (int)typed.size(), &size);
  ReleaseDC(narrow, dc);
  EXPECT_FALSE(typed.empty());
  EXPECT_LE(size.cx, 30);
  EXPECT_LT(typed.size(), 40u);
  EXPECT_EQ(Text(wide).size(), 40u);
}

TEST(Edit, APasswordEditGivesItsProgramTheRealText) {
  HWND edit = Child(Parent(), "Edit", ES_PASSWORD | ES_AUTOHSCROLL, 1);
  for (char c : std::string("secret"))
    SendMessage(edit, WM_CHAR, (WPARAM)c, 1);
  EXPECT_EQ(Text(edit), "secret");
}

namespace {
UINT checkSeenAtClick = 99;
LRESULT CALLBACK CheckAtClick(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
    checkSeenAtClick = (UINT)SendMessage((HWND)lParam, BM_GETCHECK, 0, 0);
  return wintest::RecordingProc(hwnd, message, wParam, lParam);
}
}  // namespace

TEST(Button, AnAutomaticCheckBoxChangesBeforeItsParentHearsTheClick) {
  HWND parent = Parent();
  SetWindowLongPtr(parent, GWL_WNDPROC, (LONG_PTR)CheckAtClick);
  HWND automatic = Child(parent, "Button", BS_AUTOCHECKBOX, 1);
  HWND manual = Child(parent, "Button", BS_CHECKBOX, 2);
  SendMessage(automatic, BM_CLICK, 0, 0);
  EXPECT_EQ(checkSeenAtClick, (UINT)BST_CHECKED);
  SendMessage(manual, BM_CLICK, 0, 0);
  EXPECT_EQ(checkSeenAtClick, (UINT)BST_UNCHECKED);  // a plain check box is the program's to set
  SendMessage(automatic, BM_CLICK, 0, 0);
  EXPECT_EQ(checkSeenAtClick, (UINT)BST_UNCHECKED);

  Log().clear();
  EnableWindow(automatic, FALSE);
  SendMessage(automatic, BM_CLICK, 0, 0);
  EXPECT_TRUE(Notifications(parent).empty());
}

TEST(Button, AnAutomaticRadioButtonUnchecksOnlyItsOwnGroup) {
  HWND parent = Parent();
  HWND a1 = Child(parent, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 1);
  HWND a2 = Child(parent, "Button", BS_AUTORADIOBUTTON | WS_DISABLED, 2);
  HWND b1 = Child(parent, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 3);
  HWND b2 = Child(parent, "Button", BS_AUTORADIOBUTTON, 4);
  SendMessage(a2, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(b1, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(a1, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessage(a1, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessage(a2, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // disabled, still in the group
  EXPECT_EQ(SendMessage(b1, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(GetWindowLongPtr(a1, GWL_STYLE) & WS_TABSTOP);

  CheckRadioButton(parent, 3, 4, 4);
  EXPECT_EQ(IsDlgButtonChecked(parent, 3), (UINT)BST_UNCHECKED);
  EXPECT_EQ(SendMessage(b2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(parent, 1), (UINT)BST_CHECKED);
}

TEST(Static, AnIconStaticLoadsTheIconItsTextNames) {
  HWND parent = Parent();
  HWND icon = CreateWindow("Static", MAKEINTRESOURCE(guitest::kAppIcon), WS_CHILD | SS_ICON, 0, 0,
                           32, 32, parent, (HMENU)1, GetModuleHandle(nullptr), nullptr);
  HICON loaded = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(guitest::kAppIcon));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ((HICON)SendMessage(icon, STM_GETICON, 0, 0), loaded);
  HICON stock = LoadIcon(nullptr, IDI_HAND);
  EXPECT_EQ((HICON)SendMessage(icon, STM_SETICON, (WPARAM)stock, 0), loaded);
  EXPECT_EQ(plat::controls::StaticOf(icon)->icon, stock);
  EXPECT_EQ(Text(icon), "");
}
