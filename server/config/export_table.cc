// The export slots and their sections in the settings file.
#include "config/export_table.h"

#include <strings.h>

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "config/config_alloc.h"
#include "config/config_profile.h"
#include "config/directory_check.h"
#include "config/setting_text.h"
#include "config/user_table.h"
#include "platform/winbase.h"

namespace {

ExportEntry* slots[kExportSlots];

// A dir value holds up to 255 characters.
constexpr DWORD kDirSize = 256;

ExportEntry* Checked(ExportEntry* entry) {
  assert(!entry || entry->magic == kExportMagic);
  return entry;
}

void FreeSlot(int slot) {
  ExportEntry* entry = Checked(slots[slot]);
  slots[slot] = nullptr;
  ReleasePathNode(entry->root);
  entry->magic = 0;
  free(entry);
}

}  // namespace

ExportEntry* ExportSlot(int slot) {
  assert(slot >= 0 && slot < kExportSlots);
  return Checked(slots[slot]);
}

BOOL AddExport(int slot, const char* path, UserEntry* owner, uint32_t access) {
  if (slot < 0 || slot >= kExportSlots || slots[slot]) return FALSE;
  PathNode* root = FindOrAddPath(path);
  if (!root) return FALSE;
  size_t length = strlen(path);
  ExportEntry* entry = static_cast<ExportEntry*>(ConfigAllocate(sizeof(ExportEntry) + length + 1));
  if (!entry) return FALSE;
  HoldPathNode(root);
  entry->magic = kExportMagic;
  entry->slot = (uint16_t)slot;
  entry->owner = owner;
  entry->access = access & 0x1FF;
  entry->root = root;
  entry->path = reinterpret_cast<char*>(entry + 1);
  memcpy(entry->path, path, length);
  slots[slot] = entry;
  return TRUE;
}

void RemoveExport(const char* iniFile, int slot) {
  ExportEntry* entry = ExportSlot(slot);
  if (!entry) return;
  SaveExport(iniFile, entry, EXPORT_REMOVED);
  FreeSlot(slot);
}

void EmptyExportTable() {
  for (int slot = 0; slot < kExportSlots; slot++)
    if (slots[slot]) FreeSlot(slot);
}

void SaveExport(const char* iniFile, const ExportEntry* entry, ExportSave how) {
  char section[kSectionNameSize];
  NumberedSection(section, kExportSectionPrefix, entry->slot);
  if (how == EXPORT_REMOVED) {
    WritePrivateProfileString(section, "dir", kUnusedName, iniFile);
    WritePrivateProfileString(section, "owner", "", iniFile);
    WritePrivateProfileString(section, "access", "", iniFile);
    WritePrivateProfileString(section, "spooldir", "OFF", iniFile);
    return;
  }
  char access[kAccessTextSize];
  AccessToText(entry->access, access);
  WritePrivateProfileString(section, "dir", entry->path, iniFile);
  WritePrivateProfileString(section, "owner", entry->owner->username, iniFile);
  WritePrivateProfileString(section, "access", access, iniFile);
}

int FirstFreeExportSlot() {
  int slot = 0;
  while (slot < kExportSlots && slots[slot])
    slot++;
  return slot;
}

ExportEntry* FindExportByPath(const char* path) {
  ExportEntry* best = nullptr;
  size_t bestLength = 0;
  for (ExportEntry* entry : slots) {
    if (!entry) continue;
    size_t length = strlen(entry->path);
    if (strncmp(path, entry->path, length) != 0) continue;
    // A whole component must match: c:\data is no prefix of c:\database.
    BOOL boundary = path[length] == '\0' || path[length] == '\\' ||
                    (length > 0 && entry->path[length - 1] == '\\');
    if (boundary && (!best || length > bestLength)) {
      best = entry;
      bestLength = length;
    }
  }
  return Checked(best);
}

ExportEntry* FindExportByDirectory(const char* dir) {
  for (ExportEntry* entry : slots)
    if (entry && strcasecmp(entry->path, dir) == 0) return Checked(entry);
  return nullptr;
}

ExportEntry* FindExportByRoot(uint16_t bucket, uint16_t serial) {
  for (ExportEntry* entry : slots) {
    if (entry && entry->root->bucket == bucket && entry->root->serial == serial) {
      return Checked(entry);
    }
  }
  return nullptr;
}

BOOL IsExportOwner(const UserEntry* user) {
  for (ExportEntry* entry : slots)
    if (entry && entry->owner == user) return TRUE;
  return FALSE;
}

BOOL LoadExports(const char* iniFile) {
  for (int slot = 0; slot < kExportSlots; slot++) {
    char section[kSectionNameSize];
    char dir[kDirSize], owner[kNameSize], access[kAccessTextSize];
    NumberedSection(section, kExportSectionPrefix, (uint32_t)slot);
    GetPrivateProfileString(section, "dir", "", dir, sizeof dir, iniFile);
    if (dir[0] == '\0') break;
    if (strcmp(dir, kUnusedName) == 0) continue;
    GetPrivateProfileString(section, "owner", "", owner, sizeof owner, iniFile);
    UserEntry* user = FindUserByName(owner);
    if (!user || !IsExistingDirectory(dir)) continue;
    GetPrivateProfileString(section, "access", "", access, sizeof access, iniFile);
    if (!AddExport(slot, dir, user, AccessFromText(access))) return FALSE;
  }
  return TRUE;
}
