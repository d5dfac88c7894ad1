// The FLTK display under Xvfb, driven as a person drives it: real X input from
// xdotool, screenshots with xwd, window manager gestures from test_wm. The
// program under test (display_demo) prints what its window procedures get, so
// each test reads the program's side of the person's actions. Skipped when
// Xvfb, xdotool or xwd is missing; screenshots are kept in the folder printed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/platform/helpers/display_demo_ids.h"
#include "tests/support/desktop_peers.h"
#include "tests/support/udp_client.h"
#include "tests/support/x_session.h"

namespace {

using testsupport::Geometry;
using testsupport::Output;
using testsupport::Screenshot;
using testsupport::SplitLines;
using testsupport::XSession;

long long NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// A child process with its standard input and output on pipes.
class Process {
 public:
  explicit Process(std::vector<std::string> argv) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      for (int fd : {in[0], in[1], out[0], out[1]})
        close(fd);
      std::vector<char*> args;
      for (std::string& a : argv)
        args.push_back(a.data());
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    in_ = in[1];
    out_ = out[0];
  }
  ~Process() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
  }

  // The next line, or "<timeout>" / "<eof>".
  std::string Line(int timeoutMs = 5000) {
    long long end = NowMs() + timeoutMs;
    while (true) {
      size_t nl = pending_.find('\n');
      if (nl != std::string::npos) {
        std::string line = pending_.substr(0, nl);
        pending_.erase(0, nl + 1);
        seen_.push_back(line);
        return line;
      }
      long long left = end - NowMs();
      if (left <= 0) return "<timeout>";
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, (int)left) <= 0) continue;
      char buffer[512];
      ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) return "<eof>";
      pending_.append(buffer, (size_t)n);
    }
  }
  // Lines up to and including the first that starts with prefix; that line, or "".
  std::string Until(const std::string& prefix, int timeoutMs = 5000) {
    long long end = NowMs() + timeoutMs;
    while (NowMs() < end) {
      std::string line = Line((int)(end - NowMs()));
      if (line.rfind(prefix, 0) == 0) return line;
      if (line == "<eof>") break;
    }
    return "";
  }
  void Write(const std::string& text) {
    ssize_t n = write(in_, text.data(), text.size());
    (void)n;
  }
  int Wait(int timeoutMs = 5000) {
    long long end = NowMs() + timeoutMs;
    int status = 0;
    while (NowMs() < end) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(20000);
    }
    return -1;
  }
  // Every line read so far.
  const std::vector<std::string>& Seen() const { return seen_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string pending_;
  std::vector<std::string> seen_;
  bool reaped_ = false;
};

class DisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!XSession::Available()) GTEST_SKIP() << "Xvfb, xdotool, xwd or xwininfo is missing";
    x_.Start();
    if (x_.display().empty()) GTEST_SKIP() << "Xvfb did not start";
    setenv("PLATFORM_DISPLAY", "fltk", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the X libraries keep caches to the end
    shots_ = x_.shots();
  }

  void TearDown() override {
    demo_.reset();
    wm_.reset();
  }

  void StartWindowManager() {
    wm_ = std::make_unique<Process>(std::vector<std::string>{TEST_WM});
    ASSERT_EQ(wm_->Line(), "ready");
  }

  // Starts the demo and waits until its window is up; the UDP port it serves.
  void StartDemo(const std::string& options = "") {
    std::vector<std::string> argv{DISPLAY_DEMO};
    for (size_t at = 0; at < options.size();) {
      size_t blank = options.find(' ', at);
      argv.push_back(options.substr(at, blank - at));
      at = blank == std::string::npos ? options.size() : blank + 1;
    }
    demo_ = std::make_unique<Process>(argv);
    std::string udp = demo_->Until("udp ");
    ASSERT_FALSE(udp.empty());
    port_ = (uint16_t)atoi(udp.c_str() + 4);
    ready_ = demo_->Until("ready ");
    ASSERT_FALSE(ready_.empty());
    main_ = WindowNamed("Display Demo", false);
    ASSERT_FALSE(main_.empty());
  }

  // The screen rectangle the demo printed for a dialog control ("at ID l t r b").
  Geometry ControlAt(int id) {
    for (const std::string& line : demo_->Seen()) {
      int seenId, l, t, r, b;
      if (sscanf(line.c_str(), "at %d %d %d %d %d", &seenId, &l, &t, &r, &b) == 5 && seenId == id)
        return Geometry{l, t, r - l, b - t};
    }
    return Geometry{};
  }

  void ClickControl(int id) {
    Geometry g = ControlAt(id);
    Click(g.x + 6, g.y + g.height / 2);
  }

  // Opens File > Setup with the mouse and waits for the dialog.
  std::string OpenSetup() {
    Geometry m = GeometryOf(main_);
    Click(m.x + 12, m.y + 9);
    if (demo_->Until("initmenupopup").empty()) return "";
    Settle();
    Click(m.x + 30, m.y + 19 + 12);
    if (demo_->Until("setup open").empty()) return "";
    return WindowNamed("Demo Setup");
  }

  std::string WindowNamed(const std::string& title, bool visible = true) {
    return x_.WindowNamed(title, visible);
  }
  bool Viewable(const std::string& id) { return x_.Viewable(id); }
  Geometry GeometryOf(const std::string& id) { return x_.GeometryOf(id); }
  Screenshot Shoot(const std::string& id, const std::string& name) { return x_.Shoot(id, name); }
  void Settle() { XSession::Settle(); }
  void Xdo(const std::string& arguments) { x_.Xdo(arguments); }
  void Click(int x, int y) { x_.Click(x, y); }

  XSession x_;
  std::string shots_;
  std::unique_ptr<Process> wm_;
  std::unique_ptr<Process> demo_;
  std::string main_;
  std::string ready_;
  uint16_t port_ = 0;
};

TEST_F(DisplayTest, ScreenshotsShowTheMainWindowTheDialogsAndTheirFullSize) {
  StartDemo();
  EXPECT_EQ(ready_, "ready iconic=0 client=472x255");
  ASSERT_TRUE(Viewable(main_));
  Screenshot main = Shoot(main_, "main");
  EXPECT_EQ(main.width, 472);
  EXPECT_EQ(main.height, 255 + 19);  // the client area under the menu bar
  EXPECT_GE(main.colors, 4u) << "menu bar, list, status bar and text make more than a blank";

  std::string setup = OpenSetup();
  ASSERT_FALSE(setup.empty());
  Screenshot dialog = Shoot(setup, "setup");
  Geometry g = GeometryOf(setup);
  EXPECT_EQ(dialog.width, g.width);
  EXPECT_EQ(dialog.height, g.height);
  EXPECT_GT(dialog.width, 200);
  EXPECT_GE(dialog.colors, 4u);
  Xdo("key Escape");
  EXPECT_FALSE(demo_->Until("setup cancel").empty());

  Geometry m = GeometryOf(main_);
  Click(m.x + m.width - 12, m.y + 9);  // Help, at the right end of the bar
  ASSERT_FALSE(demo_->Until("initmenupopup").empty());
  Settle();
  Click(m.x + m.width - 30, m.y + 19 + 12);
  ASSERT_EQ(demo_->Until("command "), "command " + std::to_string(demo::kIdAbout));
  std::string about = WindowNamed("About Demo");
  ASSERT_FALSE(about.empty());
  EXPECT_GE(Shoot(about, "about").colors, 5u) << "the icon's colours show";
  Xdo("key Return");
  EXPECT_FALSE(demo_->Until("about closed").empty());

  Xdo("key alt+f w");  // File > Warning by the keyboard
  ASSERT_EQ(demo_->Until("command "), "command " + std::to_string(demo::kIdWarn));
  std::string box;
  for (long long end = NowMs() + 5000; box.empty() && NowMs() < end; usleep(50000)) {
    for (const std::string& id :
         SplitLines(Output("xdotool search --onlyvisible --name '^Display Demo$'"))) {
      if (id != main_) box = id;
    }
  }
  ASSERT_FALSE(box.empty()) << "the warning box has the program's caption";
  EXPECT_GE(Shoot(box, "warning").colors, 5u) << "the exclamation icon shows";
  Xdo("key Return");
  EXPECT_FALSE(demo_->Until("warning closed").empty());
}

TEST_F(DisplayTest, APickedMenuItemBringsItsSelectSequenceThenTheCommand) {
  StartDemo();
  Geometry m = GeometryOf(main_);
  Click(m.x + 12, m.y + 9);  // opens File
  ASSERT_FALSE(demo_->Until("initmenupopup 0").empty());
  Settle();              // the pop-up is up and holds the keyboard
  Xdo("key Down Down");  // Setup, then Open File, highlighted in turn
  Xdo("key Escape");     // leaves without a command
  ASSERT_EQ(demo_->Until("menuselect 0 ffff"), "menuselect 0 ffff");
  std::vector<std::string> seen;
  for (const std::string& line : demo_->Seen()) {
    if (line.rfind("menuselect", 0) == 0 || line.rfind("command", 0) == 0) seen.push_back(line);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"menuselect 0 0090", "menuselect 40101 0080",
                                            "menuselect 40102 0080", "menuselect 0 ffff"}));

  Click(m.x + 12, m.y + 9);
  ASSERT_FALSE(demo_->Until("initmenupopup 0").empty());
  Settle();
  Click(m.x + 30, m.y + 19 + 12);  // the first item, Setup
  EXPECT_EQ(demo_->Until("menuselect 40101"), "menuselect 40101 0080");
  EXPECT_EQ(demo_->Line(), "menuselect 0 ffff");
  EXPECT_EQ(demo_->Line(), "command " + std::to_string(demo::kIdOpen));
}

TEST_F(DisplayTest, TypingClickingAndEnterOrEscapeWorkTheDialog) {
  StartDemo();
  ASSERT_FALSE(OpenSetup().empty());
  ClickControl(demo::kIdPassword);
  Xdo("type --delay 20 secret");
  Xdo("key Tab");  // to the comment field, whose text is selected
  Xdo("type --delay 20 'two words'");
  ClickControl(demo::kIdServerOn);
  ClickControl(demo::kIdTruncate);
  Xdo("key Return");  // the default button
  EXPECT_EQ(demo_->Until("setup "),
            "setup ok name= password=secret comment=two words size=2 groups=0 server=1 truncate=1");

  ASSERT_FALSE(OpenSetup().empty());
  ClickControl(demo::kIdComment);
  Xdo("type --delay 20 gone");
  Xdo("key Escape");
  EXPECT_EQ(demo_->Until("setup "), "setup cancel");
}

TEST_F(DisplayTest, RequestsAreServedWhileADialogOrAMenuIsOpen) {
  StartDemo();
  testsupport::UdpClient client;
  auto Ask = [&](const std::string& text) {
    std::vector<uint8_t> answer =
        client.Call(port_, std::vector<uint8_t>(text.begin(), text.end()));
    return std::string(answer.begin(), answer.end());
  };
  ASSERT_FALSE(OpenSetup().empty());
  EXPECT_EQ(Ask("during the dialog"), "echo during the dialog");
  Xdo("key Escape");
  ASSERT_FALSE(demo_->Until("setup cancel").empty());

  Geometry m = GeometryOf(main_);
  Click(m.x + 60, m.y + 9);  // Options stays open
  ASSERT_FALSE(demo_->Until("initmenupopup 1").empty());
  Settle();
  EXPECT_EQ(Ask("during the menu"), "echo during the menu");
  Xdo("key Escape");
  EXPECT_EQ(demo_->Until("menuselect 0 ffff"), "menuselect 0 ffff");
}

TEST_F(DisplayTest, TheOpenFileDialogAnswersAWindowsPathOfTheChosenFile) {
  std::string dir = shots_ + "/logs";
  mkdir(dir.c_str(), 0755);
  StartDemo();
  Xdo("key alt+f f");
  ASSERT_EQ(demo_->Until("command "), "command " + std::to_string(demo::kIdFile));
  std::string chooser = WindowNamed("Log File Selection");
  ASSERT_FALSE(chooser.empty());
  EXPECT_GE(Shoot(chooser, "open-file").colors, 4u);
  Xdo("type --delay 10 '" + dir + "/new.log'");
  Xdo("key Return");
  std::string expected = "file C:" + dir + "/new.log";
  for (char& c : expected)
    c = c == '/' ? '\\' : c;
  EXPECT_EQ(demo_->Until("file "), expected);
}

TEST_F(DisplayTest, AMinimisedStartStaysIconicUntilTheProgramLetsARestoreThrough) {
  StartWindowManager();
  StartDemo("-minimized -refuse-open 1");
  EXPECT_EQ(ready_.substr(0, 14), "ready iconic=1");
  EXPECT_FALSE(wm_->Until("iconic ").empty()) << "shown iconic, never mapped";
  EXPECT_FALSE(Viewable(main_));
  unsigned long xid = strtoul(main_.c_str(), nullptr, 10);

  wm_->Write("restore " + std::to_string(xid) + "\n");
  EXPECT_EQ(demo_->Until("queryopen"), "queryopen refused");
  EXPECT_FALSE(wm_->Until("iconified ").empty()) << "the refusal puts the icon back";
  EXPECT_FALSE(Viewable(main_));

  wm_->Write("restore " + std::to_string(xid) + "\n");
  EXPECT_EQ(demo_->Until("queryopen"), "queryopen accepted");
  EXPECT_EQ(demo_->Until("size "), "size 0 472 255");
  EXPECT_TRUE(Viewable(main_));
}

TEST_F(DisplayTest, TheCloseBoxAsksTheProgramToClose) {
  StartWindowManager();
  StartDemo();
  wm_->Write("close " + std::to_string(strtoul(main_.c_str(), nullptr, 10)) + "\n");
  EXPECT_EQ(demo_->Until("close"), "close");
  EXPECT_EQ(demo_->Wait(), 0);
}

}  // namespace
