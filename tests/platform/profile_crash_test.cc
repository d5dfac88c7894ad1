// A writer killed at any moment leaves the old or the new settings file, never
// a torn one; the temporary file it may leave is cleared by the next writer.
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include "platform/winbase.h"
#include "temp_drives.h"

namespace {

const char kIni[] = "c:\\app\\big.ini";

class ProfileCrash : public TempDrives {};

std::vector<std::string> DirectoryNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(d);
  return names;
}

TEST_F(ProfileCrash, KilledWriterLeavesTheOldOrTheNewFile) {
  MakeDir(C("app"));
  std::string body;
  for (int i = 0; i < 10000; ++i) {
    body += "key" + std::to_string(i) + "=some value that makes the file large enough\r\n";
  }
  auto fileWith = [&](unsigned counter) {
    return "[s]\r\ncounter=" + std::to_string(counter) + "\r\n" + body;
  };
  Write(C("app/big.ini"), fileWith(0));

  constexpr int kRounds = 30;
  int caughtMidWrite = 0;
  for (int round = 0; round < kRounds; ++round) {
    unsigned start = GetPrivateProfileInt("s", "counter", 0, kIni);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (unsigned i = start + 1;; ++i) {
        WritePrivateProfileString("s", "counter", std::to_string(i).c_str(), kIni);
      }
    }
    if (round % 2 == 0) {
      // Strike inside a replacement: once its temporary file shows, after a
      // delay that varies from round to round.
      for (int spin = 0; spin < 100000 && DirectoryNames(C("app")).size() < 2; ++spin) {
      }
      struct timespec wait = {0, (long)(round / 2 % 6) * 150000L};
      nanosleep(&wait, nullptr);
    } else {
      struct timespec wait = {0, (long)(1 + round * 7 % 23) * 1000000L};
      nanosleep(&wait, nullptr);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

    if (DirectoryNames(C("app")).size() > 1) ++caughtMidWrite;
    unsigned counter = GetPrivateProfileInt("s", "counter", 0, kIni);
    EXPECT_GE(counter, start);
    ASSERT_EQ(Read(C("app/big.ini")), fileWith(counter)) << "round " << round;
  }
  // The kills really landed inside writes, or the test proved nothing.
  EXPECT_GT(caughtMidWrite, 0);

  ASSERT_TRUE(WritePrivateProfileString("s", "counter", "done", kIni));
  EXPECT_EQ(DirectoryNames(C("app")), std::vector<std::string>{"big.ini"});
}

}  // namespace
