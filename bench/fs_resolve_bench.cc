// _stat below a path anchor, the call an NFS GETATTR or LOOKUP makes: names
// spelt as on disk and in other case, in directories of 10 and 100,000 names,
// beside the physical peers, a bare fstatat of the same file from its own
// directory and from the anchor's (the kernel walking the same components),
// and beside the same _stat resolved from the drive's root.
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "platform/io.h"
#include "platform/path_anchor.h"

namespace {

double Seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

// Calls per second of call, run for about a quarter of a second after one
// call that may fill caches.
template <typename Call>
double Rate(Call call) {
  call();
  long n = 0;
  double start = Seconds(), elapsed = 0;
  while (elapsed < 0.25) {
    for (int i = 0; i < 1000; ++i) {
      if (!call()) {
        fprintf(stderr, "call failed\n");
        exit(1);
      }
    }
    n += 1000;
    elapsed = Seconds() - start;
  }
  return n / elapsed;
}

void MakeDirectory(const std::string& dir, int names) {
  mkdir(dir.c_str(), 0755);
  for (int i = 0; i < names - 1; ++i) {
    std::string name = dir + "/Name" + std::to_string(i) + ".DAT";
    close(open(name.c_str(), O_WRONLY | O_CREAT, 0644));
  }
  close(open((dir + "/README.TXT").c_str(), O_WRONLY | O_CREAT, 0644));
}

}  // namespace

int main() {
  char pattern[] = "/tmp/fs-resolve-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  std::string base = pattern;
  setenv("PLATFORM_DRIVES", ("c=" + base).c_str(), 1);
  mkdir((base + "/Export").c_str(), 0755);
  mkdir((base + "/Export/Data").c_str(), 0755);
  const int sizes[] = {10, 100000};
  for (int size : sizes)
    MakeDirectory(base + "/Export/Data/D" + std::to_string(size), size);
  // A directory changed within the last two seconds is listed afresh on every
  // case-insensitive look-up; let the new ones settle as a served tree would.
  usleep(2'200'000);

  HANDLE anchor = OpenPathAnchor("c:\\Export");
  if (anchor == INVALID_HANDLE_VALUE) return 1;
  int exportFd = open((base + "/Export").c_str(), O_PATH | O_DIRECTORY);
  printf("%-7s %11s %11s %11s %11s %11s   %s\n", "names", "fstatat/s", "walk/s", "exact/s",
         "folded/s", "no anchor/s", "exact and folded against fstatat, walk");
  for (int size : sizes) {
    std::string dir = "c:\\Export\\Data\\D" + std::to_string(size) + "\\";
    std::string exact = dir + "README.TXT", folded = dir + "readme.txt";
    std::string host = base + "/Export/Data/D" + std::to_string(size);
    int dirFd = open(host.c_str(), O_PATH | O_DIRECTORY);
    struct stat st;
    double peer = Rate([&] { return fstatat(dirFd, "README.TXT", &st, 0) == 0; });
    close(dirFd);
    std::string relative = "Data/D" + std::to_string(size) + "/README.TXT";
    double walk = Rate([&] { return fstatat(exportFd, relative.c_str(), &st, 0) == 0; });
    struct _stat ws;
    SetPathAnchor(INVALID_HANDLE_VALUE);
    double drive = Rate([&] { return _stat(exact.c_str(), &ws) == 0; });
    SetPathAnchor(anchor);
    double exactRate = Rate([&] { return _stat(exact.c_str(), &ws) == 0; });
    double foldedRate = Rate([&] { return _stat(folded.c_str(), &ws) == 0; });
    SetPathAnchor(INVALID_HANDLE_VALUE);
    printf("%-7d %11.0f %11.0f %11.0f %11.0f %11.0f   %.2fx %.2fx  %.2fx %.2fx\n", size, peer, walk,
           exactRate, foldedRate, drive, exactRate / peer, foldedRate / peer, exactRate / walk,
           foldedRate / walk);
  }
  close(exportFd);
  ClosePathAnchor(anchor);
  nftw(
      base.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      16, FTW_DEPTH | FTW_PHYS);
  return 0;
}
