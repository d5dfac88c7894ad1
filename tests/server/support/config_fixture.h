// Settings-file tests: TOLMID.INI in the root of a temporary drive c:, written
// by hand where a test needs a hand-edited file, and every table emptied
// afterwards so that leaks show.
#pragma once

#include <string>

#include "config/export_table.h"
#include "config/group_table.h"
#include "config/settings_load.h"
#include "config/user_table.h"
#include "nfs/handle_table.h"
#include "platform/winbase.h"
#include "support/temp_drive.h"

class ConfigTest : public TempDrive {
 protected:
  void TearDown() override {
    EmptyExportTable();
    CloseHandleTable();
    FreeUserList();
    FreeGroupList();
    TempDrive::TearDown();
  }

  void WriteIni(const std::string& text) const { WriteHost(Host("TOLMID.INI"), text); }
  std::string IniText() const { return ReadHost(Host("TOLMID.INI")); }
  std::string Value(const char* section, const char* key) const {
    char buffer[512];
    GetPrivateProfileString(section, key, "<absent>", buffer, sizeof buffer, kIni);
    return buffer;
  }
  bool Load() { return LoadSettings(kIni, &settings_); }

  static constexpr const char* kIni = "c:\\TOLMID.INI";
  ServerSettings settings_ = {};
};
