// Test fixture: real temporary directories mapped as drives c: and d: through
// PLATFORM_DRIVES, with a sibling directory "outside" that no drive maps.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "fs/drive_map.h"
#include "platform/io.h"

class TempDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/platform-fs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    for (const char* d : {"/c", "/d", "/outside"}) {
      ASSERT_EQ(mkdir((base_ + d).c_str(), 0755), 0);
    }
    MapDrives("c=" + base_ + "/c;D=" + base_ + "/d");
  }

  void TearDown() override {
    // Directories made read-only by a test must not stop the clean-up.
    nftw(
        base_.c_str(),
        [](const char* path, const struct stat* st, int, FTW*) {
          if (S_ISDIR(st->st_mode)) chmod(path, 0755);
          return 0;
        },
        16, FTW_PHYS);
    nftw(
        base_.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
        16, FTW_DEPTH | FTW_PHYS);
    unsetenv("PLATFORM_DRIVES");
    plat::fs::ResetDriveStateForTests();
  }

  void MapDrives(const std::string& mapping) {
    setenv("PLATFORM_DRIVES", mapping.c_str(), 1);
    plat::fs::ResetDriveStateForTests();
  }

  // Host path of a path below drive c:'s directory ("sub/file.txt").
  std::string C(const std::string& rel = "") const { return base_ + "/c/" + rel; }
  std::string Outside(const std::string& rel = "") const { return base_ + "/outside/" + rel; }

  static void Write(const std::string& host, const std::string& content, mode_t mode = 0644) {
    int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    ASSERT_GE(fd, 0) << host;
    ASSERT_EQ(write(fd, content.data(), content.size()), (ssize_t)content.size());
    close(fd);
    chmod(host.c_str(), mode);
  }

  static std::string Read(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // What a platform path reads as through the layer, or "errno N".
  static std::string ReadWin(const char* path) {
    int fd = _open(path, _O_RDONLY | _O_BINARY);
    if (fd < 0) return "errno " + std::to_string(errno);
    char buf[256];
    int n = _read(fd, buf, sizeof buf);
    _close(fd);
    return std::string(buf, n > 0 ? n : 0);
  }

  static void MakeDir(const std::string& host) { ASSERT_EQ(mkdir(host.c_str(), 0755), 0) << host; }
  static void Link(const std::string& target, const std::string& host) {
    ASSERT_EQ(symlink(target.c_str(), host.c_str()), 0) << host;
  }

  std::string base_;
};
