// Share modes of _sopen: a second opener that conflicts fails with EACCES,
// whether it is in the same process or another, and only while the first
// holder keeps the file open.
#include <errno.h>
#include <sys/wait.h>

#include <algorithm>
#include <vector>

#include "platform/io.h"
#include "temp_drives.h"

namespace {

class ShareModes : public TempDrives {
 protected:
  void SetUp() override {
    TempDrives::SetUp();
    Write(C("f.dat"), "data");
  }
};

struct Opener {
  int access;
  int share;
};

TEST_F(ShareModes, SecondOpenerInTheSameProcessIsRefusedOnConflict) {
  const Opener R_NO{_O_RDONLY, _SH_DENYNO}, W_NO{_O_WRONLY, _SH_DENYNO}, RW_NO{_O_RDWR, _SH_DENYNO},
      R_DW{_O_RDONLY, _SH_DENYWR}, RW_RW{_O_RDWR, _SH_DENYRW}, W_DR{_O_WRONLY, _SH_DENYRD},
      R_RW{_O_RDONLY, _SH_DENYRW};
  struct Case {
    Opener first, second;
    bool allowed;
  } cases[] = {
      {R_NO, R_NO, true},   {W_NO, W_NO, true},   {RW_NO, RW_NO, true}, {R_NO, RW_RW, false},
      {RW_RW, R_NO, false}, {W_NO, R_RW, false},  {R_DW, R_NO, true},   {R_DW, W_NO, false},
      {R_DW, R_DW, true},   {RW_NO, R_DW, false}, {R_NO, R_DW, true},   {W_DR, R_NO, false},
      {W_DR, W_NO, true},   {R_NO, W_DR, false},  {W_NO, W_DR, true},
  };
  for (const Case& c : cases) {
    int first = _sopen("c:\\f.dat", c.first.access, c.first.share);
    ASSERT_GE(first, 0);
    errno = 0;
    int second = _sopen("c:\\F.DAT", c.second.access, c.second.share);
    EXPECT_EQ(second >= 0, c.allowed) << "first " << c.first.access << "/" << c.first.share
                                      << " second " << c.second.access << "/" << c.second.share;
    if (second >= 0) {
      _close(second);
    } else {
      EXPECT_EQ(errno, EACCES);
    }
    _close(first);
  }
  // Once the holder closes, the file is free again.
  int exclusive = _sopen("c:\\f.dat", _O_RDWR, _SH_DENYRW);
  ASSERT_GE(exclusive, 0);
  _close(exclusive);
  exclusive = _sopen("c:\\f.dat", _O_RDWR, _SH_DENYRW);
  EXPECT_GE(exclusive, 0);
  _close(exclusive);
}

// Runs fn in a child process and returns its exit status.
template <typename Fn>
int InChild(Fn fn) {
  pid_t pid = fork();
  if (pid == 0) _exit(fn());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ShareModes, ExclusiveHolderShutsOutAnotherProcessUntilItCloses) {
  int held = _sopen("c:\\f.dat", _O_RDWR | _O_BINARY, _SH_DENYRW);
  ASSERT_GE(held, 0);
  auto tryOpen = [] {
    int fd = _open("c:\\f.dat", _O_RDONLY);
    if (fd >= 0) return 0;
    return errno == EACCES ? 1 : 2;
  };
  EXPECT_EQ(InChild(tryOpen), 1);
  _close(held);
  EXPECT_EQ(InChild(tryOpen), 0);

  // Denying writers (as a copy's source is opened) leaves readers in.
  held = _sopen("c:\\f.dat", _O_RDONLY, _SH_DENYWR);
  ASSERT_GE(held, 0);
  EXPECT_EQ(InChild(tryOpen), 0);
  EXPECT_EQ(InChild([] { return _open("c:\\f.dat", _O_WRONLY) < 0 ? 1 : 0; }), 1);
  _close(held);
}

TEST_F(ShareModes, RacingExclusiveOpenersLetExactlyOneIn) {
  constexpr int kChildren = 8;
  int ready[2], go[2], results[2], hold[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(results), 0);
  ASSERT_EQ(pipe(hold), 0);
  std::vector<pid_t> pids;
  for (int i = 0; i < kChildren; ++i) {
    pid_t pid = fork();
    if (pid == 0) {
      char c = 0;
      (void)!write(ready[1], &c, 1);
      (void)!read(go[0], &c, 1);
      int fd = _sopen("c:\\f.dat", _O_RDWR, _SH_DENYRW);
      c = fd >= 0 ? 'y' : (errno == EACCES ? 'n' : '?');
      (void)!write(results[1], &c, 1);
      (void)!read(hold[0], &c, 1);  // hold the file until everyone has tried
      _exit(0);
    }
    pids.push_back(pid);
  }
  char c;
  for (int i = 0; i < kChildren; ++i)
    ASSERT_EQ(read(ready[0], &c, 1), 1);
  std::string release(kChildren, 'g');
  ASSERT_EQ(write(go[1], release.data(), kChildren), kChildren);
  std::string answers;
  for (int i = 0; i < kChildren; ++i) {
    ASSERT_EQ(read(results[0], &c, 1), 1);
    answers += c;
  }
  ASSERT_EQ(write(hold[1], release.data(), kChildren), kChildren);
  for (pid_t pid : pids)
    waitpid(pid, nullptr, 0);
  EXPECT_EQ(std::count(answers.begin(), answers.end(), 'y'), 1) << answers;
  EXPECT_EQ(std::count(answers.begin(), answers.end(), 'n'), kChildren - 1) << answers;
}

}  // namespace
