// Section names and number keys of the settings file.
#include "config/config_profile.h"

#include <cstdio>

#include "platform/winbase.h"

void NumberedSection(char* out, const char* prefix, uint32_t index) {
  snprintf(out, kSectionNameSize, "%s%02u", prefix, index);
}

void WriteUnsigned(const char* section, const char* key, uint32_t value, const char* iniFile) {
  char text[16];
  snprintf(text, sizeof text, "%u", value);
  WritePrivateProfileString(section, key, text, iniFile);
}
