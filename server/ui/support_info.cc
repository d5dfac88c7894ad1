// See support_info.h. Missing files and keys give empty values.
#include "ui/support_info.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/io.h"
#include "platform/winbase.h"
#include "ui/version_info.h"

namespace {

constexpr int kPathSize = 160;  // 159 characters
constexpr const char* kKeys[kSupportValues] = {"title", "company", "phoneno", "faxno", "email"};

void LocateFile(char* path, size_t size) {
  const char* directory = getenv("TCPAPPS_DIR");
  char program[MAX_PATH] = "";
  if (!directory && ProgramFileName(program, sizeof program)) {
    char* slash = strrchr(program, '\\');
    if (slash) *slash = '\0';
    directory = program;
  }
  snprintf(path, size, "%s\\%s", directory ? directory : "", "ABOUT.INI");
  const char* named = getenv("ABOUT.INI");
  if (_access(path, _A_EXISTS) != 0 && named) snprintf(path, size, "%s", named);
}

}  // namespace

const SupportInfo* SupportInformation() {
  static SupportInfo info;
  static bool read = false;
  if (read) return &info;
  read = true;
  char path[kPathSize];
  LocateFile(path, sizeof path);
  for (int i = 0; i < kSupportValues; ++i)
    GetPrivateProfileString("support_info", kKeys[i], "", info.values[i], kSupportValueSize, path);
  return &info;
}
