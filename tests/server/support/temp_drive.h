// Test fixture: a fresh temporary directory mapped as drive c: through
// PLATFORM_DRIVES. Each test case runs in a process of its own, and the layer
// reads the mapping on first use, so every case sees its own drive.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

class TempDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolmid-store-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    setenv("PLATFORM_DRIVES", ("c=" + base_).c_str(), 1);
  }

  void TearDown() override {
    nftw(
        base_.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
        16, FTW_DEPTH | FTW_PHYS);
  }

  // Host path of a path below drive c: ("data/readme.txt").
  std::string Host(const std::string& relative) const { return base_ + "/" + relative; }

  static std::string ReadHost(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static void WriteHost(const std::string& host, const std::string& bytes) {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  static void MakeHostDir(const std::string& host) { ASSERT_EQ(mkdir(host.c_str(), 0755), 0); }

  std::string base_;
};
