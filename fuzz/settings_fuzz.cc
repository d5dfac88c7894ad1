// libFuzzer target: the input is a TOLMID.INI. LoadSettings and LoadExports
// read it into the tables (exports against two real directories and a fresh
// handle table), a few searches run, and everything is released again.
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "config/export_table.h"
#include "config/group_table.h"
#include "config/settings_load.h"
#include "config/user_table.h"
#include "nfs/handle_table.h"
#include "platform/io.h"
#include "store_fuzz_support.h"

namespace {

std::string scratch;
std::string drive;

// The scratch drive goes when the bounded run ends.
void RemoveScratch() {
  nftw(
      scratch.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      8, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/tolmid-settings-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) abort();
  drive = scratch = pattern;
  atexit(RemoveScratch);
  mkdir((drive + "/data").c_str(), 0755);
  mkdir((drive + "/pub").c_str(), 0755);
  setenv("PLATFORM_DRIVES", ("c=" + drive).c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* ini = "c:\\TOLMID.INI";
  WriteHostFile(drive + "/TOLMID.INI", data, size);
  unlink((drive + "/nfsfile.hsh").c_str());
  ServerSettings settings = {};
  if (LoadSettings(ini, &settings) && OpenHandleTableWithOps("c:\\", 1, &kFuzzFileOps)) {
    LoadExports(ini);
    AuthenticateUser("alice", "secret");
    FindExportByPath("c:\\data\\x");
    FindGroupByGid(100);
    for (UserEntry* user = FirstUser(); user; user = user->next)
      IsExportOwner(user);
  }
  EmptyExportTable();
  CloseHandleTable();
  FreeUserList();
  FreeGroupList();
  return 0;
}
