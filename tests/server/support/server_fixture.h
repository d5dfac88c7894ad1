// Test fixture for the running server in this process: a program directory of
// its own mapped as drive d: (c: stays the host's root, where the test program
// and its version information live), a private desktop, a settings file the test
// writes, and the log file and message boxes the server leaves.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/headless_display.h"
#include "tests/support/desktop_peers.h"
#include "ui/server_record.h"

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The [tolmid] section's keys (after the log keys the fixture adds), then more
  // sections. The log file is d:\tolmid.log, file logging on.
  void WriteSettings(const std::string& tolmidKeys, const std::string& sections = "");
  bool Start();  // InitServer
  void Stop();   // ShutdownServer

  // The log file's lines without their stamps and line ends ("\r" of the string
  // table's texts stays).
  std::vector<std::string> LogLines() const;
  std::string LogBytes() const;
  std::string Host(const std::string& relative) const { return base_ + "/" + relative; }
  std::string ReadHost(const std::string& relative) const;
  void WriteHost(const std::string& relative, const std::string& bytes) const;
  const std::vector<plat::gui::HeadlessDisplay::MessageBoxSeen>& Boxes() const {
    return plat::gui::Headless().MessageBoxes();
  }
  // Dispatches what is ready.
  static void Serve();

  std::string base_;
  testsupport::PrivateDesktop desktop_;
  bool started_ = false;
};
