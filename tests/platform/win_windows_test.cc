// Windows and classes: Win32's creation and destruction sequences, handles,
// window words, text, visibility, activation and geometry.
#include <gtest/gtest.h>

#include "tests/platform/win_test_support.h"
#include "win/window_ops.h"

using wintest::Log;
using wintest::MakeWindow;
using wintest::Messages;

namespace {

int createResult = 0;
std::vector<std::pair<HWND, UINT>> order;
LPVOID createParam = nullptr;

LRESULT CALLBACK OrderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || message == WM_NCDESTROY) order.push_back({hwnd, message});
  if (message == WM_CREATE) {
    createParam = ((CREATESTRUCT*)lParam)->lpCreateParams;
    if (createResult) return createResult;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void RegisterOrderClass() {
  WNDCLASS wc{};
  wc.lpfnWndProc = OrderProc;
  wc.lpszClassName = "Ordered";
  RegisterClass(&wc);
}

}  // namespace

TEST(WindowClasses, NamesMatchWithoutRegardToCaseAndAClassInUseStays) {
  wintest::RegisterRecorder();
  WNDCLASS wc{};
  wc.lpfnWndProc = wintest::RecordingProc;
  wc.lpszClassName = "RECORDER";
  EXPECT_EQ(RegisterClass(&wc), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_CLASS_ALREADY_EXISTS);

  HWND hwnd = CreateWindow("recorder", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  char name[32];
  EXPECT_EQ(GetClassName(hwnd, name, sizeof name), 8);
  EXPECT_STREQ(name, "Recorder");
  EXPECT_FALSE(UnregisterClass("Recorder", nullptr));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClass("Recorder", nullptr));
  EXPECT_EQ(CreateWindow("Recorder", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
            nullptr);
}

TEST(Windows, CreationSendsWin32sSequenceAndPassesTheCreationParameter) {
  wintest::RegisterRecorder();
  Log().clear();
  int marker = 0;
  HWND hwnd = CreateWindow("Recorder", "title", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200,
                           nullptr, nullptr, nullptr, &marker);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(Messages(hwnd), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE,
                                               WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE}));
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(Log()[3].lParam, MAKELPARAM(client.right, client.bottom));
  EXPECT_EQ(GetActiveWindow(), hwnd);

  RegisterOrderClass();
  createParam = nullptr;
  HWND ordered = CreateWindow("Ordered", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, &marker);
  EXPECT_EQ(createParam, &marker);
  DestroyWindow(ordered);
}

TEST(Windows, CreationFailsWhenWmCreateRefusesAndTheWindowIsDestroyed) {
  RegisterOrderClass();
  order.clear();
  createResult = -1;
  HWND hwnd = CreateWindow("Ordered", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  createResult = 0;
  EXPECT_EQ(hwnd, nullptr);
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0].second, (UINT)WM_DESTROY);
  EXPECT_EQ(order[1].second, (UINT)WM_NCDESTROY);
  EXPECT_FALSE(IsWindow(order[0].first));
  EXPECT_TRUE(UnregisterClass("Ordered", nullptr));  // no window of the class is left
}

TEST(Windows, DestructionTakesOwnedWindowsFirstThenParentBeforeChildren) {
  RegisterOrderClass();
  HWND parent = CreateWindow("Ordered", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
  HWND child =
      CreateWindow("Ordered", "", WS_CHILD, 0, 0, 10, 10, parent, (HMENU)7, nullptr, nullptr);
  HWND owned =
      CreateWindow("Ordered", "", WS_POPUP, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
  ASSERT_TRUE(child && owned);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetParent(owned), parent);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
  EXPECT_TRUE(IsChild(parent, child));
  EXPECT_FALSE(IsChild(parent, owned));

  order.clear();
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> expected{{owned, WM_DESTROY},   {owned, WM_NCDESTROY},
                                              {parent, WM_DESTROY},  {child, WM_DESTROY},
                                              {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  for (HWND hwnd : {parent, child, owned})
    EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(DestroyWindow(parent));
}

TEST(Windows, AStaleHandleNeverNamesTheWindowThatReusedItsSlot) {
  HWND first = MakeWindow();
  DestroyWindow(first);
  HWND second = MakeWindow();
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindow(second));
  Log().clear();
  SendMessage(first, WM_USER, 0, 0);
  EXPECT_TRUE(Log().empty());
}

TEST(Windows, WindowWordsStayInsideTheClassesExtraBytes) {
  wintest::RegisterRecorder(16);
  HWND hwnd = MakeWindow();
  EXPECT_EQ(SetWindowLongPtr(hwnd, 8, (LONG_PTR)0x1122334455667788), 0);
  EXPECT_EQ(GetWindowLongPtr(hwnd, 8), (LONG_PTR)0x1122334455667788);
  SetWindowLong(hwnd, 0, 0x01020304);
  SetWindowWord(hwnd, 4, 0xBEEF);
  EXPECT_EQ(GetWindowLong(hwnd, 0), 0x01020304);
  EXPECT_EQ(GetWindowWord(hwnd, 4), 0xBEEF);

  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtr(hwnd, 9, 5), 0);  // would run past byte 16
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(GetWindowLongPtr(hwnd, 8), (LONG_PTR)0x1122334455667788);
  EXPECT_EQ(GetWindowWord(hwnd, 15), 0);

  SetWindowLongPtr(hwnd, GWL_USERDATA, 99);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_USERDATA), 99);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CAPTION, (LONG_PTR)WS_CAPTION);
}

TEST(Windows, TextIsCutToTheCallersBuffer) {
  HWND hwnd = MakeWindow();
  ASSERT_TRUE(SetWindowText(hwnd, "Server Ready"));
  EXPECT_EQ(GetWindowTextLength(hwnd), 12);
  char buffer[8];
  memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(GetWindowText(hwnd, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Serve");
  EXPECT_EQ(buffer[6], 'z');
}

TEST(Windows, FindWindowSeesLiveTopLevelWindowsByClassAndTitle) {
  HWND hwnd = MakeWindow();
  HWND child = MakeWindow(WS_CHILD, hwnd, 1);
  EXPECT_EQ(FindWindow("RECORDER", nullptr), hwnd);
  EXPECT_EQ(FindWindow("Recorder", "recorder"), hwnd);
  EXPECT_EQ(FindWindow("Recorder", "other"), nullptr);
  EXPECT_EQ(FindWindow("NoSuchClass", nullptr), nullptr);
  EXPECT_NE(FindWindow("Recorder", nullptr), child);
  DestroyWindow(hwnd);
  EXPECT_EQ(FindWindow("Recorder", nullptr), nullptr);
}

namespace {
LRESULT CALLBACK StaysMinimised(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYOPEN) return 0;
  return DefWindowProc(hwnd, message, wParam, lParam);
}
}  // namespace

TEST(Windows, MinimisedWithoutActivationAndQueryOpenDecidesARestore) {
  HWND other = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hwnd = MakeWindow();
  Log().clear();
  ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(Messages(hwnd), (std::vector<UINT>{WM_SHOWWINDOW, WM_SIZE}));
  EXPECT_EQ(Log().back().wParam, (WPARAM)SIZE_MINIMIZED);

  plat::win::UserRestore(hwnd);  // the recorder answers WM_QUERYOPEN with TRUE
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_EQ(GetActiveWindow(), hwnd);

  SetWindowLongPtr(hwnd, GWL_WNDPROC, (LONG_PTR)StaysMinimised);
  ShowWindow(hwnd, SW_MINIMIZE);
  plat::win::UserRestore(hwnd);
  EXPECT_TRUE(IsIconic(hwnd));
}

TEST(Windows, ChildGeometryIsRelativeToTheParentsClientArea) {
  HWND parent = MakeWindow(WS_OVERLAPPEDWINDOW);
  HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, parent, 3);
  MoveWindow(child, 5, 6, 50, 40, FALSE);
  RECT client, frame, screen;
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 50);
  EXPECT_EQ(client.bottom, 40);
  GetWindowRect(parent, &frame);
  GetWindowRect(child, &screen);
  RECT parentClient = plat::win::ClientRectOnScreen(parent);
  EXPECT_EQ(screen.left, parentClient.left + 5);
  EXPECT_EQ(screen.top, parentClient.top + 6);
  EXPECT_GT(parentClient.top, frame.top);  // caption above the client area
  POINT p{0, 0};
  ClientToScreen(child, &p);
  ScreenToClient(parent, &p);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 6);
  EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
}
