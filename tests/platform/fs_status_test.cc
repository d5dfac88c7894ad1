// Windows-style status and the read-only attribute, which the layer enforces
// itself: these tests run as root too, where the host would allow writing.
#include <errno.h>
#include <time.h>

#include "platform/io.h"
#include "platform/winbase.h"
#include "temp_drives.h"

namespace {

class Status : public TempDrives {};

TEST_F(Status, ModeFollowsDirectoryReadOnlyAndExecutableNames) {
  MakeDir(C("dir"));
  MakeDir(C("rodir"));
  chmod(C("rodir").c_str(), 0555);
  struct Case {
    const char* name;
    mode_t hostMode;
    unsigned mode;
  } files[] = {
      {"plain.txt", 0644, 0x8000 | 0x1B6}, {"ro.txt", 0444, 0x8000 | 0x124},
      {"tool.EXE", 0644, 0x8000 | 0x1FF},  {"ro.bat", 0444, 0x8000 | 0x16D},
      {"run.Cmd", 0600, 0x8000 | 0x1FF},   {"x.com", 0200, 0x8000 | 0x1FF},
      {"exe", 0755, 0x8000 | 0x1B6},       {"a.exe.txt", 0755, 0x8000 | 0x1B6},
  };
  for (const Case& f : files)
    Write(C(f.name), "12345", f.hostMode);

  struct _stat st;
  for (const Case& f : files) {
    ASSERT_EQ(_stat((std::string("c:\\") + f.name).c_str(), &st), 0) << f.name;
    EXPECT_EQ(st.st_mode, f.mode) << f.name;
    EXPECT_EQ(st.st_nlink, 1) << f.name;
    EXPECT_EQ(st.st_size, 5) << f.name;
  }
  ASSERT_EQ(_stat("c:\\DIR", &st), 0);
  EXPECT_EQ(st.st_mode, 0x4000 | 0x1FF);
  ASSERT_EQ(_stat("c:\\rodir\\", &st), 0);
  EXPECT_EQ(st.st_mode, 0x4000 | 0x16D);

  int fd = _open("c:\\TOOL.exe", _O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(_fstat(fd, &st), 0);
  EXPECT_EQ(st.st_mode, 0x8000 | 0x1FF);
  EXPECT_EQ(st.st_nlink, 1);
  // A file renamed over while open has no name left: no link.
  ASSERT_EQ(rename(C("plain.txt").c_str(), C("tool.EXE").c_str()), 0);
  ASSERT_EQ(_fstat(fd, &st), 0);
  EXPECT_EQ(st.st_nlink, 0);
  _close(fd);
}

TEST_F(Status, DriveRootHasTheFixed1980TimesAndOtherPathsTheirOwn) {
  struct tm tm {};
  tm.tm_year = 80;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  time_t y1980 = mktime(&tm);
  Write(C("f.txt"), "x");
  struct _utimbuf times = {1000000000, 1100000000};
  ASSERT_EQ(_utime("c:\\f.txt", &times), 0);

  struct _stat st;
  for (const char* root : {"c:\\", "c:/", "C:\\..", "d:\\"}) {
    ASSERT_EQ(_stat(root, &st), 0) << root;
    EXPECT_EQ(st.st_mode, 0x4000 | 0x1FF) << root;
    EXPECT_EQ(st.st_mtime, y1980) << root;
    EXPECT_EQ(st.st_atime, y1980) << root;
    EXPECT_EQ(st.st_ctime, y1980) << root;
  }
  ASSERT_EQ(_stat("c:\\F.TXT", &st), 0);
  EXPECT_EQ(st.st_mtime, 1100000000);
  EXPECT_EQ(st.st_atime, 1000000000);
  EXPECT_EQ(st.st_dev, 2u);  // c:
}

TEST_F(Status, ReadOnlyFilesRefuseEveryWrite) {
  Write(C("ro.txt"), "keep", 0444);
  struct Case {
    const char* what;
    int result;
  } cases[] = {
      {"open write-only", _open("c:\\ro.txt", _O_WRONLY)},
      {"open read-write", _open("c:\\RO.TXT", _O_RDWR)},
      {"open truncating", _open("c:\\ro.txt", _O_WRONLY | _O_TRUNC)},
      {"share-open for writing", _sopen("c:\\ro.txt", _O_RDWR, _SH_DENYNO)},
      {"unlink", _unlink("c:\\ro.txt")},
      {"access for writing", _access("c:\\ro.txt", _A_WRITE)},
      {"set times", _utime("c:\\ro.txt", nullptr)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.result, -1) << c.what;
  EXPECT_EQ(Read(C("ro.txt")), "keep");
  EXPECT_EQ(_access("c:\\ro.txt", _A_READ), 0);

  int fd = _open("c:\\ro.txt", _O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(_chsize(fd, 0), -1);
  EXPECT_EQ(errno, EACCES);
  _close(fd);
  EXPECT_EQ(Read(C("ro.txt")), "keep");
}

TEST_F(Status, NewFileWithoutWritePermissionIsReadOnlyButThisOpenWrites) {
  int fd = _open("c:\\new.txt", _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(_write(fd, "data", 4), 4);
  _close(fd);
  EXPECT_EQ(Read(C("new.txt")), "data");
  EXPECT_EQ(GetFileAttributes("c:\\new.txt"), (DWORD)FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(_open("c:\\new.txt", _O_WRONLY), -1);
  EXPECT_EQ(errno, EACCES);
}

TEST_F(Status, SetFileAttributesTogglesReadOnlyWithinTheUmask) {
  Write(C("f.txt"), "x", 0664);
  mode_t old = umask(002);
  ASSERT_TRUE(SetFileAttributes("c:\\F.txt", FILE_ATTRIBUTE_READONLY));
  struct stat st;
  stat(C("f.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(GetFileAttributes("c:\\f.txt"), (DWORD)FILE_ATTRIBUTE_READONLY);

  ASSERT_TRUE(SetFileAttributes("c:\\f.txt", FILE_ATTRIBUTE_NORMAL));
  stat(C("f.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0664u);  // owner write, group write; others masked
  EXPECT_EQ(GetFileAttributes("c:\\f.txt"), (DWORD)FILE_ATTRIBUTE_NORMAL);
  umask(old);

  ASSERT_EQ(_chmod("c:\\f.txt", _S_IREAD), 0);
  EXPECT_EQ(GetFileAttributes("c:\\f.txt"), (DWORD)FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(_chmod("c:\\f.txt", _S_IREAD | _S_IWRITE), 0);
  EXPECT_EQ(GetFileAttributes("c:\\f.txt"), (DWORD)FILE_ATTRIBUTE_NORMAL);

  MakeDir(C(".hidden"));
  EXPECT_EQ(GetFileAttributes("c:\\.HIDDEN"),
            (DWORD)(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributes("c:\\none"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

}  // namespace
