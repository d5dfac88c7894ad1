// Modal dialogs: creation from templates, the nested loop, keyboard handling,
// the dialog item calls and message boxes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "gui/person.h"
#include "tests/platform/gui_test_resources.h"
#include "tests/platform/gui_test_support.h"
#include "win/reactor.h"

using namespace guitest;
using plat::gui::PressKey;
using wintest::Log;

namespace {

HWND Owner() {
  HWND owner = wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  wintest::Drain();
  return owner;
}

INT_PTR RunDialog(LPCSTR name, HWND owner, LPARAM param = 0) {
  return DialogBoxParam(GetModuleHandle(nullptr), name, owner, RecordingDialogProc, param);
}

std::string Text(HWND hwnd) {
  char buffer[256] = {};
  GetWindowText(hwnd, buffer, sizeof buffer);
  return buffer;
}

std::vector<UINT> DialogMessages(HWND dialog) {
  std::vector<UINT> seen;
  for (const wintest::Seen& s : Log()) {
    if (s.hwnd == dialog) seen.push_back(s.message);
  }
  return seen;
}

}  // namespace

TEST(Dialogs, InitDialogNamesTheFirstTabStopAndTrueGivesItTheFocus) {
  HWND owner = Owner();
  HWND dialog = nullptr, named = nullptr, focused = nullptr;
  LPARAM param = 0;
  onMessage = [&](HWND d, UINT m, WPARAM w, LPARAM l, INT_PTR*) {
    if (m == WM_INITDIALOG) {
      dialog = d;
      named = (HWND)w;
      param = l;
    }
    return false;
  };
  WhenIdle([&](HWND d) {
    EXPECT_EQ(d, dialog);
    focused = GetFocus();
    EXPECT_EQ(named, GetDlgItem(d, kIdName));
    EXPECT_TRUE(IsWindowVisible(d));
    EXPECT_EQ(Text(d), "Setup");
    HFONT font = (HFONT)SendMessage(d, WM_GETFONT, 0, 0);
    EXPECT_NE(font, nullptr);
    EXPECT_EQ((HFONT)SendDlgItemMessage(d, kIdPassword, WM_GETFONT, 0, 0), font);
    EndDialog(d, 42);
  });
  EXPECT_EQ(RunDialog("setup", owner, 1234), 42);
  EXPECT_EQ(param, 1234);
  EXPECT_EQ(focused, named);
  // The dialog procedure is set after creation: its first message is the font.
  std::vector<UINT> seen = DialogMessages(dialog);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], (UINT)WM_SETFONT);
  EXPECT_EQ(seen[1], (UINT)WM_INITDIALOG);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST(Dialogs, TheOwnerIsDisabledWhileTheDialogRunsAndTakesNoInput) {
  HWND owner = Owner();
  HWND button = CreateWindow("Button", "b", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, owner, (HMENU)5,
                             nullptr, nullptr);
  bool enabledInside = true, clicked = true;
  WhenIdle([&](HWND d) {
    enabledInside = IsWindowEnabled(owner);
    clicked = plat::gui::Click(button);
    EndDialog(d, IDOK);
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), IDOK);
  EXPECT_FALSE(enabledInside);
  EXPECT_FALSE(clicked);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
}

TEST(Dialogs, EnterPressesTheFocusedOrDefaultButtonAndEscapeCancels) {
  struct Case {
    const char* what;
    LPCSTR dialog;
    std::function<void(HWND)> before;
    int key;
    INT_PTR result;
    WPARAM command;  // the WM_COMMAND wParam the dialog procedure got
  } cases[] = {
      {"Enter in a field presses the default button", "SETUP",
       [](HWND d) { plat::gui::FocusOn(GetDlgItem(d, kIdPassword)); }, VK_RETURN, IDOK,
       MAKEWPARAM(IDOK, BN_CLICKED)},
      {"Escape is IDCANCEL", "SETUP", [](HWND) {}, VK_ESCAPE, IDCANCEL, IDCANCEL},
      {"Enter on a focused push button presses it", "SETUP",
       [](HWND d) { plat::gui::FocusOn(GetDlgItem(d, IDCANCEL)); }, VK_RETURN, IDCANCEL,
       MAKEWPARAM(IDCANCEL, BN_CLICKED)},
      {"without a default button Enter is IDOK", MAKEINTRESOURCE(kPlainDialog), [](HWND) {},
       VK_RETURN, IDOK, IDOK},
  };
  for (const Case& c : cases) {
    HWND owner = Owner();
    Log().clear();
    HWND dialog = nullptr;
    WhenIdle([&](HWND d) {
      dialog = d;
      c.before(d);
      PressKey(c.key);
    });
    EXPECT_EQ(RunDialog(c.dialog, owner), c.result) << c.what;
    WPARAM command = 0;
    for (const wintest::Seen& s : guitest::Seen(dialog, WM_COMMAND)) {
      if (LOWORD(s.wParam) == IDOK || LOWORD(s.wParam) == IDCANCEL) command = s.wParam;
    }
    EXPECT_EQ(command, c.command) << c.what;
  }
}

TEST(Dialogs, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
  HWND owner = Owner();
  HWND dialog = nullptr;
  WhenIdle([&](HWND d) {
    dialog = d;
    EnableWindow(GetDlgItem(d, IDOK), FALSE);
    plat::gui::FocusOn(GetDlgItem(d, kIdPassword));
    PressKey(VK_RETURN);
  });
  WhenIdle([](HWND) { PressKey(VK_ESCAPE); });
  EXPECT_EQ(RunDialog("SETUP", owner), IDCANCEL);
  for (const wintest::Seen& s : guitest::Seen(dialog, WM_COMMAND))
    EXPECT_NE(LOWORD(s.wParam), IDOK);
}

TEST(Dialogs, TabVisitsEnabledTabStopsInCreationOrderAndShiftTabGoesBack) {
  HWND owner = Owner();
  std::vector<int> visited;
  DWORD selection = 0;
  onMessage = [](HWND d, UINT m, WPARAM, LPARAM, INT_PTR*) {
    if (m == WM_INITDIALOG) SetDlgItemText(d, kIdPassword, "pw");
    return false;
  };
  WhenIdle([&](HWND d) {
    for (int i = 0; i < 9; ++i) {
      PressKey(VK_TAB);
      visited.push_back(GetDlgCtrlID(GetFocus()));
      if (visited.back() == kIdPassword)
        selection = (DWORD)SendMessage(GetFocus(), EM_GETSEL, 0, 0);
    }
    PressKey(VK_TAB, true);
    visited.push_back(GetDlgCtrlID(GetFocus()));
    EndDialog(d, IDOK);
  });
  RunDialog("SETUP", owner);
  EXPECT_EQ(visited, (std::vector<int>{kIdPassword, kIdNumber, kIdSize, kIdGroups, kIdServerOn,
                                       kIdAppend, IDOK, IDCANCEL, kIdName, IDCANCEL}));
  EXPECT_EQ(selection, (DWORD)MAKELONG(0, 2));  // an edit entered by Tab has its text selected
}

namespace {

constexpr UINT kPosted = WM_USER + 20, kFromPipe = WM_USER + 21;
HWND openDialog = nullptr;
struct Served {
  bool posted = false, timer = false, pipe = false, dialogOpen = true;
} served;

LRESULT CALLBACK OtherWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool mine = message == kPosted || message == kFromPipe || message == WM_TIMER;
  if (mine) served.dialogOpen &= IsWindowVisible(openDialog) != FALSE;
  if (message == kPosted) served.posted = true;
  if (message == kFromPipe) served.pipe = true;
  if (message == WM_TIMER) {
    served.timer = true;
    KillTimer(hwnd, wParam);
  }
  if (mine && served.posted && served.timer && served.pipe) EndDialog(openDialog, 9);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Dialogs, TheNestedLoopKeepsServingOtherWindowsPostsTimersAndDescriptors) {
  WNDCLASS wc{};
  wc.lpfnWndProc = OtherWindow;
  wc.lpszClassName = "Other";
  RegisterClass(&wc);
  HWND other = CreateWindow("Other", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  HWND owner = Owner();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  plat::win::TheReactor().Watch(fds[0], POLLIN, [&](short) {
    char c;
    if (read(fds[0], &c, 1) == 1) PostMessage(other, kFromPipe, 0, 0);
  });
  pid_t writer = -1;
  WhenIdle([&](HWND d) {
    openDialog = d;
    PostMessage(other, kPosted, 0, 0);
    SetTimer(other, 3, 30, nullptr);
    writer = fork();
    if (writer == 0) {
      usleep(60 * 1000);
      (void)!write(fds[1], "x", 1);
      _exit(0);
    }
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), 9);
  EXPECT_TRUE(served.posted && served.timer && served.pipe);
  EXPECT_TRUE(served.dialogOpen);
  waitpid(writer, nullptr, 0);
  plat::win::TheReactor().Unwatch(fds[0]);
  close(fds[0]);
  close(fds[1]);
}

TEST(Dialogs, AQuitEndsTheDialogAndReachesTheOuterLoop) {
  HWND owner = Owner();
  HWND dialog = nullptr;
  WhenIdle([&](HWND d) {
    dialog = d;
    PostQuitMessage(5);
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST(Dialogs, DestroyingTheOwnerOrTheDialogEndsTheLoop) {
  HWND owner = Owner();
  HWND dialog = nullptr;
  WhenIdle([&](HWND d) {
    dialog = d;
    DestroyWindow(d);
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(owner));  // given back even without EndDialog

  WhenIdle([&](HWND d) {
    dialog = d;
    DestroyWindow(owner);
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), 0);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST(Dialogs, EndDialogTakesTheFocusSoTheFieldsKillFocusComesAfterTheCommand) {
  HWND owner = Owner();
  HWND dialog = nullptr;
  WhenIdle([&](HWND d) {
    dialog = d;
    PressKey(VK_RETURN);  // the focus is in the edit, the first tab stop
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), IDOK);
  std::vector<Notification> tail = Notifications(dialog);
  ASSERT_GE(tail.size(), 2u);
  tail.erase(tail.begin(), tail.end() - 2);
  EXPECT_EQ(tail, (std::vector<Notification>{{IDOK, 0}, {kIdPlainEdit, EN_KILLFOCUS}}));
}

TEST(Dialogs, DialogUnitsScaleWithTheDialogFont) {
  HWND owner = Owner();
  RECT plain{4, 8, 8, 16}, withFont{4, 8, 8, 16}, ok{};
  int fontX = 0, fontY = 0;
  WhenIdle([&](HWND d) {
    MapDialogRect(d, &plain);
    EndDialog(d, IDOK);
  });
  RunDialog(MAKEINTRESOURCE(kPlainDialog), owner);
  WhenIdle([&](HWND d) {
    MapDialogRect(d, &withFont);
    HDC dc = GetDC(d);
    SelectObject(dc, (HGDIOBJ)SendMessage(d, WM_GETFONT, 0, 0));
    SIZE size;
    GetTextExtentPoint32(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    ReleaseDC(d, dc);
    fontX = (size.cx / 26 + 1) / 2;
    fontY = tm.tmHeight;
    GetWindowRect(GetDlgItem(d, IDOK), &ok);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    OffsetRect(&ok, -origin.x, -origin.y);
    EndDialog(d, IDOK);
  });
  RunDialog("SETUP", owner);
  LONG units = GetDialogBaseUnits();
  EXPECT_EQ(plain.left, LOWORD(units));
  EXPECT_EQ(plain.top, HIWORD(units));
  EXPECT_EQ(plain.right, 2 * LOWORD(units));
  EXPECT_EQ(withFont.left, fontX);
  EXPECT_EQ(withFont.bottom, 2 * fontY);
  EXPECT_NE(fontX, LOWORD(units));
  // OK sits at (40, 135), 50 by 14 dialog units.
  EXPECT_EQ(ok.left, MulDiv(40, fontX, 4));
  EXPECT_EQ(ok.top, MulDiv(135, fontY, 8));
  EXPECT_EQ(ok.right, MulDiv(90, fontX, 4));
  EXPECT_EQ(ok.bottom, MulDiv(149, fontY, 8));
}

TEST(Dialogs, DlgItemIntReadsOnlyWholeNumbersInRange) {
  HWND owner = Owner();
  struct Case {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL translated;
  } cases[] = {
      {"42", FALSE, 42, TRUE},
      {"  42  ", FALSE, 42, TRUE},
      {"-7", TRUE, (UINT)-7, TRUE},
      {"-7", FALSE, 0, FALSE},
      {"4x", FALSE, 0, FALSE},
      {"", FALSE, 0, FALSE},
      {"4294967295", FALSE, 0xFFFFFFFFu, TRUE},
      {"4294967296", FALSE, 0, FALSE},
      {"2147483648", TRUE, 0, FALSE},
      {"-2147483648", TRUE, 0x80000000u, TRUE},
  };
  WhenIdle([&](HWND d) {
    for (const Case& c : cases) {
      SetDlgItemText(d, kIdPlainEdit, c.text);
      BOOL translated = 7;
      EXPECT_EQ(GetDlgItemInt(d, kIdPlainEdit, &translated, c.isSigned), c.value) << c.text;
      EXPECT_EQ(translated, c.translated) << c.text;
    }
    SetDlgItemInt(d, kIdPlainEdit, (UINT)-12, TRUE);
    EXPECT_EQ(Text(GetDlgItem(d, kIdPlainEdit)), "-12");
    SetDlgItemInt(d, kIdPlainEdit, 4000000000u, FALSE);
    EXPECT_EQ(Text(GetDlgItem(d, kIdPlainEdit)), "4000000000");
    char buffer[8] = "x";
    EXPECT_EQ(GetDlgItemText(d, 9999, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EndDialog(d, IDOK);
  });
  RunDialog(MAKEINTRESOURCE(kPlainDialog), owner);
}

TEST(Dialogs, HandledMessagesAnswerTheMessageResultAndCloseMeansCancel) {
  HWND owner = Owner();
  constexpr UINT kAsk = WM_USER + 40;
  onMessage = [](HWND d, UINT m, WPARAM w, LPARAM, INT_PTR* result) {
    if (m != kAsk) return false;
    if (w) SetWindowLongPtr(d, DWLP_MSGRESULT, 77);
    *result = w ? TRUE : FALSE;
    return true;
  };
  WhenIdle([&](HWND d) {
    EXPECT_EQ(SendMessage(d, kAsk, 1, 0), 77);
    EXPECT_EQ(SendMessage(d, kAsk, 0, 0), 0);
    SetWindowLongPtr(d, DWLP_USER, 1234);
    EXPECT_EQ(GetWindowLongPtr(d, DWLP_USER), 1234);
    EXPECT_EQ(GetWindowLongPtr(d, DWLP_DLGPROC), (LONG_PTR)RecordingDialogProc);
    SendMessage(d, WM_CLOSE, 0, 0);  // posts IDCANCEL
  });
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(kPlainDialog), owner), IDCANCEL);
}

TEST(Dialogs, AMissingTemplateFailsWithMinusOne) {
  EXPECT_EQ(RunDialog("NoSuchDialog", Owner()), -1);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(RunDialog(MAKEINTRESOURCE(4242), nullptr), -1);
}

TEST(Dialogs, AShiftDoubleClickOnAnIconStaticReachesTheDialogAndMayBeep) {
  HWND owner = Owner();
  HICON shown = nullptr;
  onMessage = [](HWND d, UINT m, WPARAM w, LPARAM l, INT_PTR*) {
    if (m != WM_LBUTTONDBLCLK || !(w & (MK_SHIFT | MK_CONTROL))) return false;
    RECT icon;
    GetWindowRect(GetDlgItem(d, kIdIcon), &icon);
    POINT at{(SHORT)LOWORD(l), (SHORT)HIWORD(l)};
    ClientToScreen(d, &at);
    if (PtInRect(&icon, at)) MessageBeep(0xFFFF);
    return false;
  };
  WhenIdle([&](HWND d) {
    shown = (HICON)SendDlgItemMessage(d, kIdIcon, STM_GETICON, 0, 0);
    RECT icon;
    GetWindowRect(GetDlgItem(d, kIdIcon), &icon);
    POINT inside{icon.left + 2, icon.top + 2};
    ScreenToClient(d, &inside);
    plat::gui::DoubleClickAt(d, inside, 0);              // no key held: nothing
    plat::gui::DoubleClickAt(d, POINT{1, 1}, MK_SHIFT);  // elsewhere: nothing
    plat::gui::DoubleClickAt(d, inside, MK_SHIFT);
    PressKey(VK_ESCAPE);
  });
  RunDialog(MAKEINTRESOURCE(kAboutDialog), owner);
  EXPECT_EQ(shown, LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(kAppIcon)));
  EXPECT_EQ(Display().Beeps(), std::vector<UINT>{0xFFFF});
}

TEST(MessageBoxes, AreRecordedWrittenToStandardErrorAndConfirmed) {
  HWND owner = Owner();
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox(owner, "Cannot start", "The Caption", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBox(nullptr, "Go on?", nullptr, MB_YESNO), IDYES);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("The Caption: Cannot start\n"), std::string::npos);
  EXPECT_NE(err.find("Error: Go on?\n"), std::string::npos);
  ASSERT_EQ(Display().MessageBoxes().size(), 2u);
  const auto& first = Display().MessageBoxes()[0];
  EXPECT_EQ(first.owner, owner);
  EXPECT_EQ(first.text, "Cannot start");
  EXPECT_EQ(first.type, (UINT)(MB_OK | MB_ICONERROR));
}

namespace {
// A backend that shows message boxes as dialogs of the layer's own controls.
class DialogMessageBoxes : public plat::gui::HeadlessDisplay {
 public:
  bool MessageBox(HWND, const char*, const char*, UINT, int*) override { return false; }
};
}  // namespace

TEST(MessageBoxes, RunAsModalDialogsWhenTheBackendLeavesThemToTheLayer) {
  DialogMessageBoxes display;
  plat::gui::InstallDisplay(&display);
  HWND owner = Owner();
  std::string caption, text;
  bool ownerEnabled = true;
  display.WhenDialogIdle([&](HWND d) {
    caption = Text(d);
    text = Text(GetDlgItem(d, 0xFFFF));
    ownerEnabled = IsWindowEnabled(owner);
    PressKey(VK_ESCAPE);  // a Yes/No box has no Cancel: nothing happens
  });
  display.WhenDialogIdle([](HWND d) { plat::gui::Click(GetDlgItem(d, IDNO)); });
  EXPECT_EQ(MessageBox(owner, "Remove it?", "Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(caption, "Confirm");
  EXPECT_EQ(text, "Remove it?");
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));

  display.WhenDialogIdle([](HWND) { PressKey(VK_ESCAPE); });
  EXPECT_EQ(MessageBox(owner, "Done", "Note", MB_OK), IDOK);
  display.WhenDialogIdle([](HWND) { PressKey(VK_RETURN); });
  EXPECT_EQ(MessageBox(owner, "Retry?", "Note", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
  plat::gui::InstallDisplay(nullptr);
}
