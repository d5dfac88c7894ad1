// The secondary groups list shows the user's groups, fixed, until "Change"
// turns it into a choice among every group; "Accept" or OK takes the choice.
// Group lists carry each group's gid as item data.
#include "ui/user_setup.h"

#include <string.h>

#include "config/export_table.h"
#include "config/group_table.h"
#include "config/user_table.h"
#include "ui/setup_dialog.h"
#include "ui/setup_support.h"
#include "ui/ui_ids.h"

namespace {

void FillNames(HWND dialog) {
  HWND users = GetDlgItem(dialog, IDC_USER_NAME);
  for (const UserEntry* user = FirstUser(); user; user = user->next)
    if (!IsRemovedUser(user)) SendMessage(users, CB_ADDSTRING, 0, (LPARAM)user->username);
  HWND groups = GetDlgItem(dialog, IDC_USER_GROUP);
  for (const GroupEntry* group = FirstGroup(); group; group = group->next) {
    if (IsRemovedGroup(group)) continue;
    LRESULT at = SendMessage(groups, CB_ADDSTRING, 0, (LPARAM)group->groupname);
    SendMessage(groups, CB_SETITEMDATA, (WPARAM)at, (LPARAM)group->gid);
  }
}

bool HasSecondaryGid(const UserEntry* user, uint32_t gid) {
  for (uint32_t i = 0; i < user->gidCount; ++i)
    if (user->gids[i] == gid) return true;
  return false;
}

void AddGroup(HWND list, const GroupEntry* group, BOOL selected) {
  LRESULT at = SendMessage(list, LB_ADDSTRING, 0, (LPARAM)group->groupname);
  SendMessage(list, LB_SETITEMDATA, (WPARAM)at, (LPARAM)group->gid);
  if (selected) SendMessage(list, LB_SETSEL, TRUE, at);
}

// Mode off: the user's groups (gids without a live group are left out). On:
// every group but the primary one, the user's selected.
void ShowSecondaryGroups(HWND dialog, const ServerRecord* server) {
  const UserEntry* copy = &server->userCopy;
  HWND list = GetDlgItem(dialog, IDC_USER_SECONDARY);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  for (const GroupEntry* group = FirstGroup(); group; group = group->next) {
    if (IsRemovedGroup(group)) continue;
    bool member = HasSecondaryGid(copy, group->gid);
    if (!server->secondaryGroupsMode) {
      if (member) AddGroup(list, group, FALSE);
    } else if (group->gid != copy->gid) {
      AddGroup(list, group, member);
    }
  }
}

void TakeSecondaryGroups(HWND dialog, UserEntry* copy) {
  HWND list = GetDlgItem(dialog, IDC_USER_SECONDARY);
  int count = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
  copy->gidCount = 0;
  memset(copy->gids, 0, sizeof copy->gids);
  for (int i = 0; i < count && copy->gidCount < kSecondaryGids; ++i) {
    if (SendMessage(list, LB_GETSEL, i, 0) > 0)
      copy->gids[copy->gidCount++] = (uint32_t)SendMessage(list, LB_GETITEMDATA, i, 0);
  }
}

void SetMode(HWND dialog, ServerRecord* server, BOOL on) {
  server->secondaryGroupsMode = on;
  EnableWindow(GetDlgItem(dialog, IDC_USER_ACCEPT), on);
  EnableWindow(GetDlgItem(dialog, IDC_USER_CHANGE), !on);
  ShowSecondaryGroups(dialog, server);
}

void ShowCopy(HWND dialog, ServerRecord* server) {
  const UserEntry* copy = &server->userCopy;
  ShowKey(dialog, IDC_USER_NAME, copy->username);
  SetDlgItemText(dialog, IDC_USER_PASSWORD, copy->password);
  ShowId(dialog, IDC_USER_UID, copy->uid);
  EnableWindow(GetDlgItem(dialog, IDC_USER_UNIQUE_ID), copy->uid == 0);
  // A gid without a live group shows no group; OK then keeps the gid.
  const GroupEntry* primary = FindGroupByGid(copy->gid);
  LRESULT at = primary ? SendDlgItemMessage(dialog, IDC_USER_GROUP, CB_FINDSTRINGEXACT, (WPARAM)-1,
                                            (LPARAM)primary->groupname)
                       : CB_ERR;
  SendDlgItemMessage(dialog, IDC_USER_GROUP, CB_SETCURSEL, (WPARAM)at, 0);
  ShowSecondaryGroups(dialog, server);
  EnableControls(dialog, {IDOK, IDC_USER_REMOVE}, copy->username[0] != '\0');
}

void Load(HWND dialog, ServerRecord* server, const char* name) {
  const UserEntry* user = FindUserByName(name);
  if (!user) return;
  CopyUserFields(&server->userCopy, user);
  ShowCopy(dialog, server);
}

const char* HeldUser(const ServerRecord* server) {
  return server->userCopy.username;
}

void SecondarySelectionChanged(HWND dialog, const ServerRecord* server) {
  HWND list = GetDlgItem(dialog, IDC_USER_SECONDARY);
  LRESULT caret = SendMessage(list, LB_GETCARETINDEX, 0, 0);
  if (!server->secondaryGroupsMode) {
    SendMessage(list, LB_SETSEL, FALSE, caret);
    SetupMessage(dialog, "Push the 'Change' button to modify the user's Secondary Groups");
  } else if (SendMessage(list, LB_GETSELCOUNT, 0, 0) > kSecondaryGids) {
    SendMessage(list, LB_SETSEL, FALSE, caret);
    SetupMessage(dialog, "The maximum of %d secondary groups are already defined", kSecondaryGids);
  }
}

void RefuseUid(HWND dialog) {
  SetFocus(GetDlgItem(dialog, IDC_USER_UID));
  EnableWindow(GetDlgItem(dialog, IDC_USER_UNIQUE_ID), TRUE);
}

void Confirm(HWND dialog, ServerRecord* server) {
  UserEntry* copy = &server->userCopy;
  char name[kNameSize], password[kPasswordSize];
  uint32_t uid;
  if (!FieldText(dialog, IDC_USER_NAME, name, sizeof name)) {
    SetupMessage(dialog, "User names can have at most %d characters", kNameSize - 1);
    SetFocus(GetDlgItem(dialog, IDC_USER_NAME));
    return;
  }
  if (!FieldText(dialog, IDC_USER_PASSWORD, password, sizeof password, TRUE)) {
    SetupMessage(dialog, "Passwords can have at most %d characters", kPasswordSize - 1);
    SetFocus(GetDlgItem(dialog, IDC_USER_PASSWORD));
    return;
  }
  if (!ReadId(dialog, IDC_USER_UID, &uid)) {
    SetupMessage(dialog, "The uid must be a number from 0 to 4294967295");
    RefuseUid(dialog);
    return;
  }
  const UserEntry* holder = FindUserByUid(uid);
  // Names match without regard to case, as everywhere else.
  if (holder && holder != FindUserByName(name)) {
    SetupMessage(dialog, "%lu is not a unique uid, currently belongs to user %s",
                 (unsigned long)uid, holder->username);
    RefuseUid(dialog);
    return;
  }
  LRESULT group = SendDlgItemMessage(dialog, IDC_USER_GROUP, CB_GETCURSEL, 0, 0);
  if (group != CB_ERR)
    copy->gid = (uint32_t)SendDlgItemMessage(dialog, IDC_USER_GROUP, CB_GETITEMDATA, group, 0);
  if (server->secondaryGroupsMode) TakeSecondaryGroups(dialog, copy);
  UserEntry* user = FindUserByName(name);
  if (!user) user = NewUser();
  if (!user) {
    SetupMessage(dialog, "Cannot create user");
    return;
  }
  memcpy(copy->username, name, sizeof name);
  memcpy(copy->password, password, sizeof password);
  copy->uid = uid;
  CopyUserFields(user, copy);
  SaveUser(server->settingsFile, user, SAVE_WHOLE);
  EndDialog(dialog, IDOK);
}

void Remove(HWND dialog, ServerRecord* server) {
  char name[kNameSize];
  if (!FieldText(dialog, IDC_USER_NAME, name, sizeof name)) return;
  UserEntry* user = FindUserByName(name);
  if (!user) return;
  if (IsExportOwner(user)) {
    SetupMessage(dialog, "Can't Remove users who are the owner of an export");
    return;
  }
  DeleteListEntry(dialog, IDC_USER_NAME, user->username);
  strcpy(user->username, kUnusedName);
  SaveUser(server->settingsFile, user, SAVE_NAME_ONLY);
  memset(&server->userCopy, 0, sizeof server->userCopy);
  ShowCopy(dialog, server);
}

void CreateUniqueId(HWND dialog, ServerRecord* server) {
  server->userCopy.uid = NextUid(server->settingsFile, &server->settings);
  ShowId(dialog, IDC_USER_UID, server->userCopy.uid);
  EnableWindow(GetDlgItem(dialog, IDC_USER_UNIQUE_ID), FALSE);
}

void Open(HWND dialog, ServerRecord* server) {
  SendDlgItemMessage(dialog, IDC_USER_PASSWORD, EM_LIMITTEXT, kPasswordSize - 1, 0);
  SendDlgItemMessage(dialog, IDC_USER_UID, EM_LIMITTEXT, 10, 0);
  FillNames(dialog);
  SetMode(dialog, server, FALSE);
  char first[kNameSize];
  if (!server->userCopy.username[0] && FirstEntry(dialog, IDC_USER_NAME, first, sizeof first))
    Load(dialog, server, first);
  ShowCopy(dialog, server);
}

BOOL Command(HWND dialog, ServerRecord* server, int id, int code) {
  switch (id) {
    case IDC_USER_GROUP:
      if (code == CBN_SELCHANGE) {
        LRESULT at = SendDlgItemMessage(dialog, id, CB_GETCURSEL, 0, 0);
        if (at != CB_ERR)
          server->userCopy.gid = (uint32_t)SendDlgItemMessage(dialog, id, CB_GETITEMDATA, at, 0);
      }
      return TRUE;
    case IDC_USER_SECONDARY:
      if (code == LBN_SELCHANGE) SecondarySelectionChanged(dialog, server);
      return TRUE;
    case IDC_USER_CHANGE:
      SetMode(dialog, server, TRUE);
      return TRUE;
    case IDC_USER_ACCEPT:
      TakeSecondaryGroups(dialog, &server->userCopy);
      SetMode(dialog, server, FALSE);
      return TRUE;
    case IDC_USER_UNIQUE_ID:
      CreateUniqueId(dialog, server);
      return TRUE;
    case IDC_USER_REMOVE:
      Remove(dialog, server);
      return TRUE;
  }
  return FALSE;
}

constexpr SetupKey kUserName = {
    IDC_USER_NAME, kNameSize, {IDOK, IDC_USER_REMOVE, IDC_USER_UNIQUE_ID}, HeldUser, Load, nullptr,
};
constexpr SetupDialog kUserSetup = {IDD_USER_SETUP, &kUserName, Open, Confirm, Command};

}  // namespace

void ShowUserSetup(ServerRecord* server) {
  memset(&server->userCopy, 0, sizeof server->userCopy);
  RunSetupDialog(server, &kUserSetup);
}
