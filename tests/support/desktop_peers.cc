#include "tests/support/desktop_peers.h"

#include <utility>

#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ipc/desktop.h"
#include "platform/windows.h"

namespace testsupport {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

void ServeOnce() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

}  // namespace

PrivateDesktop::PrivateDesktop() {
  char dir[] = "/tmp/desktop-test-XXXXXX";
  if (!mkdtemp(dir)) return;
  dir_ = dir;
  setenv("PLATFORM_DESKTOP", dir, 1);
  joined_ = plat::ipc::JoinDesktop();
}

PrivateDesktop::~PrivateDesktop() {
  if (!dir_.empty()) nftw(dir_.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

ChildProgram::ChildProgram(const std::string& program, const std::string& arguments,
                           bool withStandardError) {
  int out[2];
  if (pipe(out) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    // A test that dies without its destructors must not leave the child
    // holding its output pipe (and its test runner) open.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], 1);
    if (withStandardError) dup2(out[1], 2);
    close(out[0]);
    std::vector<std::string> words;
    size_t start = 0;
    while (start < arguments.size()) {
      size_t end = arguments.find(' ', start);
      if (end == std::string::npos) end = arguments.size();
      if (end > start) words.push_back(arguments.substr(start, end - start));
      start = end + 1;
    }
    std::vector<char*> argv{(char*)program.c_str()};
    for (auto& w : words)
      argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  out_ = out[0];
}

ChildProgram::~ChildProgram() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
}

std::string ChildProgram::Line(int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    if (GetTickCount() - start >= (DWORD)timeoutMs) return "<timeout>";
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, 5) == 1) {
      char chunk[512];
      ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return pending_.empty() ? "<eof>" : std::exchange(pending_, "");
      pending_.append(chunk, (size_t)n);
    }
    ServeOnce();
  }
}

int ChildProgram::Wait(int timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < (DWORD)timeoutMs) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      reaped_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    ServeOnce();
    usleep(2000);
  }
  return -1;
}

std::string Shell(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return "<popen failed>";
  char chunk[512];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
    output.append(chunk, n);
  int rc = pclose(pipe);
  if (status) *status = rc;
  return output;
}

bool ServeUntil(const std::function<bool()>& done, int timeoutMs) {
  DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < (DWORD)timeoutMs) {
    ServeOnce();
    if (!done()) usleep(1000);
  }
  return done();
}

}  // namespace testsupport
