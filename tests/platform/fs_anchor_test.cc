// Path anchors: file calls below an export-like directory resolve from the
// held directory and never leave it, whatever its links say or another
// process swaps in; calls elsewhere are refused; a call costs one openat and
// one statx per component below the anchor, never a walk from the drive.
#include <dirent.h>
#include <errno.h>

#include "fs_faults.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/path_anchor.h"
#include "platform/winbase.h"
#include "swap_loop.h"
#include "temp_drives.h"

namespace {

std::vector<std::string> List(const char* pattern) {
  std::vector<std::string> names;
  _finddata_t data;
  intptr_t h = _findfirst(pattern, &data);
  if (h == -1) return {"errno " + std::to_string(errno)};
  do {
    names.push_back(data.name);
  } while (_findnext(h, &data) == 0);
  _findclose(h);
  return names;
}

std::vector<std::string> HostNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
  }
  if (d) closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

class Anchor : public TempDrives {
 protected:
  void SetUp() override {
    TempDrives::SetUp();
    MakeDir(C("etc"));
    Write(C("etc/passwd"), "drive, not export");
    Write(C("x"), "beside the export");
    MakeDir(C("Exp"));
    Write(C("Exp/File.txt"), "file");
    MakeDir(C("Exp/sub"));
    Write(C("Exp/sub/inner.txt"), "inner");
    Link("/etc", C("Exp/etc"));
    Link(Outside(""), C("Exp/host"));
    Link("../../x", C("Exp/sub/up"));
    Link("../Exp/File.txt", C("Exp/back"));
    Link("/EXP/sub/inner.txt", C("Exp/abs"));
    Link("/exp/sub", C("Exp/absdir"));
    Link("sub/inner.txt", C("Exp/rel"));
    anchor_ = OpenPathAnchor("c:\\exp");
    ASSERT_NE(anchor_, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    SetPathAnchor(INVALID_HANDLE_VALUE);
    ClosePathAnchor(anchor_);
    TempDrives::TearDown();
  }
  HANDLE anchor_ = INVALID_HANDLE_VALUE;
};

const std::string kNoEntry = "errno " + std::to_string(ENOENT);
const std::string kRefused = "errno " + std::to_string(EACCES);

TEST_F(Anchor, LinksLeadingOutsideAreAbsentAndPathsElsewhereRefused) {
  struct Case {
    const char* path;
    std::string anchored;
    std::string fromDrive;
  } cases[] = {
      {"c:\\exp\\file.txt", "file", "file"},
      {"C:/EXP/FILE.TXT", "file", "file"},
      {"c:\\exp\\rel", "inner", "inner"},
      {"c:\\exp\\abs", "inner", "inner"},
      {"c:\\exp\\absdir\\inner.txt", "inner", "inner"},
      {"c:\\exp\\etc\\passwd", kNoEntry, "drive, not export"},
      {"c:\\exp\\host\\anything", kNoEntry, kNoEntry},
      {"c:\\exp\\sub\\up", kNoEntry, "beside the export"},
      {"c:\\exp\\back", kNoEntry, "file"},  // climbs above the anchor on its way
      {"c:\\etc\\passwd", kRefused, "drive, not export"},
      {"c:\\x", kRefused, "beside the export"},
      {"c:\\exp\\..\\x", kRefused, "beside the export"},
      {"c:\\exported\\x", kRefused, kNoEntry},
      {"d:\\x", kRefused, kNoEntry},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadWin(c.path), c.fromDrive) << c.path;
  SetPathAnchor(anchor_);
  for (const Case& c : cases) {
    EXPECT_EQ(ReadWin(c.path), c.anchored) << c.path;
    struct _stat st;
    EXPECT_EQ(_stat(c.path, &st) == 0, c.anchored.rfind("errno", 0) != 0) << c.path;
  }

  // Absent links are left out of listings; ".." of the anchor is itself.
  EXPECT_EQ(List("c:\\exp\\*.*"),
            (std::vector<std::string>{".", "..", "File.txt", "abs", "absdir", "rel", "sub"}));
  EXPECT_EQ(List("c:\\exp\\sub\\*"), (std::vector<std::string>{".", "..", "inner.txt"}));
  EXPECT_EQ(List("c:\\*"), std::vector<std::string>{kRefused});

  _diskfree_t info;
  EXPECT_EQ(_getdiskfree(3, &info), 0u);
  EXPECT_EQ(_getdiskfree(4, &info), (unsigned)EACCES);
}

TEST_F(Anchor, ChangesStayBelowTheAnchor) {
  SetPathAnchor(anchor_);
  EXPECT_EQ(_mkdir("c:\\exp\\new"), 0);
  EXPECT_TRUE(MoveFile("c:\\exp\\file.txt", "c:\\exp\\new\\moved.txt"));
  SetLastError(0);
  EXPECT_FALSE(MoveFile("c:\\exp\\new\\moved.txt", "c:\\moved.txt"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_FALSE(MoveFile("c:\\exp\\new\\moved.txt", "c:\\exp\\etc\\passwd2"));
  EXPECT_EQ(_open("c:\\exp\\etc\\new", _O_WRONLY | _O_CREAT, _S_IWRITE), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_mkdir("c:\\exp\\etc\\new"), -1);
  EXPECT_EQ(_rmdir("c:\\exp"), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(_unlink("c:\\exp\\etc"), 0);  // the link itself lies inside
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", "c:\\exp\\new\\a.ini"), TRUE);
  EXPECT_EQ(WritePrivateProfileString("s", "k", "v", "c:\\a.ini"), FALSE);

  SetPathAnchor(INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read(C("Exp/new/moved.txt")), "file");
  EXPECT_EQ(Read(C("Exp/new/a.ini")), "[s]\r\nk=v\r\n");
  EXPECT_EQ(HostNames(C("etc")), std::vector<std::string>{"passwd"});
  EXPECT_EQ(HostNames(C("")), (std::vector<std::string>{"Exp", "etc", "x"}));
}

TEST_F(Anchor, HandlesAreCheckedAndAGoneDirectoryIsReported) {
  EXPECT_EQ(OpenPathAnchor("c:\\exp\\file.txt"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(errno, ENOTDIR);
  EXPECT_EQ(OpenPathAnchor("c:\\none"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(errno, ENOENT);

  int notAnAnchor = 0;
  SetPathAnchor(&notAnAnchor);
  struct _stat st;
  EXPECT_EQ(_stat("c:\\exp\\file.txt", &st), -1);
  EXPECT_EQ(errno, EBADF);
  SetPathAnchor(anchor_);
  EXPECT_EQ(_stat("c:\\exp\\file.txt", &st), 0);
  HANDLE other = OpenPathAnchor("c:\\exp\\sub");
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  SetPathAnchor(other);
  EXPECT_EQ(_stat("c:\\exp\\file.txt", &st), -1);
  EXPECT_EQ(errno, EACCES);
  ClosePathAnchor(other);  // the anchor in force: calls go by the drive again
  EXPECT_EQ(_stat("c:\\exp\\file.txt", &st), 0);
  SetPathAnchor(other);  // closed: names no anchor any more
  EXPECT_EQ(_stat("c:\\exp\\file.txt", &st), -1);
  EXPECT_EQ(errno, EBADF);
  SetPathAnchor(INVALID_HANDLE_VALUE);

  EXPECT_FALSE(PathAnchorGone(anchor_));
  ASSERT_EQ(rename(C("Exp").c_str(), C("Old").c_str()), 0);
  EXPECT_TRUE(PathAnchorGone(anchor_));  // the path leads nowhere now
  SetPathAnchor(anchor_);
  EXPECT_EQ(ReadWin("c:\\exp\\file.txt"), "file");  // still the held directory
  SetPathAnchor(INVALID_HANDLE_VALUE);
  MakeDir(C("Exp"));
  EXPECT_TRUE(PathAnchorGone(anchor_));  // the path leads to another directory
  ASSERT_EQ(rmdir(C("Exp").c_str()), 0);
  ASSERT_EQ(rename(C("Old").c_str(), C("Exp").c_str()), 0);
  EXPECT_FALSE(PathAnchorGone(anchor_));
  MakeDir(C("Exp/empty"));
  HANDLE removed = OpenPathAnchor("c:\\exp\\empty");
  ASSERT_EQ(rmdir(C("Exp/empty").c_str()), 0);
  EXPECT_TRUE(PathAnchorGone(removed));
  ClosePathAnchor(removed);
  EXPECT_TRUE(PathAnchorGone(removed));  // closed handles name nothing
}

TEST_F(Anchor, ACallBelowTheAnchorWalksOnlyTheComponentsBelowIt) {
  MakeDir(C("Exp/a"));
  MakeDir(C("Exp/a/b"));
  Write(C("Exp/a/b/f.txt"), "deep");
  SetPathAnchor(anchor_);
  struct _stat st;
  ASSERT_EQ(_stat("c:\\exp\\a\\b\\f.txt", &st), 0);  // warm: the drive's root is opened once
  fs_faults::Install();
  EXPECT_EQ(_stat("c:\\exp\\a\\b\\f.txt", &st), 0);
  EXPECT_EQ(_stat("c:\\exp", &st), 0);
  fs_faults::Uninstall();
  // One openat2 for the directories on the way, one statx for the last
  // name; the anchor itself is only looked at.
  EXPECT_EQ(fs_faults::Count(fs_faults::kOpenat2), 1);
  EXPECT_EQ(fs_faults::Count(fs_faults::kOpenat), 0);
  EXPECT_EQ(fs_faults::Count(fs_faults::kStatx), 2);
  EXPECT_EQ(fs_faults::Count(fs_faults::kDupfd), 0);
  EXPECT_EQ(st.st_mode & _S_IFDIR, _S_IFDIR);
}

TEST_F(Anchor, SwappingADirectoryForALinkNeverLeadsOutside) {
  MakeDir(C("elsewhere"));
  MakeDir(C("Exp/w1"));
  MakeDir(C("Exp/w2"));
  Link("/elsewhere", C("Exp/l1"));
  Link("../elsewhere", C("Exp/l2"));
  Link(Outside(""), C("Exp/l3"));
  MakeDir(C("Exp/w3"));
  SetPathAnchor(anchor_);
  int done = 0;
  SwapLoop swapper(
      {{C("Exp/w1"), C("Exp/l1")}, {C("Exp/w2"), C("Exp/l2")}, {C("Exp/w3"), C("Exp/l3")}},
      2'000'000);
  for (int i = 0; i < 400; ++i) {
    std::string n = std::to_string(i);
    for (const char* dir : {"c:\\exp\\w1\\", "c:\\exp\\w2\\", "c:\\exp\\w3\\"}) {
      std::string file = dir + ("f" + n);
      int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT, _S_IREAD | _S_IWRITE);
      if (fd >= 0) {
        done += _write(fd, "x", 1) == 1;
        _close(fd);
      }
      struct _stat st;
      done += _stat(file.c_str(), &st) == 0;
      done += _mkdir((dir + ("d" + n)).c_str()) == 0;
      done += MoveFile(file.c_str(), (dir + ("g" + n)).c_str()) ? 1 : 0;
    }
  }
  long swaps = swapper.Stop();
  SetPathAnchor(INVALID_HANDLE_VALUE);
  EXPECT_EQ(HostNames(C("elsewhere")), std::vector<std::string>{});
  EXPECT_EQ(HostNames(Outside()), std::vector<std::string>{});
  EXPECT_GT(done, 100);
  EXPECT_GT(swaps, 100);
}

}  // namespace
