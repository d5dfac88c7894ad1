// A termination signal takes the program's normal way out through its window.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Starts the host, waits for its "ready", signals it and returns its exit status.
int ExitStatusAfterSignal(const char* argument, int signalNumber) {
  int out[2];
  if (pipe(out) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    execl(SIGNAL_HOST, SIGNAL_HOST, argument, (char*)nullptr);
    _exit(127);
  }
  close(out[1]);
  char line[16] = {};
  EXPECT_EQ(read(out[0], line, 6), 6);
  EXPECT_STREQ(line, "ready\n");
  kill(child, signalNumber);
  int status = 0;
  waitpid(child, &status, 0);
  close(out[0]);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(Termination, SignalsCloseTheCaptionedWindowSoTheProgramEndsItsOwnWay) {
  EXPECT_EQ(ExitStatusAfterSignal("captioned", SIGTERM), 7);
  EXPECT_EQ(ExitStatusAfterSignal("captioned", SIGINT), 7);
}

TEST(Termination, AProgramWithoutACaptionedWindowGetsQuit) {
  EXPECT_EQ(ExitStatusAfterSignal("hidden", SIGTERM), 0);
}
