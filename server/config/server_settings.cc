// Section [tolmid] through one table of keys: name, kind, default and place in
// ServerSettings. Reading walks the table in order; SaveSetting writes the
// fields of one key or group.
#include "config/server_settings.h"

#include <cassert>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "config/config_profile.h"
#include "platform/winbase.h"

namespace {

enum FieldKind { ON_OFF, UNSIGNED, TRANSFER_SIZE, TEXT, DISPLAY, WINPOS };

struct SettingField {
  const char* key;
  FieldKind kind;
  const char* defaultText;
  uint32_t defaultNumber;
  size_t offset;
  size_t size;
};

#define FIELD(key, kind, text, number, member) \
  { key, kind, text, number, offsetof(ServerSettings, member), sizeof(ServerSettings::member) }

enum FieldId {
  F_CONSOLELOG,
  F_DEBUG_MODE,
  F_DISPLAY,
  F_ENABLED,
  F_GENUID,
  F_GENGID,
  F_PREFTRANSFERSIZE,
  F_LOGFILE,
  F_LOGFILELOG,
  F_LOGFILETRUNC,
  F_PCNFSENABLED,
  F_PORTMAPENABLED,
  F_STARTMINIMIZED,
  F_TIMESTAMP,
  F_EXPORTUNIXSTYLE,
  F_WINPOS,
  F_VERSION,  // written, never read
  F_COUNT,
};

const SettingField kFields[F_COUNT] = {
    FIELD("consolelog", ON_OFF, "off", 0, consoleLog),
    FIELD("debug_mode", ON_OFF, "off", 0, debugMode),
    FIELD("display", DISPLAY, "exp", 0, display),
    FIELD("enabled", ON_OFF, "off", 0, enabled),
    FIELD("genUID", UNSIGNED, "", 400, genUid),
    FIELD("genGID", UNSIGNED, "", 800, genGid),
    FIELD("preftransfersize", TRANSFER_SIZE, "", 1024, prefTransferSize),
    FIELD("logfile", TEXT, "", 0, logFile),
    FIELD("logfilelog", ON_OFF, "off", 0, logFileLog),
    FIELD("logfiletrunc", ON_OFF, "off", 0, logFileTrunc),
    FIELD("pcnfsenabled", ON_OFF, "off", 0, pcnfsEnabled),
    FIELD("portmapenabled", ON_OFF, "off", 0, portMapEnabled),
    FIELD("startminimized", ON_OFF, "off", 0, startMinimized),
    FIELD("timestamp", UNSIGNED, "", 57568, timestamp),
    FIELD("exportunixstyle", ON_OFF, "off", 0, exportUnixStyle),
    FIELD("winpos", WINPOS, "0,0,498,245", 0, winpos),
    FIELD("version", TEXT, "", 0, version),
};

#undef FIELD

// The fields each SettingKey writes, in the order they are written; -1 ends.
struct SettingGroup {
  SettingKey key;
  int fields[7];
};

const SettingGroup kGroups[] = {
    {SETTING_DISPLAY, {F_DISPLAY, -1}},
    {SETTING_GENUID, {F_GENUID, -1}},
    {SETTING_GENGID, {F_GENGID, -1}},
    {SETTING_LOGFILELOG, {F_LOGFILELOG, -1}},
    {SETTING_TIMESTAMP, {F_TIMESTAMP, -1}},
    {SETTING_WINPOS, {F_WINPOS, -1}},
    {SETTING_VERSION, {F_VERSION, -1}},
    {SETTING_LOG_FILE_SETUP, {F_LOGFILE, F_LOGFILETRUNC, -1}},
    {SETTING_SERVER_DIALOG,
     {F_ENABLED, F_PREFTRANSFERSIZE, F_PCNFSENABLED, F_PORTMAPENABLED, F_STARTMINIMIZED,
      F_EXPORTUNIXSTYLE, -1}},
};

template <typename T>
T* At(ServerSettings* settings, const SettingField* field) {
  return reinterpret_cast<T*>(reinterpret_cast<char*>(settings) + field->offset);
}

template <typename T>
const T* At(const ServerSettings* settings, const SettingField* field) {
  return reinterpret_cast<const T*>(reinterpret_cast<const char*>(settings) + field->offset);
}

void ReadField(const char* iniFile, const SettingField* field, ServerSettings* settings) {
  char text[kLogFileNameSize];
  DWORD size = field->kind == TEXT ? (DWORD)field->size : (DWORD)sizeof text;
  if (field->kind == UNSIGNED || field->kind == TRANSFER_SIZE) {
    UINT value =
        GetPrivateProfileInt(kSettingsSection, field->key, (INT)field->defaultNumber, iniFile);
    if (field->kind == UNSIGNED) {
      *At<uint32_t>(settings, field) = value;
    } else {
      *At<uint16_t>(settings, field) = (uint16_t)value;
    }
    return;
  }
  GetPrivateProfileString(kSettingsSection, field->key, field->defaultText, text, size, iniFile);
  if (text[0] == '\0') snprintf(text, size, "%s", field->defaultText);
  switch (field->kind) {
    case ON_OFF:
      *At<uint32_t>(settings, field) = IsOnText(text);
      break;
    case DISPLAY:
      *At<DisplayMode>(settings, field) = DisplayModeFromText(text);
      break;
    case WINPOS:
      if (!ParseWinpos(text, At<WindowRect>(settings, field))) {
        *At<WindowRect>(settings, field) = kDefaultWinpos;
      }
      break;
    default:
      strncpy(At<char>(settings, field), text, size);
      break;
  }
}

void WriteField(const char* iniFile, const SettingField* field, const ServerSettings* settings) {
  char text[kLogFileNameSize];
  const char* value = text;
  switch (field->kind) {
    case ON_OFF:
      value = OnOffText(*At<uint32_t>(settings, field));
      break;
    case UNSIGNED:
      snprintf(text, sizeof text, "%u", *At<uint32_t>(settings, field));
      break;
    case TRANSFER_SIZE:
      snprintf(text, sizeof text, "%d", (int)*At<uint16_t>(settings, field));
      break;
    case DISPLAY:
      value = DisplayModeText(*At<DisplayMode>(settings, field));
      break;
    case WINPOS: {
      const WindowRect* r = At<WindowRect>(settings, field);
      snprintf(text, sizeof text, "%d,%d,%d,%d", r->left, r->top, r->right, r->bottom);
      break;
    }
    case TEXT:
      snprintf(text, sizeof text, "%.*s", (int)field->size - 1, At<char>(settings, field));
      break;
  }
  WritePrivateProfileString(kSettingsSection, field->key, value, iniFile);
}

}  // namespace

namespace {
const ServerSettings* activeSettings;
}  // namespace

const ServerSettings* ActiveSettings() {
  return activeSettings;
}

void UseSettings(const ServerSettings* settings) {
  activeSettings = settings;
}

void ReadServerSettings(const char* iniFile, ServerSettings* settings) {
  for (int id = 0; id < F_VERSION; id++)
    ReadField(iniFile, &kFields[id], settings);
}

void SaveSetting(const char* iniFile, const ServerSettings* settings, SettingKey key) {
  const SettingGroup* group = &kGroups[key];
  assert(group->key == key);
  for (const int* id = group->fields; *id >= 0; id++)
    WriteField(iniFile, &kFields[*id], settings);
}
