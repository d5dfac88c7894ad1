// A removed group's gid is free at once, but a group that is some user's
// primary group (a removed user's too) can't be removed.
#include "ui/group_setup.h"

#include <string.h>

#include "config/group_table.h"
#include "config/user_table.h"
#include "ui/setup_dialog.h"
#include "ui/setup_support.h"
#include "ui/ui_ids.h"

namespace {

void ShowCopy(HWND dialog, const GroupEntry* copy) {
  ShowKey(dialog, IDC_GROUP_NAME, copy->groupname);
  ShowId(dialog, IDC_GROUP_GID, copy->gid);
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_UNIQUE_ID), copy->gid == 0);
  EnableControls(dialog, {IDOK, IDC_GROUP_REMOVE}, copy->groupname[0] != '\0');
}

void Load(HWND dialog, ServerRecord* server, const char* name) {
  const GroupEntry* group = FindGroupByName(name);
  if (!group) return;
  memcpy(server->groupCopy.groupname, group->groupname, sizeof group->groupname);
  server->groupCopy.gid = group->gid;
  ShowCopy(dialog, &server->groupCopy);
}

const char* HeldGroup(const ServerRecord* server) {
  return server->groupCopy.groupname;
}

void RefuseGid(HWND dialog) {
  SetFocus(GetDlgItem(dialog, IDC_GROUP_GID));
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_UNIQUE_ID), TRUE);
}

void Confirm(HWND dialog, ServerRecord* server) {
  char name[kNameSize];
  uint32_t gid;
  if (!FieldText(dialog, IDC_GROUP_NAME, name, sizeof name)) {
    SetupMessage(dialog, "Group names can have at most %d characters", kNameSize - 1);
    SetFocus(GetDlgItem(dialog, IDC_GROUP_NAME));
    return;
  }
  if (!ReadId(dialog, IDC_GROUP_GID, &gid)) {
    SetupMessage(dialog, "The gid must be a number from 0 to 4294967295");
    RefuseGid(dialog);
    return;
  }
  const GroupEntry* holder = FindGroupByGid(gid);
  // Names match without regard to case, as everywhere else.
  if (holder && holder != FindGroupByName(name)) {
    SetupMessage(dialog, "%lu is not a unique gid, currently belongs to group %s",
                 (unsigned long)gid, holder->groupname);
    RefuseGid(dialog);
    return;
  }
  GroupEntry* group = FindGroupByName(name);
  if (!group) group = NewGroup();
  if (!group) {
    SetupMessage(dialog, "Cannot create group");
    return;
  }
  memcpy(group->groupname, name, sizeof name);
  group->gid = gid;
  SaveGroup(server->settingsFile, group, SAVE_WHOLE);
  EndDialog(dialog, IDOK);
}

void Remove(HWND dialog, ServerRecord* server) {
  char name[kNameSize];
  if (!FieldText(dialog, IDC_GROUP_NAME, name, sizeof name)) return;
  GroupEntry* group = FindGroupByName(name);
  if (!group) return;
  if (IsPrimaryGid(group->gid)) {
    SetupMessage(dialog,
                 "Group %s can not be delete because it is the primary group of at least one user",
                 group->groupname);
    return;
  }
  DeleteListEntry(dialog, IDC_GROUP_NAME, group->groupname);
  strcpy(group->groupname, kUnusedName);
  SaveGroup(server->settingsFile, group, SAVE_NAME_ONLY);
  DropSecondaryGid(server->settingsFile, group->gid);
  memset(&server->groupCopy, 0, sizeof server->groupCopy);
  ShowCopy(dialog, &server->groupCopy);
}

void CreateUniqueId(HWND dialog, ServerRecord* server) {
  server->groupCopy.gid = NextGid(server->settingsFile, &server->settings);
  ShowId(dialog, IDC_GROUP_GID, server->groupCopy.gid);
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_UNIQUE_ID), FALSE);
}

void Open(HWND dialog, ServerRecord* server) {
  SendDlgItemMessage(dialog, IDC_GROUP_GID, EM_LIMITTEXT, 10, 0);
  HWND names = GetDlgItem(dialog, IDC_GROUP_NAME);
  for (const GroupEntry* group = FirstGroup(); group; group = group->next)
    if (!IsRemovedGroup(group)) SendMessage(names, CB_ADDSTRING, 0, (LPARAM)group->groupname);
  char first[kNameSize];
  if (!server->groupCopy.groupname[0] && FirstEntry(dialog, IDC_GROUP_NAME, first, sizeof first))
    Load(dialog, server, first);
  ShowCopy(dialog, &server->groupCopy);
}

BOOL Command(HWND dialog, ServerRecord* server, int id, int code) {
  switch (id) {
    case IDC_GROUP_UNIQUE_ID:
      CreateUniqueId(dialog, server);
      return TRUE;
    case IDC_GROUP_REMOVE:
      Remove(dialog, server);
      return TRUE;
  }
  return FALSE;
}

constexpr SetupKey kGroupName = {
    IDC_GROUP_NAME, kNameSize, {IDOK, IDC_GROUP_REMOVE, IDC_GROUP_UNIQUE_ID},
    HeldGroup,      Load,      nullptr,
};
constexpr SetupDialog kGroupSetup = {IDD_GROUP_SETUP, &kGroupName, Open, Confirm, Command};

}  // namespace

void ShowGroupSetup(ServerRecord* server) {
  memset(&server->groupCopy, 0, sizeof server->groupCopy);
  RunSetupDialog(server, &kGroupSetup);
}
