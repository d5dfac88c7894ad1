#include "support/server_fixture.h"

#include <ftw.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "fs/drive_map.h"
#include "platform/windows.h"
#include "shell/server_startup.h"

void ServerTest::SetUp() {
  char pattern[] = "/tmp/tolmid-server-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  base_ = pattern;
  setenv("PLATFORM_DRIVES", ("d=" + base_).c_str(), 1);
  plat::fs::ResetDriveStateForTests();
  setenv("TCPAPPS_DIR", "d:\\", 1);
  unsetenv("PLATFORM_SERVICES");
  ASSERT_TRUE(desktop_.joined());
}

void ServerTest::TearDown() {
  Stop();
  nftw(
      base_.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      16, FTW_DEPTH | FTW_PHYS);
}

void ServerTest::WriteSettings(const std::string& tolmidKeys, const std::string& sections) {
  WriteHost("TOLMID.INI", "[tolmid]\r\nlogfile=d:\\tolmid.log\r\nlogfilelog=ON\r\n" + tolmidKeys +
                              "\r\n" + sections);
}

bool ServerTest::Start() {
  started_ = true;
  return InitServer(GetModuleHandle(nullptr));
}

void ServerTest::Stop() {
  if (started_) ShutdownServer();
  started_ = false;
}

std::string ServerTest::ReadHost(const std::string& relative) const {
  std::ifstream in(Host(relative), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void ServerTest::WriteHost(const std::string& relative, const std::string& bytes) const {
  std::ofstream(Host(relative), std::ios::binary | std::ios::trunc) << bytes;
}

std::string ServerTest::LogBytes() const {
  return ReadHost("tolmid.log");
}

std::vector<std::string> ServerTest::LogLines() const {
  std::vector<std::string> lines;
  std::string bytes = LogBytes();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    lines.push_back(line.size() >= 26 ? line.substr(26) : line);
    start = end + 2;
  }
  return lines;
}

void ServerTest::Serve() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
}
