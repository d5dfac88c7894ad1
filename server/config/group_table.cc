// The group list behind a fixed empty head, in section order.
#include "config/group_table.h"

#include <strings.h>
#include <cstdlib>
#include <cstring>

#include "config/config_alloc.h"
#include "config/config_profile.h"
#include "platform/winbase.h"

namespace {

GroupEntry head;

void Append(GroupEntry* group) {
  GroupEntry* last = &head;
  while (last->next)
    last = last->next;
  last->next = group;
}

uint32_t KnownSections() {
  uint32_t count = 0;
  for (GroupEntry* group = head.next; group; group = group->next)
    if (group->index != 0) count++;
  return count;
}

}  // namespace

GroupEntry* FirstGroup() {
  return head.next;
}

BOOL IsRemovedGroup(const GroupEntry* group) {
  return strcmp(group->groupname, kUnusedName) == 0;
}

GroupEntry* FindGroupByName(const char* name) {
  for (GroupEntry* group = head.next; group; group = group->next)
    if (!IsRemovedGroup(group) && strcasecmp(group->groupname, name) == 0) return group;
  return nullptr;
}

GroupEntry* FindGroupByGid(uint32_t gid) {
  for (GroupEntry* group = head.next; group; group = group->next)
    if (!IsRemovedGroup(group) && group->gid == gid) return group;
  return nullptr;
}

GroupEntry* NewGroup() {
  for (GroupEntry* group = head.next; group; group = group->next) {
    if (!IsRemovedGroup(group)) continue;
    GroupEntry* next = group->next;
    uint32_t index = group->index;
    memset(group, 0, sizeof *group);
    group->next = next;
    group->index = index;
    return group;
  }
  GroupEntry* group = static_cast<GroupEntry*>(ConfigAllocate(sizeof(GroupEntry)));
  if (group) Append(group);
  return group;
}

void SaveGroup(const char* iniFile, GroupEntry* group, SaveScope scope) {
  if (group->index == 0) group->index = KnownSections() + 1;
  char section[kSectionNameSize];
  NumberedSection(section, kGroupSectionPrefix, group->index);
  if (scope == SAVE_WHOLE) WriteUnsigned(section, "gid", group->gid, iniFile);
  WritePrivateProfileString(section, "groupname", group->groupname, iniFile);
}

uint32_t NextGid(const char* iniFile, ServerSettings* settings) {
  uint32_t gid;
  do {
    gid = settings->genGid++;
  } while (FindGroupByGid(gid));
  SaveSetting(iniFile, settings, SETTING_GENGID);
  return gid;
}

BOOL LoadGroups(const char* iniFile) {
  for (uint32_t index = 1;; index++) {
    char section[kSectionNameSize];
    char name[kNameSize];
    NumberedSection(section, kGroupSectionPrefix, index);
    GetPrivateProfileString(section, "groupname", "", name, sizeof name, iniFile);
    if (name[0] == '\0') return TRUE;
    GroupEntry* group = static_cast<GroupEntry*>(ConfigAllocate(sizeof(GroupEntry)));
    if (!group) return FALSE;
    Append(group);
    group->index = index;
    memcpy(group->groupname, name, sizeof name);
    group->gid = GetPrivateProfileInt(section, "gid", 0, iniFile);
  }
}

void FreeGroupList() {
  while (GroupEntry* group = head.next) {
    head.next = group->next;
    free(group);
  }
}
