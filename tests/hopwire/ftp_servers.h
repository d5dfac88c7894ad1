// FTP servers for the slave's tests, each a child process on loopback in the test's
// own network namespace: the scripted fake server, pyftpdlib with a user of the
// test's choosing, and vsftpd serving anonymous users from a scratch root.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/desktop_peers.h"

namespace hopwiretest {

// A directory of the test's own under the test temporary directory.
std::string ScratchDirectory(const std::string& name);

class FakeFtpServer {
 public:
  // script: the fake server's script lines (see servers/fake_ftp_server.py).
  // port 0: any free port.
  bool Start(const std::string& script, const std::string& address = "127.0.0.1", int port = 0);
  int port() const { return port_; }
  // Every line the server received so far, escaped as the script says, and
  // "closed" after each connection.
  std::vector<std::string> Received() const;
  // What the last "receive" data action read.
  std::string Stored() const;

 private:
  std::string dir_;
  int port_ = 0;
  std::unique_ptr<testsupport::ChildProgram> child_;
};

class PyftpdServer {
 public:
  bool Start(const std::string& user, const std::string& password, const std::string& options = "");
  int port() const { return port_; }
  const std::string& root() const { return root_; }

 private:
  std::string root_;
  int port_ = 0;
  std::unique_ptr<testsupport::ChildProgram> child_;
};

class VsftpdServer {
 public:
  // False when vsftpd cannot run here (not installed, not root).
  static bool Available();
  // Anonymous users only, with a writable "pub" below a read-only root; `config`
  // lines are added to its configuration.
  bool Start(int port, const std::string& banner, const std::string& config = "");
  const std::string& root() const { return root_; }

 private:
  std::string root_;
  std::unique_ptr<testsupport::ChildProgram> child_;
};

// Waits until something accepts connections on 127.0.0.1:port.
bool AwaitListener(int port);

}  // namespace hopwiretest
