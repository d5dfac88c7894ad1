// The copy is an ExportEntry of its own allocation, with room for the longest
// directory the dialog takes; a new export carries the slot value 0xFBFB and
// no root. A copy's root only marks an existing export and is never held: OK
// enters a new export afresh.
#include "ui/export_setup.h"

#include <stdlib.h>
#include <string.h>

#include "config/config_alloc.h"
#include "config/directory_check.h"
#include "config/export_table.h"
#include "config/user_table.h"
#include "nfs/export_anchor.h"
#include "ui/main_window.h"
#include "ui/setup_dialog.h"
#include "ui/setup_support.h"
#include "ui/ui_ids.h"

namespace {

constexpr size_t kDirectorySize = 128;  // 127 characters
constexpr int kPermissionBoxes = 9;

uint32_t BitOf(int box) {
  return 0400u >> box;
}

void ClearCopy(ExportEntry* copy) {
  char* path = copy->path;
  memset(copy, 0, sizeof *copy);
  memset(path, 0, kDirectorySize);
  copy->magic = kExportMagic;
  copy->slot = kNewExportSlot;
  copy->path = path;
}

ExportEntry* AllocateCopy(const ExportEntry* from) {
  ExportEntry* copy = (ExportEntry*)ConfigAllocate(sizeof(ExportEntry) + kDirectorySize);
  if (!copy) return nullptr;
  copy->path = (char*)(copy + 1);
  ClearCopy(copy);
  if (from) {
    copy->slot = from->slot;
    copy->owner = from->owner;
    copy->access = from->access;
    copy->root = from->root;
    strncpy(copy->path, from->path, kDirectorySize - 1);
  }
  return copy;
}

void ShowCopy(HWND dialog, const ExportEntry* copy) {
  ShowKey(dialog, IDC_EXPORT_DIRECTORY, copy->path);
  LRESULT owner = copy->owner ? SendDlgItemMessage(dialog, IDC_EXPORT_OWNER, CB_FINDSTRINGEXACT,
                                                   (WPARAM)-1, (LPARAM)copy->owner->username)
                              : CB_ERR;
  SendDlgItemMessage(dialog, IDC_EXPORT_OWNER, CB_SETCURSEL, (WPARAM)owner, 0);
  for (int box = 0; box < kPermissionBoxes; ++box)
    CheckDlgButton(dialog, IDC_EXPORT_OWNER_READ + box,
                   copy->access & BitOf(box) ? BST_CHECKED : BST_UNCHECKED);
  EnableControls(dialog, {IDOK, IDC_EXPORT_REMOVE}, copy->path[0] != '\0');
}

void Load(HWND dialog, ServerRecord* server, const char* directory) {
  ExportEntry* copy = server->exportCopy;
  const ExportEntry* entry = FindExportByDirectory(directory);
  if (!entry) return;
  char* path = copy->path;
  *copy = *entry;
  copy->path = path;
  strncpy(copy->path, entry->path, kDirectorySize - 1);
  ShowCopy(dialog, copy);
}

const char* HeldExport(const ServerRecord* server) {
  const ExportEntry* copy = server->exportCopy;
  return copy->slot == kNewExportSlot ? nullptr : copy->path;
}

// A directory that is no export's but exists makes the copy a new export with
// the owner and permissions shown.
void Unlisted(HWND dialog, ServerRecord* server, const char* directory) {
  if (!IsExistingDirectory(directory)) return;
  ExportEntry* copy = server->exportCopy;
  copy->slot = kNewExportSlot;
  copy->root = nullptr;
  strcpy(copy->path, directory);
}

void Confirm(HWND dialog, ServerRecord* server) {
  ExportEntry* copy = server->exportCopy;
  char directory[kDirectorySize];
  if (!FieldText(dialog, IDC_EXPORT_DIRECTORY, directory, sizeof directory) ||
      !IsExistingDirectory(directory)) {
    SetupMessage(dialog, "Path does not exist");
    SetFocus(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY));
    return;
  }
  strcpy(copy->path, directory);
  // An existing export keeps its spelling and its root, so the handles its
  // clients hold stay good whatever case the directory was typed in.
  ExportEntry* existing = FindExportByDirectory(directory);
  if (!existing && !FindOrAddPath(directory)) {
    SetupMessage(dialog, "Can not add export");
    return;
  }
  char ownerName[kNameSize];
  UserEntry* owner = ChosenEntry(dialog, IDC_EXPORT_OWNER, ownerName, sizeof ownerName)
                         ? FindUserByName(ownerName)
                         : nullptr;
  if (!owner) {
    SetupMessage(dialog, "Owner needs to be specified");
    SetFocus(GetDlgItem(dialog, IDC_EXPORT_OWNER));
    return;
  }
  uint32_t access = 0;
  for (int box = 0; box < kPermissionBoxes; ++box)
    if (IsDlgButtonChecked(dialog, IDC_EXPORT_OWNER_READ + box) == BST_CHECKED)
      access |= BitOf(box);
  copy->owner = owner;
  copy->access = access;
  if (existing) {
    existing->owner = owner;
    existing->access = access;
    SaveExport(server->settingsFile, existing, EXPORT_SAVE);
    EndDialog(dialog, IDOK);
    return;
  }
  int slot = FirstFreeExportSlot();
  if (slot == kExportSlots) {
    SetupMessage(dialog, "Maximum number of exports already defined");
    SetFocus(GetDlgItem(dialog, IDC_EXPORT_DIRECTORY));
    return;
  }
  if (!AddExport(slot, directory, owner, access)) {
    SetupMessage(dialog, "Cannot create Export");
    return;
  }
  SendDlgItemMessage(dialog, IDC_EXPORT_DIRECTORY, CB_ADDSTRING, 0, (LPARAM)directory);
  SaveExport(server->settingsFile, ExportSlot(slot), EXPORT_SAVE);
  EndDialog(dialog, IDOK);
}

void Remove(HWND dialog, ServerRecord* server) {
  ExportEntry* copy = server->exportCopy;
  ExportEntry* entry = copy->slot < kExportSlots ? ExportSlot(copy->slot) : nullptr;
  if (entry) {
    int slot = entry->slot;
    DeleteListEntry(dialog, IDC_EXPORT_DIRECTORY, entry->path);
    RemoveExport(server->settingsFile, slot);
    // Nothing of the removed export stays held: a later export in this slot
    // opens its own directory.
    CloseExportAnchor(slot);
    // The main window's lines point at the exports; the freed one must go now.
    RefillExportsList(server);
  }
  ClearCopy(copy);
  ShowCopy(dialog, copy);
}

void Open(HWND dialog, ServerRecord* server) {
  ExportEntry* copy = server->exportCopy;
  HWND directories = GetDlgItem(dialog, IDC_EXPORT_DIRECTORY);
  for (int slot = 0; slot < kExportSlots; ++slot)
    if (const ExportEntry* entry = ExportSlot(slot))
      SendMessage(directories, CB_ADDSTRING, 0, (LPARAM)entry->path);
  HWND owners = GetDlgItem(dialog, IDC_EXPORT_OWNER);
  for (const UserEntry* user = FirstUser(); user; user = user->next)
    if (!IsRemovedUser(user)) SendMessage(owners, CB_ADDSTRING, 0, (LPARAM)user->username);
  char first[kDirectorySize];
  if (!copy->root && FirstEntry(dialog, IDC_EXPORT_DIRECTORY, first, sizeof first))
    Load(dialog, server, first);
  ShowCopy(dialog, copy);
}

BOOL Command(HWND dialog, ServerRecord* server, int id, int code) {
  if (id != IDC_EXPORT_REMOVE) return FALSE;
  Remove(dialog, server);
  return TRUE;
}

constexpr SetupKey kExportDirectory = {
    IDC_EXPORT_DIRECTORY, kDirectorySize, {IDOK, IDC_EXPORT_REMOVE}, HeldExport, Load, Unlisted,
};
constexpr SetupDialog kExportSetup = {IDD_EXPORT_SETUP, &kExportDirectory, Open, Confirm, Command};

}  // namespace

void ShowExportSetup(ServerRecord* server, const ExportEntry* from) {
  server->exportCopy = AllocateCopy(from);
  if (!server->exportCopy) {
    SetupMessage(GetActiveWindow(), "Can't open dialog due to lack of memory");
    return;
  }
  RunSetupDialog(server, &kExportSetup);
  free(server->exportCopy);
  server->exportCopy = nullptr;
}
