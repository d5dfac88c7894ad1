#include "slave_process.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string FindSlaveProgram(const char* named) {
  if (named && *named) return named;
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    self[n] = 0;
    std::string beside(self, strrchr(self, '/') ? strrchr(self, '/') - self + 1 : 0);
    beside += "hopwire";
    if (access(beside.c_str(), X_OK) == 0) return beside;
  }
  return "hopwire";
}

bool StartSlaveProcess(const std::string& program, SlaveProcess* slave) {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_init(&actions);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT})
    sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  int rc = program.find('/') == std::string::npos
               ? posix_spawnp(&slave->pid, program.c_str(), &actions, &attributes, argv, environ)
               : posix_spawn(&slave->pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    errno = rc;
    slave->pid = -1;
    return false;
  }
  // Without its descriptor the slave's end would go unseen.
  slave->pidfd = (int)syscall(SYS_pidfd_open, slave->pid, 0);
  if (slave->pidfd < 0) {
    int error = errno;
    KillSlave(slave);
    errno = error;
    return false;
  }
  return true;
}

bool SlaveEnded(SlaveProcess* slave) {
  if (slave->reaped || slave->pid <= 0) return true;
  if (waitpid(slave->pid, &slave->status, WNOHANG) != slave->pid) return false;
  slave->reaped = true;
  if (slave->pidfd >= 0) close(slave->pidfd);
  slave->pidfd = -1;
  return true;
}

void KillSlave(SlaveProcess* slave) {
  if (slave->reaped || slave->pid <= 0) return;
  kill(slave->pid, SIGKILL);
  waitpid(slave->pid, &slave->status, 0);
  slave->reaped = true;
  if (slave->pidfd >= 0) close(slave->pidfd);
  slave->pidfd = -1;
}

std::string DescribeEnd(const SlaveProcess& slave) {
  if (WIFSIGNALED(slave.status))
    return "killed by signal " + std::to_string(WTERMSIG(slave.status));
  return "exit status " + std::to_string(WEXITSTATUS(slave.status));
}
