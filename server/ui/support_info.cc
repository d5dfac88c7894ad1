// See support_info.h. Missing files and keys give empty values.
#include "ui/support_info.h"

#include "platform/winbase.h"
#include "shell/program_locations.h"
#include "ui/server_record.h"

namespace {

constexpr int kPathSize = 160;  // 159 characters
constexpr const char* kKeys[kSupportValues] = {"title", "company", "phoneno", "faxno", "email"};

}  // namespace

const SupportInfo* SupportInformation() {
  static SupportInfo info;
  static bool read = false;
  if (read) return &info;
  read = true;
  char path[kPathSize];
  LocateNamedFile(Server->programDirectory, "ABOUT.INI", path, sizeof path);
  for (int i = 0; i < kSupportValues; ++i)
    GetPrivateProfileString("support_info", kKeys[i], "", info.values[i], kSupportValueSize, path);
  return &info;
}
