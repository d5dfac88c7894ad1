// korftp with its slave, as a person or a script uses them: commands from -c and
// from standard input, exit statuses, a slave that dies, a korftp that is killed,
// and a terminal (tmux) with line editing, the progress bar and Ctrl-C.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/windows.h"
#include "tests/support/desktop_peers.h"

namespace {

using testsupport::Shell;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class Korftp : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.joined()); }

  // korftp with the probe slave; standard error follows standard output.
  std::string Run(const std::string& arguments, int* status, const std::string& input = "") {
    std::string command = std::string(KORFTP) + " -s " + PROBE + " " + arguments;
    command =
        input.empty() ? command + " </dev/null" : "printf %s " + Quote(input) + " | " + command;
    int raw = 0;
    std::string output = Shell(command, &raw);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
  }

  testsupport::PrivateDesktop desktop_;
};

constexpr char kStarted[] = "200 Initialization of Winsock succeeded\n";

TEST_F(Korftp, RunsTheCommandsOfItsCommandLineAndExitsByTheLastReply) {
  struct Case {
    const char* arguments;
    const char* output;
    int status;
  } cases[] = {
      {"-c 'probe reply 230 in; probe reply 200 ok'",
       "ftp> probe reply 230 in\n230 in\nftp> probe reply 200 ok\n200 ok\n", 0},
      {"-c 'probe reply 200 ok;probe reply 550 no'",
       "ftp> probe reply 200 ok\n200 ok\nftp> probe reply 550 no\n550 no\n", 1},
      {"-c 'probe reply 451 busy; probe reply 250-first; probe reply Received 10 bytes'",
       "ftp> probe reply 451 busy\n451 busy\nftp> probe reply 250-first\n250-first\n"
       "ftp> probe reply Received 10 bytes\nReceived 10 bytes\n",
       0},
      {"-c 'probe reply 421 gone'", "ftp> probe reply 421 gone\n421 gone\n", 1},
      {"-c 'probe reply a\\;b;; keepalive'", "ftp> probe reply a;b\na;b\n", 0},
      {"-c 'probe reply 200 ok' -c 'quit; probe reply 200 never'",
       "ftp> probe reply 200 ok\n200 ok\nftp> quit\n500 probe: not a probe line\n", 1},
      // A command with no word from the slave for a second is cancelled.
      {"-w 1 -c 'probe block'",
       "ftp> probe block\nblocking\nkorftp: nothing from hopwire for 1 s; cancelling\n"
       "block -1 10004\n",
       0},
      // A slave that takes no cancel within five seconds is ended.
      {"-w 1 -c 'probe hang 30000'",
       "ftp> probe hang 30000\nhanging\nkorftp: nothing from hopwire for 1 s; cancelling\n"
       "korftp: hopwire does not take requests; ending it\n",
       3},
  };
  for (const Case& c : cases) {
    int status = -1;
    std::string output = Run(c.arguments, &status);
    EXPECT_EQ(output, std::string(kStarted) + c.output) << c.arguments;
    EXPECT_EQ(status, c.status) << c.arguments;
  }
  // A limit that is not a whole number of seconds korftp can count is refused.
  for (const char* limit : {"x", "5s", "-1", "3000000", ""}) {
    int status = -1;
    std::string output = Run(std::string("-w '") + limit + "' -c 'probe reply 200 ok'", &status);
    EXPECT_EQ(output.rfind("usage: korftp", 0), 0u) << limit;
    EXPECT_EQ(status, 2) << limit;
  }
}

TEST_F(Korftp, ReadsCommandsFromStandardInputLineByLine) {
  int status = -1;
  std::string output = Run("", &status, "probe reply 200 a\n\nprobe text ab\r\nprobe reply 530 b");
  EXPECT_EQ(output, std::string(kStarted) +
                        "ftp> probe reply 200 a\n200 a\nftp> probe text ab\ntext 13  text ab\n"
                        "ftp> probe reply 530 b\n530 b\n");
  EXPECT_EQ(status, 1);
}

TEST_F(Korftp, NoticesASlaveThatEndsInTheMiddleOfACommand) {
  int status = -1;
  std::string output = Run("-c 'probe exit 7; probe reply 200 never'", &status);
  EXPECT_EQ(output,
            std::string(kStarted) + "ftp> probe exit 7\nkorftp: hopwire ended (exit status 7)\n");
  EXPECT_EQ(status, 3);
}

TEST_F(Korftp, LeavesADesktopWithAControllerAlone) {
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "KORFTP-Main";
  RegisterClass(&wc);
  ASSERT_TRUE(CreateWindow("KORFTP-Main", "", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, nullptr, nullptr,
                           nullptr, nullptr));
  int status = -1;
  std::string output = Run("-c 'probe reply 200 ok'", &status);
  EXPECT_EQ(output.rfind("korftp: another korftp runs on this desktop", 0), 0u) << output;
  EXPECT_EQ(status, 2);
  EXPECT_EQ(FindWindow("KORFTP-Slave", nullptr), nullptr);
}

// Entries under <desktop>/windows, of any class.
int WindowEntries(const std::string& desktop) {
  int entries = 0;
  std::string root = desktop + "/windows";
  DIR* classes = opendir(root.c_str());
  if (!classes) return 0;
  while (dirent* c = readdir(classes)) {
    if (c->d_name[0] == '.') continue;
    if (DIR* d = opendir((root + "/" + c->d_name).c_str())) {
      while (dirent* e = readdir(d))
        entries += e->d_name[0] != '.';
      closedir(d);
    }
  }
  closedir(classes);
  return entries;
}

// A section that no process holds can be locked exclusively.
bool SectionsFree(const std::string& desktop) {
  std::string dir = desktop + "/sections";
  DIR* d = opendir(dir.c_str());
  if (!d) return true;
  bool free = true;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    int fd = open((dir + "/" + e->d_name).c_str(), O_RDONLY | O_CLOEXEC);
    free = free && fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) close(fd);
  }
  closedir(d);
  return free;
}

TEST_F(Korftp, AKilledKorftpLeavesHopwireToEndByItsWatchdogWithNothingLeftBehind) {
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);  // hopwire, orphaned, comes to us
  int in[2], out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  pid_t korftp = fork();
  if (korftp == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    execl(KORFTP, KORFTP, "-s", HOPWIRE, (char*)nullptr);
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  std::string seen;
  char chunk[256];
  while (seen.find(kStarted) == std::string::npos) {
    ssize_t n = read(out[0], chunk, sizeof chunk);
    ASSERT_GT(n, 0) << seen;
    seen.append(chunk, (size_t)n);
  }
  HWND slave = FindWindow("KORFTP-Slave", nullptr);
  DWORD hopwire = 0;
  GetWindowThreadProcessId(slave, &hopwire);
  ASSERT_NE(hopwire, 0u);

  kill(korftp, SIGKILL);
  ASSERT_EQ(waitpid(korftp, nullptr, 0), korftp);
  int status = -1;
  for (int i = 0; i < 400 && waitpid((pid_t)hopwire, &status, WNOHANG) == 0; ++i)
    usleep(50 * 1000);  // four watchdog ticks of 3 s, with room
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(FindWindow("KORFTP-Slave", nullptr), nullptr);
  EXPECT_EQ(FindWindow("KORFTP-Main", nullptr), nullptr);
  EXPECT_EQ(WindowEntries(desktop_.dir()), 0);
  EXPECT_TRUE(SectionsFree(desktop_.dir()));
  EXPECT_NE(access((desktop_.dir() + "/p" + std::to_string(hopwire) + ".sock").c_str(), F_OK), 0);
  close(in[1]);
  close(out[0]);
}

// ---- In a terminal.

class KorftpTerminal : public Korftp {
 protected:
  void SetUp() override {
    Korftp::SetUp();
    if (system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    server_ = "korftp-test-" + std::to_string(getpid());
  }
  void TearDown() override {
    if (!server_.empty()) Shell(Tmux("kill-server"));
  }

  std::string Tmux(const std::string& arguments) { return "tmux -L " + server_ + " " + arguments; }
  std::string Pane() { return Shell(Tmux("capture-pane -p -t korftp")); }
  void Keys(const std::string& keys) { Shell(Tmux("send-keys -t korftp " + keys)); }

  // Waits until the pane shows `text`; the pane as it was last seen.
  std::string AwaitPane(const std::string& text, int timeoutMs = 10000) {
    std::string pane;
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      pane = Pane();
      if (pane.find(text) != std::string::npos) return pane;
      usleep(50 * 1000);
    }
    ADD_FAILURE() << "no \"" << text << "\" in the pane:\n" << pane;
    return pane;
  }

  std::string server_;
};

TEST_F(KorftpTerminal, ShowsTheEchoesAProgressBarAndCancelsOnCtrlC) {
  std::string program = std::string("env PLATFORM_DESKTOP=") + desktop_.dir() + " " + KORFTP +
                        " -s " + PROBE + "; echo KORFTP-EXIT=$?; sleep 60";
  Shell(Tmux("new-session -d -s korftp -x 120 -y 40 " + Quote(program)));
  AwaitPane("korftp>");

  Keys("'user bob secret acct' Enter");
  AwaitPane("ftp> user bob xxxxxx acct");

  Keys("'probe expect (400000)' Enter");
  AwaitPane("ftp> probe expect (400000)");
  Keys("'probe transfer 400000 4000' Enter");
  // While it runs: a bar with the percentage, the bytes and the rate.
  std::string running = AwaitPane("% ");
  EXPECT_NE(running.find(" bytes "), std::string::npos) << running;
  EXPECT_NE(running.find(" KB/s"), std::string::npos) << running;
  std::string done = AwaitPane(" in 4 s");
  EXPECT_NE(done.find("[##############################] 100% 400000 bytes"), std::string::npos)
      << done;

  Keys("'probe block' Enter");
  AwaitPane("blocking");
  Keys("C-c");
  AwaitPane("block -1 10004");

  // Ctrl-C at the prompt drops the line typed so far; Ctrl-D ends the session.
  Keys("'half a line'");
  AwaitPane("korftp> half a line");
  Keys("C-c");
  AwaitPane("half a line^C");
  Keys("C-d");
  AwaitPane("KORFTP-EXIT=0");
}

}  // namespace
