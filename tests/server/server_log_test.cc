// The server log on the headless display: the log file's modes and lines, the
// "Log to File" switch, the "Log File Setup" dialog, the about box, and the
// conversation with the real console program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gui/person.h"
#include "support/server_fixture.h"
#include "ui/server_log.h"
#include "ui/ui_ids.h"

namespace {

using plat::gui::Click;
using plat::gui::Headless;
using plat::gui::PickMenuItem;

class ServerLogTest : public ServerTest {
 protected:
  void StartWith(const std::string& keys) {
    WriteSettings(keys);
    ASSERT_TRUE(Start());
    Serve();
  }
  void Choose(UINT command) {
    ASSERT_TRUE(PickMenuItem(Server->mainWindow, command));
    Serve();
  }
};

TEST_F(ServerLogTest, TheStampHasATwoDigitDayAndBlanksWhenTheTimeCantBeConverted) {
  setenv("TZ", "UTC", 1);
  tzset();
  char stamp[kLogStampSize + 1];
  LogLineStamp(315630235, stamp);  // 1980-01-02 03:03:55 UTC
  EXPECT_STREQ(stamp, "Wed Jan 02 03:03:55 1980: ");
  LogLineStamp((time_t)1 << 62, stamp);
  EXPECT_STREQ(stamp, std::string(26, ' ').c_str());
}

TEST_F(ServerLogTest, AppendKeepsTheFileTruncateEmptiesItAndASwitchedOffLogGetsNothing) {
  WriteHost("tolmid.log", "old line\r\n");
  StartWith("logfiletrunc=OFF");
  Stop();
  EXPECT_EQ(LogBytes().substr(0, 10), "old line\r\n");

  StartWith("logfiletrunc=ON");
  Stop();
  EXPECT_EQ(LogBytes().find("old line"), std::string::npos);
  EXPECT_EQ(LogLines().front(), "Log file d:\\tolmid.log opened\r");

  WriteHost("tolmid.log", "");
  WriteHost("TOLMID.INI", "[tolmid]\r\nlogfile=d:\\tolmid.log\r\nlogfilelog=OFF\r\n");
  ASSERT_TRUE(Start());
  Stop();
  EXPECT_EQ(LogBytes(), "");  // not even the opened and closed lines
}

TEST_F(ServerLogTest, ALogFileThatCantBeOpenedIsForgottenWithABox) {
  WriteSettings("");
  WriteHost("TOLMID.INI", "[tolmid]\r\nlogfile=d:\\no\\such\\dir\\x.log\r\nlogfilelog=ON\r\n");
  ASSERT_TRUE(Start());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Cannot open log file d:\\no\\such\\dir\\x.log\r");
  EXPECT_EQ(Boxes()[0].caption, "Brevant NFS Server");
  EXPECT_STREQ(Server->log.logFileName, "");
  EXPECT_NE(ReadHost("TOLMID.INI").find("logfile=d:\\no\\such\\dir\\x.log"), std::string::npos);
}

TEST_F(ServerLogTest, LogToFileSwitchesWritingAndSavesTheSwitch) {
  StartWith("");
  Choose(IDM_LOG_TO_FILE);
  EXPECT_EQ(Server->log.fileLogging, 0u);
  EXPECT_NE(ReadHost("TOLMID.INI").find("logfilelog=OFF"), std::string::npos);
  ServerLog(&Server->log, "not written");
  Choose(IDM_LOG_TO_FILE);
  ServerLog(&Server->log, "written");
  Stop();
  std::string bytes = LogBytes();
  EXPECT_EQ(bytes.find("not written"), std::string::npos);
  EXPECT_NE(bytes.find("written\r\n"), std::string::npos);
}

TEST_F(ServerLogTest, OkInLogFileSetupWithTruncateEmptiesTheFileEvenWithTheSameName) {
  StartWith("");
  ServerLog(&Server->log, "before the setup");
  Headless().WhenDialogIdle([](HWND dialog) { Click(GetDlgItem(dialog, IDC_TRUNCATE)); });
  Headless().WhenDialogIdle([](HWND dialog) { Click(GetDlgItem(dialog, IDOK)); });
  Choose(IDM_LOG_FILE_SETUP);
  EXPECT_FALSE(Headless().HasPendingActions());
  EXPECT_EQ(LogBytes().find("before the setup"), std::string::npos);
  EXPECT_EQ(LogLines().front(), "Log file d:\\tolmid.log opened\r");
  EXPECT_NE(ReadHost("TOLMID.INI").find("logfiletrunc=ON"), std::string::npos);
}

TEST_F(ServerLogTest, CancelChangesNothingAndAnEmptyNameClosesTheFile) {
  StartWith("");
  Headless().WhenDialogIdle([](HWND dialog) {
    plat::gui::ReplaceText(GetDlgItem(dialog, IDC_LOG_FILE_NAME), "d:\\other.log");
    Click(GetDlgItem(dialog, IDCANCEL));
  });
  Choose(IDM_LOG_FILE_SETUP);
  EXPECT_STREQ(Server->log.logFileName, "d:\\tolmid.log");

  Headless().WhenDialogIdle([](HWND dialog) {
    plat::gui::ReplaceText(GetDlgItem(dialog, IDC_LOG_FILE_NAME), "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_APPEND)));  // nothing left to append to
    Click(GetDlgItem(dialog, IDOK));
  });
  Choose(IDM_LOG_FILE_SETUP);
  EXPECT_STREQ(Server->log.logFileName, "");
  EXPECT_EQ(Server->log.openFile, -1);
  EXPECT_EQ(LogLines().back(), "Log file d:\\tolmid.log closed\r");
}

TEST_F(ServerLogTest, FilesAsksTheOpenFileDialogAndTakesThePathInLowerCase) {
  StartWith("");
  Headless().AnswerOpenFile("D:\\Logs\\Server.LOG");
  Headless().WhenDialogIdle([](HWND dialog) { Click(GetDlgItem(dialog, IDC_BROWSE)); });
  Headless().WhenDialogIdle([](HWND dialog) {
    char name[160];
    GetDlgItemText(dialog, IDC_LOG_FILE_NAME, name, sizeof name);
    EXPECT_STREQ(name, "d:\\logs\\server.log");
    Click(GetDlgItem(dialog, IDCANCEL));
  });
  Choose(IDM_LOG_FILE_SETUP);
  ASSERT_EQ(Headless().OpenFileDialogs().size(), 1u);
  const auto& asked = Headless().OpenFileDialogs()[0];
  EXPECT_EQ(asked.title, "Log File Selection");
  EXPECT_EQ(asked.initialDir, "d:\\");
  ASSERT_EQ(asked.filters.size(), 1u);
  EXPECT_EQ(asked.filters[0].first, "Log Files(*.log)");
  EXPECT_EQ(asked.filters[0].second, "*.log");
  EXPECT_EQ(asked.flags, (DWORD)(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
}

TEST_F(ServerLogTest, TheAboutBoxShowsTheVersionInformation) {
  StartWith("");
  std::string caption, product, notice1, notice2;
  Headless().WhenDialogIdle([&](HWND dialog) {
    char text[256];
    GetWindowText(dialog, text, sizeof text);
    caption = text;
    GetDlgItemText(dialog, IDC_ABOUT_PRODUCT, text, sizeof text);
    product = text;
    GetDlgItemText(dialog, IDC_ABOUT_NOTICE_1, text, sizeof text);
    notice1 = text;
    GetDlgItemText(dialog, IDC_ABOUT_NOTICE_2, text, sizeof text);
    notice2 = text;
    plat::gui::PressKey(VK_RETURN);
  });
  Choose(IDM_ABOUT);
  EXPECT_EQ(caption, "About Brevant NFS Server");
  EXPECT_EQ(product, "Brevant NFS Server 2.1");
  EXPECT_EQ(notice1, "Copyright (C) 2026 Brevant. ");
  EXPECT_EQ(notice2, "All rights reserved.");
}

// The shown support lines, top to bottom, each below the one before, and the
// OK button below them all.
std::vector<std::string> SupportLines(HWND dialog) {
  std::vector<std::pair<LONG, std::string>> shown;
  for (int id = IDC_ABOUT_SUPPORT_FIRST; id <= IDC_ABOUT_SUPPORT_LAST; ++id) {
    HWND line = GetDlgItem(dialog, id);
    if (!IsWindowVisible(line)) continue;
    RECT r;
    GetWindowRect(line, &r);
    char text[128];
    GetWindowText(line, text, sizeof text);
    shown.push_back({r.top, text});
  }
  std::vector<std::string> texts;
  LONG last = 0;
  RECT notice, ok;
  GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_NOTICE_2), &notice);
  GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
  last = notice.top;
  for (auto& [top, text] : shown) {
    EXPECT_GT(top, last) << text;
    last = top;
    texts.push_back(text);
  }
  EXPECT_GT(ok.top, last);
  return texts;
}

// No ABOUT.INI beside the program: the variable names the file.
TEST_F(ServerLogTest, TheAboutBoxShowsTheSupportValuesOfAboutIniBelowTheNotice) {
  mkdir(Host("support").c_str(), 0755);
  WriteHost("support/about.ini",
            "[support_info]\r\ntitle=Brevant Support\r\nphoneno=+1 555 0100\r\n"
            "email=help@brevant.example\r\n");
  setenv("ABOUT.INI", "d:\\support\\about.ini", 1);
  StartWith("");
  std::vector<std::string> lines;
  Headless().WhenDialogIdle([&](HWND dialog) {
    lines = SupportLines(dialog);
    EndDialog(dialog, IDOK);
  });
  Choose(IDM_ABOUT);
  unsetenv("ABOUT.INI");
  EXPECT_EQ(lines, (std::vector<std::string>{"Brevant Support", "Phone: +1 555 0100",
                                             "E-mail: help@brevant.example"}));
}

TEST_F(ServerLogTest, ShiftDoubleClickOnTheAboutIconBeeps) {
  StartWith("");
  Headless().WhenDialogIdle([](HWND dialog) {
    RECT icon;
    GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_ICON), &icon);
    POINT inside{icon.left + 2, icon.top + 2};
    ScreenToClient(dialog, &inside);
    plat::gui::DoubleClickAt(dialog, inside);  // no key held: nothing
    plat::gui::DoubleClickAt(dialog, inside, MK_SHIFT);
    EndDialog(dialog, IDOK);
  });
  Choose(IDM_ABOUT);
  EXPECT_EQ(Headless().Beeps(), (std::vector<UINT>{0xFFFFFFFF}));
}

class ConsoleLog : public ServerLogTest {
 protected:
  std::string Shown(const std::string& line) { return line.size() > 9 ? line.substr(9) : line; }
};

TEST_F(ConsoleLog, TheStartLineGoesToTheConsoleAndLinesFollowWhileConsoleLoggingIsOn) {
  testsupport::ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  StartWith("consolelog=ON\r\nportmapenabled=ON");
  std::string start = Shown(console.Line());
  EXPECT_EQ(start.rfind("[tolmid] Brevant NFS Server 2.1 (", 0), 0u) << start;
  EXPECT_EQ(Shown(console.Line()), "[tolmid] Log file d:\\tolmid.log opened");
  EXPECT_EQ(Shown(console.Line()), "[tolmid] Port Mapper started.");
}

TEST_F(ConsoleLog, WithConsoleLoggingOffOnlyTheStartLineIsSent) {
  testsupport::ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  StartWith("portmapenabled=ON");
  EXPECT_EQ(Shown(console.Line()).rfind("[tolmid] Brevant NFS Server 2.1", 0), 0u);
  EXPECT_EQ(console.Line(300), "<timeout>");
}

TEST_F(ConsoleLog, ARefusedLineIsDroppedAndTheConsoleEndingTheConversationEndsTheServer) {
  testsupport::ChildProgram console(WEXORACONSOLE, "-refuse");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  StartWith("consolelog=ON");
  testsupport::ServeUntil([] { return Server->log.console->consoleWindow == nullptr; }, 2000);
  EXPECT_EQ(Server->log.console->consoleWindow, nullptr);  // forgotten after the refusal

  HWND window = FindWindow("zVkClassconsole", nullptr);
  PostMessage(window, WM_COMMAND, 101, 0);       // accept lines again
  ServerLog(&Server->log, "after the refusal");  // starts a new conversation
  EXPECT_EQ(Shown(console.Line()), "[tolmid] after the refusal");
  PostMessage(window, WM_COMMAND, 102, 0);  // end the conversations
  MSG msg;
  int guard = 0;
  while (GetMessage(&msg, nullptr, 0, 0) && ++guard < 10000)
    DispatchMessage(&msg);
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
}

}  // namespace
