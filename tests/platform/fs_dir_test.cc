// Current drive and directories, directory creation and removal, moves,
// free space and the program's own file name.
#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include "fs/disk_free.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/winbase.h"
#include "temp_drives.h"
#include "tests/platform/net_private_files.h"

namespace {

class Directories : public TempDrives {};

std::string Cwd() {
  char buf[MAX_PATH];
  return _getcwd(buf, sizeof buf) ? buf : "error";
}

TEST_F(Directories, EachDriveKeepsItsOwnCurrentDirectory) {
  MakeDir(C("Work"));
  MakeDir(C("Work/Sub"));
  Write(C("Work/Sub/f.txt"), "c-sub");
  MakeDir(base_ + "/d/dd");
  Write(base_ + "/d/dd/g.txt", "d-dd");
  Write(C("root.txt"), "c-root");

  ASSERT_EQ(_chdir("c:\\work\\sub"), 0);
  EXPECT_EQ(Cwd(), "C:\\work\\sub");
  ASSERT_EQ(_chdir("d:\\dd"), 0);  // a drive letter makes the drive current
  EXPECT_EQ(_getdrive(), 4);
  EXPECT_EQ(Cwd(), "D:\\dd");
  char buf[MAX_PATH];
  ASSERT_NE(_getdcwd(3, buf, sizeof buf), nullptr);
  EXPECT_EQ(std::string(buf), "C:\\work\\sub");

  struct Case {
    const char* path;
    const char* full;
  } cases[] = {
      {"g.txt", "D:\\dd\\g.txt"}, {"c:f.txt", "c:\\work\\sub\\f.txt"}, {"\\x", "D:\\x"},
      {"..\\y", "D:\\y"},         {"C:..\\..\\..\\z", "C:\\z"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(_fullpath(buf, c.path, sizeof buf), nullptr) << c.path;
    EXPECT_EQ(std::string(buf), c.full) << c.path;
  }
  int fd = _open("c:f.txt", _O_RDONLY);
  ASSERT_GE(fd, 0);
  _close(fd);
  fd = _open("g.txt", _O_RDONLY);
  EXPECT_GE(fd, 0);
  _close(fd);

  EXPECT_EQ(_chdrive(3), 0);
  EXPECT_EQ(Cwd(), "C:\\work\\sub");
  EXPECT_EQ(_chdrive(17), -1);  // q: is not mapped
  EXPECT_EQ(_chdir("c:\\work\\sub\\f.txt"), -1);
  EXPECT_EQ(_chdir("c:\\nowhere"), -1);
  EXPECT_EQ(Cwd(), "C:\\work\\sub");
  EXPECT_EQ(_getcwd(buf, 5), nullptr);
  EXPECT_EQ(errno, ERANGE);
  char* owned = _getcwd(nullptr, 0);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(std::string(owned), "C:\\work\\sub");
  free(owned);
}

TEST_F(Directories, MkdirAndRmdirFollowWindowsRules) {
  EXPECT_EQ(_mkdir("c:\\New"), 0);
  EXPECT_EQ(_mkdir("c:\\NEW"), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(_mkdir("c:\\none\\deeper"), -1);
  EXPECT_EQ(errno, ENOENT);
  Write(C("New/f"), "");
  EXPECT_EQ(_rmdir("c:\\new"), -1);
  EXPECT_EQ(errno, ENOTEMPTY);
  ASSERT_EQ(_unlink("c:\\new\\F"), 0);
  EXPECT_EQ(_rmdir("c:\\new\\f"), -1);
  EXPECT_EQ(_rmdir("c:\\"), -1);
  EXPECT_EQ(_rmdir("c:\\new"), 0);
  EXPECT_NE(access(C("New").c_str(), F_OK), 0);
}

TEST_F(Directories, MoveFileNeverReplacesAnExistingTarget) {
  Write(C("a.txt"), "a");
  Write(C("b.txt"), "b");
  MakeDir(C("dir"));
  Write(C("dir/in"), "in");

  SetLastError(0);
  EXPECT_FALSE(MoveFile("c:\\a.txt", "c:\\B.TXT"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Read(C("b.txt")), "b");
  EXPECT_EQ(Read(C("a.txt")), "a");

  EXPECT_TRUE(MoveFile("c:\\A.txt", "c:\\dir\\moved.txt"));
  EXPECT_EQ(Read(C("dir/moved.txt")), "a");
  EXPECT_TRUE(MoveFile("c:\\dir", "c:\\Renamed"));
  EXPECT_EQ(Read(C("Renamed/in")), "in");
  EXPECT_TRUE(MoveFile("c:\\renamed\\in", "c:\\renamed\\IN"));  // a new spelling only
  EXPECT_EQ(Read(C("Renamed/IN")), "in");
  EXPECT_FALSE(MoveFile("c:\\missing", "c:\\x"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(Directories, MoveFileCopiesFilesBetweenFileSystems) {
  char pattern[] = "/dev/shm/platform-fs-XXXXXX";
  if (!mkdtemp(pattern)) GTEST_SKIP() << "no /dev/shm";
  std::string other = pattern;
  struct stat a, b;
  stat(C("").c_str(), &a);
  stat(other.c_str(), &b);
  if (a.st_dev == b.st_dev) {
    rmdir(other.c_str());
    GTEST_SKIP() << "/dev/shm is on the same file system";
  }
  MapDrives("c=" + C("") + ";d=" + other);
  Write(C("src.txt"), "moved across", 0640);
  struct _utimbuf times = {1000000000, 1200000000};
  ASSERT_EQ(_utime("c:\\src.txt", &times), 0);
  Write(other + "/taken", "keep");

  EXPECT_FALSE(MoveFile("c:\\src.txt", "d:\\TAKEN"));
  EXPECT_TRUE(MoveFile("c:\\src.txt", "d:\\dst.txt"));
  EXPECT_NE(access(C("src.txt").c_str(), F_OK), 0);
  EXPECT_EQ(Read(other + "/dst.txt"), "moved across");
  EXPECT_EQ(Read(other + "/taken"), "keep");
  struct stat st;
  ASSERT_EQ(stat((other + "/dst.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
  unlink((other + "/dst.txt").c_str());
  unlink((other + "/taken").c_str());
  rmdir(other.c_str());
}

// A replacing move to another file system that can't finish leaves the file
// it was to replace as it was, and nothing beside it.
TEST_F(Directories, AReplacingMoveAcrossFileSystemsThatFailsKeepsTheTarget) {
  std::string small = base_ + "/small";
  MakeDir(small);
  if (!nettest::MountSmallDisk(small, 64 * 1024)) GTEST_SKIP() << "no private mounts here";
  MapDrives("c=" + C("") + ";d=" + small);
  Write(small + "/taken", "keep");
  Write(C("big.bin"), std::string(256 * 1024, 'x'));
  EXPECT_FALSE(MoveFileEx("c:\\big.bin", "d:\\taken", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Read(small + "/taken"), "keep");
  EXPECT_EQ(Read(C("big.bin")).size(), 256 * 1024u);
  std::vector<std::string> names;
  if (DIR* dir = opendir(small.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    closedir(dir);
  }
  EXPECT_EQ(names, std::vector<std::string>{"taken"});
  Write(C("fits.txt"), "fits");
  EXPECT_TRUE(MoveFileEx("c:\\fits.txt", "d:\\taken", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Read(small + "/taken"), "fits");
  EXPECT_NE(access(C("fits.txt").c_str(), F_OK), 0);
  umount2(small.c_str(), MNT_DETACH);
}

TEST_F(Directories, DiskFreeMatchesTheHostWithClusterCountsIn32Bits) {
  _diskfree_t info{};
  ASSERT_EQ(_getdiskfree(3, &info), 0u);
  struct statvfs vfs;
  ASSERT_EQ(statvfs(C("").c_str(), &vfs), 0);
  uint64_t cluster = (uint64_t)info.bytes_per_sector * info.sectors_per_cluster;
  uint64_t total = (uint64_t)vfs.f_blocks * vfs.f_frsize;
  ASSERT_GT(cluster, 0u);
  EXPECT_EQ((uint64_t)info.total_clusters, total / cluster);
  EXPECT_LE(info.avail_clusters, info.total_clusters);
  EXPECT_NE(_getdiskfree(17, &info), 0u);
}

TEST(DiskFree, ClusterCountsStayWithin32BitsOnHugeFileSystems) {
  struct Case {
    uint64_t blocks, available, unit;
    unsigned sectorsPerCluster, total, avail;
  } cases[] = {
      {1000, 250, 4096, 8, 1000, 250},
      {1000, 1000, 256, 1, 500, 500},
      {(1ull << 32) - 1, 7, 4096, 8, 0xFFFFFFFFu, 7},
      {1ull << 32, 1ull << 31, 4096, 16, 1u << 31, 1u << 30},    // 16 TiB
      {1ull << 40, 1ull << 40, 4096, 4096, 1u << 31, 1u << 31},  // 4 PiB
  };
  for (const Case& c : cases) {
    _diskfree_t info{};
    plat::fs::DiskFreeFromBlocks(c.blocks, c.available, c.unit, &info);
    EXPECT_EQ(info.bytes_per_sector, 512u);
    EXPECT_EQ(info.sectors_per_cluster, c.sectorsPerCluster) << c.blocks;
    EXPECT_EQ(info.total_clusters, c.total) << c.blocks;
    EXPECT_EQ(info.avail_clusters, c.avail) << c.blocks;
  }
}

TEST_F(Directories, ModuleFileNameIsTheProgramThroughTheDriveMap) {
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string host(exe, (size_t)n);
  std::string dir = host.substr(0, host.rfind('/'));
  std::string name = host.substr(host.rfind('/') + 1);

  MapDrives("c=" + C("") + ";e=" + dir);
  char buf[MAX_PATH];
  DWORD len = GetModuleFileName(nullptr, buf, sizeof buf);
  EXPECT_EQ(std::string(buf, len), "E:\\" + name);
  EXPECT_EQ(GetModuleFileName(GetModuleHandle(nullptr), buf, sizeof buf), len);
  EXPECT_EQ(GetModuleHandle(name.c_str()), GetModuleHandle(nullptr));

  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetModuleFileName(nullptr, small, 3), 3u);
  EXPECT_EQ(std::string(small, 4), std::string("E:\0x", 4));

  MapDrives("c=" + C(""));  // no drive holds the program
  EXPECT_EQ(GetModuleFileName(nullptr, buf, sizeof buf), 0u);
}

}  // namespace
