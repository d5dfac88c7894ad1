// Every host call an operation makes can fail: for each kind of call and each
// k, the k-th call fails with EIO, and the operation must report EIO (or,
// where the failed call is one it may do without, succeed in full), leave
// the files in the old or the new state, and leave no descriptor open.
#include <dirent.h>
#include <errno.h>

#include <functional>

#include "fs/name_cache.h"
#include "fs_faults.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/winbase.h"
#include "temp_drives.h"

namespace {

using fs_faults::OpenDescriptors;

class Faults : public TempDrives {
 protected:
  // The same tree before every run, fresh from the host.
  void Rebuild() {
    std::string data = C("Data");
    nftw(
        data.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
        16, FTW_DEPTH | FTW_PHYS);
    MakeDir(C("Data"));
    MakeDir(C("Data/Sub"));
    MakeDir(C("Data/App"));
    Write(C("Data/Sub/File.txt"), "content");
    Write(C("Data/a.txt"), "a");
    Write(C("Data/App/Settings.ini"), "[s]\r\nk=old\r\n");
    Link("Sub/File.txt", C("Data/link"));
    plat::fs::ForgetFoldedNames();
  }

  bool Exists(const std::string& host) { return access(host.c_str(), F_OK) == 0; }
};

struct Operation {
  const char* name;
  std::function<bool()> run;        // true when it reports success
  std::function<bool(bool)> sound;  // the files agree with what it reported
};

TEST_F(Faults, EveryFailedHostCallIsReportedAndLeavesNoDescriptorOpen) {
  auto readAll = [](int fd) {
    char buf[64];
    int n = _read(fd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
  };
  const Operation operations[] = {
      {"_open of a nested path in other case",
       [&] {
         int fd = _open("c:\\data\\sub\\file.txt", _O_RDONLY | _O_BINARY);
         if (fd < 0) return false;
         std::string text = readAll(fd);
         _close(fd);
         return text == "content" || (errno = EIO, false);
       },
       [](bool) { return true; }},
      {"_open creating a file",
       [] {
         int fd = _sopen("c:\\data\\SUB\\new.txt", _O_RDWR | _O_CREAT | _O_EXCL, _SH_DENYWR,
                         _S_IREAD | _S_IWRITE);
         return fd >= 0 && _close(fd) == 0;
       },
       [&](bool ok) { return Exists(C("Data/Sub/new.txt")) == ok; }},
      {"_stat through a link",
       [] {
         struct _stat st;
         return _stat("c:\\data\\link", &st) == 0 && (st.st_size == 7 || (errno = EIO, false));
       },
       [](bool) { return true; }},
      {"_findfirst",
       [] {
         _finddata_t data;
         intptr_t h = _findfirst("c:\\data\\*.*", &data);
         if (h == -1) return false;
         std::string names = data.name;
         while (_findnext(h, &data) == 0)
           names += std::string(" ") + data.name;
         _findclose(h);
         return names == ". .. App Sub a.txt link" || (errno = EIO, false);
       },
       [](bool) { return true; }},
      {"MoveFile", [] { return MoveFile("c:\\data\\A.TXT", "c:\\data\\sub\\b.txt") != FALSE; },
       [&](bool ok) { return Exists(C("Data/a.txt")) != ok && Exists(C("Data/Sub/b.txt")) == ok; }},
      {"an INI write",
       [] { return WritePrivateProfileString("s", "k", "new", "c:\\data\\app\\settings.ini"); },
       [&](bool ok) {
         DIR* d = opendir(C("Data/App").c_str());
         int names = 0;
         while (dirent* e = readdir(d))
           names += e->d_name[0] != '.' || strlen(e->d_name) > 2;
         closedir(d);
         return names == 1 &&
                Read(C("Data/App/Settings.ini")) == (ok ? "[s]\r\nk=new\r\n" : "[s]\r\nk=old\r\n");
       }},
      {"_mkdir", [] { return _mkdir("c:\\data\\sub\\new") == 0; },
       [&](bool ok) { return Exists(C("Data/Sub/new")) == ok; }},
      {"_unlink", [] { return _unlink("c:\\data\\sub\\file.txt") == 0; },
       [&](bool ok) { return Exists(C("Data/Sub/File.txt")) != ok; }},
      {"_chmod", [] { return _chmod("c:\\data\\sub\\file.txt", _S_IREAD) == 0; },
       [&](bool ok) {
         struct stat st;
         stat(C("Data/Sub/File.txt").c_str(), &st);
         return ((st.st_mode & 0222) == 0) == ok;
       }},
      {"_utime",
       [] {
         struct _utimbuf times = {1000000000, 1100000000};
         return _utime("c:\\data\\sub\\file.txt", &times) == 0;
       },
       [&](bool ok) {
         struct stat st;
         stat(C("Data/Sub/File.txt").c_str(), &st);
         return (st.st_mtim.tv_sec == 1100000000) == ok;
       }},
      {"_getdiskfree",
       [] {
         _diskfree_t info;
         unsigned rc = _getdiskfree(3, &info);
         errno = (int)rc;
         return rc == 0;
       },
       [](bool) { return true; }},
  };

  int injected = 0;
  for (const Operation& op : operations) {
    Rebuild();
    ASSERT_TRUE(op.run()) << op.name << " fails without faults";
    Rebuild();
    fs_faults::Install();
    std::set<std::string> before = OpenDescriptors();
    op.run();
    fs_faults::Uninstall();
    int counts[fs_faults::kKinds];
    for (int kind = 0; kind < fs_faults::kKinds; ++kind)
      counts[kind] = fs_faults::Count(kind);

    for (int kind = 0; kind < fs_faults::kKinds; ++kind) {
      for (int k = 1; k <= counts[kind]; ++k) {
        Rebuild();
        fs_faults::Install(kind, k, EIO);
        errno = 0;
        bool ok = op.run();
        int err = errno;
        bool fired = fs_faults::Fired();
        fs_faults::Uninstall();
        std::string where =
            std::string(op.name) + ", " + fs_faults::KindName(kind) + " #" + std::to_string(k);
        EXPECT_TRUE(fired) << where;
        if (!ok) EXPECT_EQ(err, EIO) << where;
        EXPECT_TRUE(op.sound(ok)) << where << (ok ? " succeeded" : " failed");
        EXPECT_EQ(OpenDescriptors(), before) << where;
        ++injected;
      }
    }
  }
  EXPECT_GT(injected, 100);
}

}  // namespace
