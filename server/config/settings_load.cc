// See settings_load.h.
#include "config/settings_load.h"

#include "config/group_table.h"
#include "config/user_table.h"

BOOL LoadSettings(const char* iniFile, ServerSettings* settings) {
  ReadServerSettings(iniFile, settings);
  UseSettings(settings);
  if (LoadUsers(iniFile) && LoadGroups(iniFile)) return TRUE;
  FreeUserList();
  FreeGroupList();
  return FALSE;
}
