// An INI file under a directory that another process keeps swapping for a
// symbolic link to a directory outside the drive: the writes and reads land
// in the drive's directory or fail, and nothing outside is created or read.
#include <dirent.h>

#include "platform/winbase.h"
#include "swap_loop.h"
#include "temp_drives.h"

namespace {

class ProfileSwap : public TempDrives {};

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    if (e->d_name[0] != '.' || strlen(e->d_name) > 2) names.push_back(e->d_name);
  }
  if (d) closedir(d);
  return names;
}

TEST_F(ProfileSwap, ADirectorySwappedForALinkNeverLeadsOutsideTheDrive) {
  const char kIni[] = "c:\\app\\x.ini";
  MakeDir(C("app"));
  Write(Outside("x.ini"), "[s]\r\nk=outside\r\n");
  Link(Outside(""), C("app.link"));

  int written = 0, read = 0;
  SwapLoop swapper({{C("app"), C("app.link")}}, 2'000'000);
  for (int i = 0; i < 3000; ++i) {
    written += WritePrivateProfileString("s", "k", std::to_string(i).c_str(), kIni) ? 1 : 0;
    char value[32];
    GetPrivateProfileString("s", "k", "", value, sizeof value, kIni);
    EXPECT_STRNE(value, "outside");
    read += value[0] != 0;
  }
  long swaps = swapper.Stop();

  EXPECT_EQ(Names(Outside()), std::vector<std::string>{"x.ini"});
  EXPECT_EQ(Read(Outside("x.ini")), "[s]\r\nk=outside\r\n");
  // The race was really run: writes landed between swaps, and swaps happened.
  EXPECT_GT(written, 0);
  EXPECT_GT(read, 0);
  EXPECT_GT(swaps, 100);
}

}  // namespace
