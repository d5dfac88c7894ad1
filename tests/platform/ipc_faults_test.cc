// System calls of the desktop and its endpoint failing on demand: for every k,
// the k-th call of an operation fails with a chosen errno, and the operation must
// end in a clean error or a right answer, with no descriptor left open.
#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "ipc/system_calls.h"
#include "platform/windows.h"
#include "tests/support/desktop_peers.h"

namespace {

using plat::ipc::kSystemCalls;
using testsupport::ChildProgram;
using testsupport::ServeUntil;

constexpr UINT kAdd = WM_USER + 1;
constexpr UINT kPosted = WM_USER + 5;
const int kErrors[] = {ENOMEM, EAGAIN, ECONNREFUSED};

// Counts every call; the failAt-th one fails with `error` (close still closes).
struct Faults {
  int calls = 0;
  int failAt = 0;
  int error = 0;
  bool Fail() {
    if (++calls != failAt) return false;
    errno = error;
    return true;
  }
} faults;

const plat::ipc::SystemCalls kFaulty = {
    [](int d, int t, int p) { return faults.Fail() ? -1 : kSystemCalls.socket(d, t, p); },
    [](int fd, const sockaddr* a, socklen_t l) {
      return faults.Fail() ? -1 : kSystemCalls.bind(fd, a, l);
    },
    [](int fd, const sockaddr* a, socklen_t l) {
      return faults.Fail() ? -1 : kSystemCalls.connect(fd, a, l);
    },
    [](int fd, int level, int name, const void* v, socklen_t l) {
      return faults.Fail() ? -1 : kSystemCalls.setsockopt(fd, level, name, v, l);
    },
    [](int fd, const msghdr* m, int f) {
      return faults.Fail() ? (ssize_t)-1 : kSystemCalls.sendmsg(fd, m, f);
    },
    [](int fd, msghdr* m, int f) {
      return faults.Fail() ? (ssize_t)-1 : kSystemCalls.recvmsg(fd, m, f);
    },
    [](int fd) {
      int result = kSystemCalls.close(fd);
      return faults.Fail() ? -1 : result;
    },
    [](int dir, const char* path, int flags, mode_t mode) {
      return faults.Fail() ? -1 : kSystemCalls.openat(dir, path, flags, mode);
    },
    [](int dir, const char* path, mode_t mode) {
      return faults.Fail() ? -1 : kSystemCalls.mkdirat(dir, path, mode);
    },
    [](int dir, const char* path, struct stat* st, int flags) {
      return faults.Fail() ? -1 : kSystemCalls.fstatat(dir, path, st, flags);
    },
    [](int dir, const char* path, int flags) {
      return faults.Fail() ? -1 : kSystemCalls.unlinkat(dir, path, flags);
    },
    [](int dir, const char* path, mode_t mode, int flags) {
      return faults.Fail() ? -1 : kSystemCalls.fchmodat(dir, path, mode, flags);
    },
    [](pid_t pid, unsigned flags) {
      return faults.Fail() ? -1 : kSystemCalls.pidfdOpen(pid, flags);
    },
};

// What this process's descriptors lead to, in order: a leaked socket or pidfd
// shows up even when its number was reused.
std::vector<std::string> OpenDescriptors() {
  std::vector<std::string> targets;
  DIR* dir = opendir("/proc/self/fd");
  int own = dirfd(dir);
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' || atoi(e->d_name) == own) continue;
    char target[256] = {};
    std::string link = std::string("/proc/self/fd/") + e->d_name;
    if (readlink(link.c_str(), target, sizeof target - 1) < 0) continue;
    targets.push_back(target[0] == 's' ? "socket" : target);  // sockets by kind only
  }
  closedir(dir);
  std::sort(targets.begin(), targets.end());
  return targets;
}

// Runs `operation` once to count its calls, then once for every call and errno
// with that call failing; `check` judges each run (k 0: no fault).
void ForEveryFault(const std::function<bool()>& operation,
                   const std::function<void(int k, int error, bool succeeded)>& check) {
  faults = Faults{};
  plat::ipc::SetSystemCalls(&kFaulty);
  bool succeeded = operation();
  plat::ipc::SetSystemCalls(nullptr);
  int count = faults.calls;
  check(0, 0, succeeded);
  ASSERT_GT(count, 0);
  for (int k = 1; k <= count; ++k) {
    for (int error : kErrors) {
      faults = Faults{0, k, error};
      plat::ipc::SetSystemCalls(&kFaulty);
      succeeded = operation();
      plat::ipc::SetSystemCalls(nullptr);
      check(k, error, succeeded);
    }
  }
}

TEST(EndpointFaults, JoiningADesktopFailsCleanlyWhicheverCallFails) {
  // Joining happens once per process: each attempt runs in a child of its own.
  auto join = [] {
    char dir[] = "/tmp/desktop-fault-XXXXXX";
    if (!mkdtemp(dir)) return false;
    setenv("PLATFORM_DESKTOP", dir, 1);
    int report[2];
    if (pipe(report) != 0) return false;
    pid_t child = fork();
    if (child == 0) {
      close(report[0]);
      std::vector<std::string> before = OpenDescriptors();
      plat::ipc::SetSystemCalls(&kFaulty);
      bool joined = plat::ipc::JoinDesktop();
      plat::ipc::SetSystemCalls(nullptr);
      bool clean = joined || OpenDescriptors() == before;
      char answer[2] = {joined ? 'j' : 'f', clean ? 'c' : 'l'};
      (void)!write(report[1], answer, sizeof answer);
      (void)!write(report[1], &faults.calls, sizeof faults.calls);
      _exit(0);
    }
    close(report[1]);
    char answer[2] = {};
    int calls = 0;
    bool read = ::read(report[0], answer, sizeof answer) == 2 &&
                ::read(report[0], &calls, sizeof calls) == sizeof calls;
    close(report[0]);
    waitpid(child, nullptr, 0);
    testsupport::Shell(std::string("rm -rf ") + dir);
    faults.calls = calls;  // the child's count
    EXPECT_TRUE(read);
    EXPECT_EQ(answer[1], 'c') << "a failed join left a descriptor open";
    return answer[0] == 'j';
  };
  ForEveryFault(join, [](int k, int error, bool joined) {
    if (k == 0) EXPECT_TRUE(joined);
    (void)error;
  });
}

class PeerFaults : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.joined()); }
  testsupport::PrivateDesktop desktop_;
};

TEST_F(PeerFaults, ASendEndsInItsAnswerOrACleanErrorWhicheverCallFails) {
  ChildProgram peer(IPC_PEER, "echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  ASSERT_EQ(SendMessage(remote, kAdd, 1, 1), 2);  // the peer is watched from now on
  std::vector<std::string> before = OpenDescriptors();
  auto send = [&] {
    DWORD_PTR result = 0;
    SetLastError(0);
    BOOL answered = SendMessageTimeout(remote, kAdd, 2, 3, SMTO_NORMAL, 3000, &result);
    if (answered) EXPECT_EQ(result, 5u);
    if (!answered) EXPECT_NE(GetLastError(), 0u);
    return answered != 0;
  };
  ForEveryFault(send, [&](int k, int error, bool answered) {
    SCOPED_TRACE("call " + std::to_string(k) + " failing with errno " + std::to_string(error));
    if (k == 0) EXPECT_TRUE(answered);
    // A send that went afterwards answers, and nothing stays open beyond what was.
    EXPECT_EQ(SendMessage(remote, kAdd, 1, 1), 2);
    EXPECT_TRUE(ServeUntil([&] { return OpenDescriptors() == before; }, 2000));
  });
}

TEST_F(PeerFaults, PostsToAPeerThatDoesNotReadLeaveNothingOpenOnceItEnds) {
  std::vector<std::string> before = OpenDescriptors();
  std::unique_ptr<ChildProgram> deaf;
  auto post = [&] {
    faults.calls = 0;  // starting the peer is not part of the operation
    plat::ipc::SetSystemCalls(nullptr);
    deaf = std::make_unique<ChildProgram>(HOSTILE_PEER, "deaf Deaf");
    EXPECT_EQ(deaf->Line(), "ready");
    HWND window = FindWindow("Deaf", nullptr);
    plat::ipc::SetSystemCalls(&kFaulty);
    int accepted = 0;
    for (int i = 0; i < 15; ++i)  // past the peer's queue: onto the link
      accepted += PostMessage(window, kPosted, (WPARAM)i, 0) != 0;
    return accepted > 0;
  };
  ForEveryFault(post, [&](int k, int error, bool accepted) {
    SCOPED_TRACE("call " + std::to_string(k) + " failing with errno " + std::to_string(error));
    if (k == 0) EXPECT_TRUE(accepted);
    kill(deaf->pid(), SIGKILL);
    deaf.reset();  // reaped, its pipe closed
    EXPECT_TRUE(ServeUntil([&] { return OpenDescriptors() == before; }, 2000));
  });
}

}  // namespace
