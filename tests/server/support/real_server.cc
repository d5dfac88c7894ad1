#include "support/real_server.h"

#include <ftw.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

// libtirpc keeps a few blocks of its own for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libtirpc.so\n";
}

void RealServerTest::SetUp() {
  char pattern[] = "/tmp/tolmid-real-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  base_ = pattern;
  ASSERT_TRUE(desktop_.joined());
  setenv("PLATFORM_DRIVES", ("d=" + base_).c_str(), 1);
  setenv("TCPAPPS_DIR", "d:\\", 1);
  setenv("PLATFORM_DISPLAY", "headless", 1);
  unsetenv("PLATFORM_SERVICES");
}

void RealServerTest::TearDown() {
  if (program_) Terminate();
  nftw(
      base_.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      16, FTW_DEPTH | FTW_PHYS);
}

void RealServerTest::Launch(const std::string& tolmidKeys, const std::string& sections,
                            const std::string& readyLine) {
  WriteHost("TOLMID.INI", "[tolmid]\r\nlogfile=d:\\tolmid.log\r\nlogfilelog=ON\r\n" + tolmidKeys +
                              "\r\n" + sections);
  StartProgram(readyLine);
}

void RealServerTest::StartProgram(const std::string& readyLine) {
  size_t logged = LogBytes().size();
  program_ = std::make_unique<testsupport::ChildProgram>(TOLMID, "");
  for (int i = 0; i < 500 && LogBytes().find(readyLine, logged) == std::string::npos; ++i)
    usleep(10000);
  ASSERT_NE(LogBytes().find(readyLine, logged), std::string::npos) << LogBytes();
}

int RealServerTest::Terminate() {
  kill(program_->pid(), SIGTERM);
  int status = program_->Wait();
  program_.reset();
  return status;
}

std::string RealServerTest::ReadHost(const std::string& relative) const {
  std::ifstream in(Host(relative), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void RealServerTest::WriteHost(const std::string& relative, const std::string& bytes) const {
  std::ofstream(Host(relative), std::ios::binary | std::ios::trunc) << bytes;
}
