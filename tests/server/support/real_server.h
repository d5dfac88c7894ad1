// The real tolmid program, started by a test in its own network namespace, for
// clients that nobody here wrote: a directory of its own mapped as drive d:
// (settings, log, handle table, exported directories), a private desktop, and
// headless display. No platform header here, so RPC client headers can share a
// translation unit with it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/desktop_peers.h"

class RealServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes TOLMID.INI ([tolmid] with the log keys, then tolmidKeys, then
  // sections), starts the program and waits until the log shows readyLine (a
  // service logs its start once its socket is bound).
  void Launch(const std::string& tolmidKeys, const std::string& sections = "",
              const std::string& readyLine = "PCNFS Daemon started.");
  // Starts the program on the settings as they are and waits until the log
  // shows readyLine again.
  void StartProgram(const std::string& readyLine);
  // Signals the program and waits for its end; its exit status.
  int Terminate();

  std::string Host(const std::string& relative) const { return base_ + "/" + relative; }
  std::string ReadHost(const std::string& relative) const;
  void WriteHost(const std::string& relative, const std::string& bytes) const;
  std::string LogBytes() const { return ReadHost("tolmid.log"); }

  std::string base_;
  testsupport::PrivateDesktop desktop_;
  std::unique_ptr<testsupport::ChildProgram> program_;
};
