// Windows paths on the host: case-insensitive lookup, confinement to the
// drive's directory through ".." and symbolic links, invalid paths, and the
// host-path conversions the rest of the layer uses.
#include <errno.h>

#include "fs/host_path.h"
#include "fs/name_cache.h"
#include "fs/resolver.h"
#include "fs_faults.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "temp_drives.h"

namespace {

bool Resolve(const char* path, plat::fs::Resolved* r) {
  plat::fs::WinPath wp;
  return plat::fs::ParseWinPath(path, plat::fs::PathUse::kName, &wp) &&
         plat::fs::ResolvePath(wp, plat::fs::FinalLink::kFollow, plat::fs::Want::kDescriptor, r);
}

ino_t HostInode(const std::string& host) {
  struct stat st {};
  stat(host.c_str(), &st);
  return st.st_ino;
}

ino_t HostInodeOf(int fd) {
  struct stat st {};
  fstat(fd, &st);
  return st.st_ino;
}

class Resolution : public TempDrives {};

TEST_F(Resolution, FindsMixedCaseNamesAndPrefersTheExactOne) {
  MakeDir(C("Data"));
  MakeDir(C("Data/SubDir"));
  Write(C("Data/SubDir/Read.Me"), "mixed");
  Write(C("Data/exact.txt"), "lower");
  Write(C("Data/EXACT.TXT"), "upper");
  Write(C("Data/Exact.txt"), "title");

  EXPECT_EQ(ReadWin("c:\\data\\subdir\\read.me"), "mixed");
  EXPECT_EQ(ReadWin("C:/DATA/SUBDIR/READ.ME"), "mixed");
  EXPECT_EQ(ReadWin("c:\\Data\\exact.txt"), "lower");
  EXPECT_EQ(ReadWin("c:\\Data\\EXACT.TXT"), "upper");
  EXPECT_EQ(ReadWin("c:\\Data\\Exact.txt"), "title");
  // No exact match: the smallest name in byte order wins, every time.
  EXPECT_EQ(ReadWin("c:\\Data\\eXact.txt"), "upper");
}

TEST_F(Resolution, CaseInsensitiveLookUpsListAnUnchangedDirectoryOnceAndSeeEveryChange) {
  MakeDir(C("Big"));
  for (int i = 0; i < 50; ++i)
    Write(C("Big/Name" + std::to_string(i) + ".TXT"), "");
  Write(C("Big/README.TXT"), "first");
  // Changes within the last two seconds could share one time stamp with the
  // next change, so such a directory is listed afresh on every look-up.
  usleep(2'100'000);
  plat::fs::ForgetFoldedNames();

  fs_faults::Install();
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(ReadWin("c:\\Big\\readme.txt"), "first");
  EXPECT_EQ(ReadWin("c:\\Big\\missing.txt"), "errno " + std::to_string(ENOENT));
  int listed = fs_faults::Count(fs_faults::kGetdents);
  fs_faults::Uninstall();
  EXPECT_EQ(listed, 2);  // one batch and the end, once for all six

  ASSERT_EQ(rename(C("Big/README.TXT").c_str(), C("Big/ReadMe.txt").c_str()), 0);
  EXPECT_EQ(ReadWin("c:\\big\\README.txt"), "first");
  Write(C("Big/Second.TXT"), "second");
  EXPECT_EQ(ReadWin("c:\\big\\second.txt"), "second");
  ASSERT_EQ(unlink(C("Big/ReadMe.txt").c_str()), 0);
  EXPECT_EQ(ReadWin("c:\\big\\readme.txt"), "errno " + std::to_string(ENOENT));
}

TEST_F(Resolution, DotDotNeverClimbsAboveTheDriveRoot) {
  Write(C("marker.txt"), "inside");
  Write(Outside("marker.txt"), "outside");
  MakeDir(C("sub"));
  EXPECT_EQ(ReadWin("c:\\..\\marker.txt"), "inside");
  EXPECT_EQ(ReadWin("c:\\sub\\..\\..\\..\\marker.txt"), "inside");
  EXPECT_EQ(ReadWin("c:\\..\\outside\\marker.txt"), "errno " + std::to_string(ENOENT));
}

TEST_F(Resolution, SymbolicLinksStayInsideTheDrive) {
  Write(C("marker.txt"), "inside");
  Write(Outside("marker.txt"), "outside");
  Write(Outside("secret.txt"), "secret");
  MakeDir(C("sub"));
  Write(C("sub/file.txt"), "file");
  Link("sub/file.txt", C("relative"));
  Link("/sub/file.txt", C("absolute"));
  Link("../../marker.txt", C("sub/up"));           // clamps at the root
  Link("../../outside/secret.txt", C("sub/out"));  // would leave the drive
  Link(Outside("secret.txt"), C("hostpath"));      // a host path is drive-relative
  Link("/", C("sub/root"));
  Link("..", C("sub/parent"));
  Link("loop2", C("loop1"));
  Link("loop1", C("loop2"));

  struct Case {
    const char* path;
    std::string expect;
  } cases[] = {
      {"c:\\relative", "file"},
      {"c:\\ABSOLUTE", "file"},
      {"c:\\sub\\up", "inside"},
      {"c:\\sub\\out", "errno " + std::to_string(ENOENT)},
      {"c:\\hostpath", "errno " + std::to_string(ENOENT)},
      {"c:\\sub\\root\\marker.txt", "inside"},
      {"c:\\sub\\root\\..\\..\\marker.txt", "inside"},
      {"c:\\sub\\parent\\marker.txt", "inside"},
      {"c:\\sub\\parent\\sub\\up", "inside"},
      {"c:\\loop1", "errno " + std::to_string(ELOOP)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadWin(c.path), c.expect) << c.path;

  plat::fs::Resolved r;
  ASSERT_TRUE(Resolve("c:\\sub\\up", &r));
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(r.name, "marker.txt");
  EXPECT_EQ(r.st.st_ino, HostInode(C("marker.txt")));
  EXPECT_EQ(HostInodeOf(r.parent), HostInode(C("")));
}

TEST_F(Resolution, CreatingThroughALinkStaysInsideTheDrive) {
  Link(Outside(""), C("escape"));  // reads as c:\<host path of outside>
  int fd = _open("c:\\escape\\new.txt", _O_WRONLY | _O_CREAT, _S_IREAD | _S_IWRITE);
  EXPECT_EQ(fd, -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_NE(access(Outside("new.txt").c_str(), F_OK), 0);
}

TEST_F(Resolution, RejectsInvalidPathsWithErrno) {
  MakeDir(C("sub"));
  std::string longName(MAX_PATH - 3, 'a');  // "c:\" + name is MAX_PATH long
  std::string fitting(MAX_PATH - 4, 'a');
  struct Case {
    std::string path;
    int err;
  } cases[] = {
      {"", ENOENT},
      {"q:\\file", ENOENT},
      {"\\\\server\\share\\file", ENOENT},
      {"c:\\a<b", EINVAL},
      {"c:\\a>b", EINVAL},
      {"c:\\a\"b", EINVAL},
      {"c:\\a|b", EINVAL},
      {"c:\\a?b", EINVAL},
      {"c:\\a*b", EINVAL},
      {"c:\\a:b", EINVAL},
      {"c:\\a\tb", EINVAL},
      {"c:\\" + longName, ENAMETOOLONG},
      {"c:\\" + fitting, ENOENT},
  };
  for (const Case& c : cases) {
    errno = 0;
    EXPECT_EQ(_open(c.path.c_str(), _O_RDONLY), -1) << c.path;
    EXPECT_EQ(errno, c.err) << c.path;
  }
  // Too long only once made absolute against the current directory.
  ASSERT_EQ(_chdir("c:\\sub"), 0);
  errno = 0;
  EXPECT_EQ(_open(std::string(MAX_PATH - 5, 'b').c_str(), _O_RDONLY), -1);
  EXPECT_EQ(errno, ENAMETOOLONG);
}

TEST_F(Resolution, AMissingLastComponentKeepsItsSpellingInTheHeldDirectory) {
  MakeDir(C("Dir"));
  plat::fs::Resolved r;
  ASSERT_TRUE(Resolve("c:\\DIR\\New File.INI", &r));
  EXPECT_FALSE(r.exists);
  EXPECT_EQ(r.name, "New File.INI");
  EXPECT_EQ(HostInodeOf(r.parent), HostInode(C("Dir")));

  errno = 0;
  EXPECT_FALSE(Resolve("c:\\missing\\x.ini", &r));
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(Resolution, WindowsPathOfPicksTheLongestDriveAndRefusesBackslashNames) {
  MakeDir(C("nested"));
  MapDrives("c=" + C("") + ";e=" + C("nested"));
  std::string win;
  ASSERT_TRUE(plat::fs::WindowsPathOf(C("nested/a/b.txt"), &win));
  EXPECT_EQ(win, "E:\\a\\b.txt");
  ASSERT_TRUE(plat::fs::WindowsPathOf(C("x"), &win));
  EXPECT_EQ(win, "C:\\x");
  ASSERT_TRUE(plat::fs::WindowsPathOf(C(""), &win));
  EXPECT_EQ(win, "C:\\");
  EXPECT_FALSE(plat::fs::WindowsPathOf(Outside("x"), &win));
  EXPECT_FALSE(plat::fs::WindowsPathOf(C("odd\\name"), &win));
  // A sibling whose name merely starts like the drive's directory is not in it.
  EXPECT_FALSE(plat::fs::WindowsPathOf(base_ + "/cx/file", &win));
}

}  // namespace
