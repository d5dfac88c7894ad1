#include "tests/hopwire/ftp_servers.h"

#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/windows.h"
#include "platform/winsock.h"

namespace hopwiretest {

namespace {

constexpr char kPython[] = "/usr/bin/python3";
constexpr char kVsftpd[] = "/usr/sbin/vsftpd";

bool WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  return (bool)out;
}

// "ready <port>" from a server that has started listening.
int ReadyPort(testsupport::ChildProgram& child) {
  std::string line = child.Line(10000);
  int port = 0;
  return sscanf(line.c_str(), "ready %d", &port) == 1 ? port : 0;
}

}  // namespace

std::string ScratchDirectory(const std::string& name) {
  std::string pattern = ::testing::TempDir() + name + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return "";
  chmod(pattern.c_str(), 0755);
  return pattern;
}

bool FakeFtpServer::Start(const std::string& script, const std::string& address, int port) {
  dir_ = ScratchDirectory("fake-ftp");
  if (dir_.empty() || !WriteFile(dir_ + "/script", script)) return false;
  child_ = std::make_unique<testsupport::ChildProgram>(
      kPython, std::string(SERVERS_DIR) + "/fake_ftp_server.py " + address + " " +
                   std::to_string(port) + " " + dir_ + "/script " + dir_ + "/log");
  port_ = ReadyPort(*child_);
  return port_ != 0;
}

std::vector<std::string> FakeFtpServer::Received() const {
  std::vector<std::string> lines;
  std::ifstream in(dir_ + "/log");
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string FakeFtpServer::Stored() const {
  std::ifstream in(dir_ + "/stored", std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

bool PyftpdServer::Start(const std::string& user, const std::string& password,
                         const std::string& options) {
  root_ = ScratchDirectory("pyftpd-root");
  if (root_.empty()) return false;
  child_ = std::make_unique<testsupport::ChildProgram>(
      kPython, std::string(SERVERS_DIR) + "/pyftpd_server.py 127.0.0.1 0 " + root_ + " " + user +
                   " " + password + (options.empty() ? "" : " " + options));
  port_ = ReadyPort(*child_);
  return port_ != 0;
}

bool VsftpdServer::Available() {
  return geteuid() == 0 && access(kVsftpd, X_OK) == 0 && getpwnam("ftp") != nullptr;
}

bool VsftpdServer::Start(int port, const std::string& banner, const std::string& extra) {
  std::string dir = ScratchDirectory("vsftpd");
  if (dir.empty()) return false;
  // vsftpd refuses a chroot root that its user may write: the root is read-only
  // and only "pub" below it belongs to the anonymous user.
  root_ = dir + "/root";
  std::string empty = dir + "/empty";
  const passwd* ftp = getpwnam("ftp");
  if (!ftp || mkdir(root_.c_str(), 0555) != 0 || mkdir(empty.c_str(), 0755) != 0 ||
      mkdir((root_ + "/pub").c_str(), 0755) != 0 ||
      chown((root_ + "/pub").c_str(), ftp->pw_uid, ftp->pw_gid) != 0)
    return false;
  std::ostringstream config;
  config << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port
         << "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nanon_root=" << root_
         << "\nwrite_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
            "anon_other_write_enable=YES\nsecure_chroot_dir="
         << empty
         << "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\nxferlog_enable=NO\n"
            "ftpd_banner="
         << banner << "\n"
         << extra;
  std::string configPath = dir + "/vsftpd.conf";
  if (!WriteFile(configPath, config.str())) return false;
  child_ = std::make_unique<testsupport::ChildProgram>(kVsftpd, configPath);
  return AwaitListener(port);
}

bool AwaitListener(int port) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  bool listening = false;
  for (int attempt = 0; attempt < 200 && !listening; ++attempt) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    listening = connect(s, (sockaddr*)&address, sizeof address) == 0;
    closesocket(s);
    if (!listening) Sleep(50);
  }
  WSACleanup();
  return listening;
}

}  // namespace hopwiretest
