// Test support for cross-process tests: a private desktop per test case and
// child programs whose standard output is read line by line while this process
// keeps serving its messages (so a child may send to us while we wait for it).
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class PrivateDesktop {
 public:
  PrivateDesktop();  // makes the directory, points PLATFORM_DESKTOP at it, joins it
  ~PrivateDesktop();
  const std::string& dir() const { return dir_; }
  bool joined() const { return joined_; }

 private:
  std::string dir_;
  bool joined_ = false;
};

class ChildProgram {
 public:
  // Starts program with the arguments (split at blanks); standard output is
  // captured, and standard error with it when withStandardError is set.
  ChildProgram(const std::string& program, const std::string& arguments,
               bool withStandardError = false);
  ~ChildProgram();  // kills what still runs
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  pid_t pid() const { return pid_; }
  // The next line printed, serving messages meanwhile; "<timeout>" or "<eof>" otherwise.
  std::string Line(int timeoutMs = 5000);
  // Waits for the end of the program while serving messages; its exit status or -1.
  int Wait(int timeoutMs = 5000);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;
  bool reaped_ = false;
};

// What a shell command prints (standard output and error), and its status.
std::string Shell(const std::string& command, int* status = nullptr);

// Dispatches messages until the condition holds or the time is up.
bool ServeUntil(const std::function<bool()>& done, int timeoutMs = 3000);

}  // namespace testsupport
