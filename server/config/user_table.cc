// The user list behind a fixed empty head, in section order.
#include "config/user_table.h"

#include <strings.h>
#include <cstdlib>
#include <cstring>

#include "config/config_alloc.h"
#include "config/config_profile.h"
#include "config/password_scramble.h"
#include "config/setting_text.h"
#include "platform/winbase.h"

namespace {

UserEntry head;

// Secondary gids of eight 10-digit numbers with their blanks, and room to
// notice a longer hand-edited value.
constexpr DWORD kGidTextSize = 128;

void Append(UserEntry* user) {
  UserEntry* last = &head;
  while (last->next)
    last = last->next;
  last->next = user;
}

uint32_t KnownSections() {
  uint32_t count = 0;
  for (UserEntry* user = head.next; user; user = user->next)
    if (user->index != 0) count++;
  return count;
}

}  // namespace

UserEntry* FirstUser() {
  return head.next;
}

BOOL IsRemovedUser(const UserEntry* user) {
  return strcmp(user->username, kUnusedName) == 0;
}

UserEntry* FindUserByName(const char* name) {
  for (UserEntry* user = head.next; user; user = user->next)
    if (!IsRemovedUser(user) && strcasecmp(user->username, name) == 0) return user;
  return nullptr;
}

UserEntry* FindUserByUid(uint32_t uid) {
  for (UserEntry* user = head.next; user; user = user->next)
    if (user->uid == uid) return user;
  return nullptr;
}

UserEntry* NewUser() {
  for (UserEntry* user = head.next; user; user = user->next) {
    if (!IsRemovedUser(user)) continue;
    UserEntry* next = user->next;
    uint32_t index = user->index;
    memset(user, 0, sizeof *user);
    user->next = next;
    user->index = index;
    return user;
  }
  UserEntry* user = static_cast<UserEntry*>(ConfigAllocate(sizeof(UserEntry)));
  if (user) Append(user);
  return user;
}

void SaveUser(const char* iniFile, UserEntry* user, SaveScope scope) {
  if (user->index == 0) user->index = KnownSections() + 1;
  char section[kSectionNameSize];
  NumberedSection(section, kUserSectionPrefix, user->index);
  char gids[kGidTextSize];
  FormatSecondaryGids(user->gids, user->gidCount, gids, sizeof gids);
  if (scope == SAVE_SECONDARY_GIDS) {
    WritePrivateProfileString(section, "secondarygids", gids, iniFile);
    return;
  }
  if (scope == SAVE_WHOLE) {
    char stored[kScrambledSize];
    ScramblePassword(user->password, stored);
    WriteUnsigned(section, "gid", user->gid, iniFile);
    WritePrivateProfileString(section, "password", stored, iniFile);
    WritePrivateProfileString(section, "secondarygids", gids, iniFile);
    WriteUnsigned(section, "uid", user->uid, iniFile);
  }
  WritePrivateProfileString(section, "username", user->username, iniFile);
}

void CopyUserFields(UserEntry* to, const UserEntry* from) {
  UserEntry* next = to->next;
  uint32_t index = to->index;
  *to = *from;
  to->next = next;
  to->index = index;
}

BOOL IsPrimaryGid(uint32_t gid) {
  for (UserEntry* user = head.next; user; user = user->next)
    if (user->gid == gid) return TRUE;
  return FALSE;
}

void DropSecondaryGid(const char* iniFile, uint32_t gid) {
  for (UserEntry* user = head.next; user; user = user->next) {
    BOOL had = FALSE;
    for (uint32_t i = 0; i < user->gidCount;) {
      if (user->gids[i] != gid) {
        i++;
        continue;
      }
      user->gids[i] = user->gids[--user->gidCount];
      user->gids[user->gidCount] = 0;
      had = TRUE;
    }
    // A user never saved has no section to correct.
    if (had && user->index != 0) SaveUser(iniFile, user, SAVE_SECONDARY_GIDS);
  }
}

uint32_t NextUid(const char* iniFile, ServerSettings* settings) {
  uint32_t uid;
  do {
    uid = settings->genUid++;
  } while (FindUserByUid(uid));
  SaveSetting(iniFile, settings, SETTING_GENUID);
  return uid;
}

const UserEntry* AuthenticateUser(const char* name, const char* password) {
  if (strlen(name) >= kNameSize || strlen(password) >= kPasswordSize) return nullptr;
  const UserEntry* user = FindUserByName(name);
  return user && strcmp(user->password, password) == 0 ? user : nullptr;
}

BOOL LoadUsers(const char* iniFile) {
  for (uint32_t index = 1;; index++) {
    char section[kSectionNameSize];
    char name[kNameSize];
    NumberedSection(section, kUserSectionPrefix, index);
    GetPrivateProfileString(section, "username", "", name, sizeof name, iniFile);
    if (name[0] == '\0') return TRUE;
    UserEntry* user = static_cast<UserEntry*>(ConfigAllocate(sizeof(UserEntry)));
    if (!user) return FALSE;
    Append(user);
    user->index = index;
    memcpy(user->username, name, sizeof name);
    char stored[kScrambledSize];
    GetPrivateProfileString(section, "password", "", stored, sizeof stored, iniFile);
    UnscramblePassword(stored, user->password, sizeof user->password);
    user->uid = GetPrivateProfileInt(section, "uid", 0, iniFile);
    user->gid = GetPrivateProfileInt(section, "gid", 0, iniFile);
    char gids[kGidTextSize];
    GetPrivateProfileString(section, "secondarygids", "", gids, sizeof gids, iniFile);
    user->gidCount = ParseSecondaryGids(gids, user->gids);
  }
}

void FreeUserList() {
  while (UserEntry* user = head.next) {
    head.next = user->next;
    free(user);
  }
}
