// The copy is an ExportEntry of its own allocation, with room for the longest
// directory the dialog takes; a new export carries the slot value 0xFBFB and
// no root. A copy's root only marks an existing export and is never held: OK
// enters a new export afresh.
#include "ui/export_setup.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "config/config_alloc.h"
#include "config/directory_check.h"
#include "config/export_table.h"
#include "config/user_table.h"
#include "nfs/export_anchor.h"
#include "ui/dialog_position.h"
#include "ui/main_window.h"
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

void Load(HWND dialog, ExportEntry* copy, const char* directory) {
  const ExportEntry* entry = FindExportByDirectory(directory);
  if (!entry) return;
  char* path = copy->path;
  *copy = *entry;
  copy->path = path;
  strncpy(copy->path, entry->path, kDirectorySize - 1);
  ShowCopy(dialog, copy);
}

void KeyEdited(HWND dialog) {
  char directory[kDirectorySize];
  BOOL something =
      !FieldText(dialog, IDC_EXPORT_DIRECTORY, directory, sizeof directory) || directory[0];
  EnableControls(dialog, {IDOK, IDC_EXPORT_REMOVE}, something);
}

// A directory that is no export's but exists makes the copy a new export with
// the owner and permissions shown. The export the copy holds is not loaded
// again: that would undo the edits the operator made since.
void KeyLeft(HWND dialog, ExportEntry* copy) {
  char directory[kDirectorySize];
  if (!FieldText(dialog, IDC_EXPORT_DIRECTORY, directory, sizeof directory)) return;
  if (IsListEntry(dialog, IDC_EXPORT_DIRECTORY, directory)) {
    if (copy->slot == kNewExportSlot || strcasecmp(directory, copy->path) != 0)
      Load(dialog, copy, directory);
  } else if (IsExistingDirectory(directory)) {
    copy->slot = kNewExportSlot;
    copy->root = nullptr;
    strcpy(copy->path, directory);
  }
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
  CentreDialog(dialog, server->mainWindow);
  SendDlgItemMessage(dialog, IDC_EXPORT_DIRECTORY, CB_LIMITTEXT, kDirectorySize - 1, 0);
  HWND directories = GetDlgItem(dialog, IDC_EXPORT_DIRECTORY);
  for (int slot = 0; slot < kExportSlots; ++slot)
    if (const ExportEntry* entry = ExportSlot(slot))
      SendMessage(directories, CB_ADDSTRING, 0, (LPARAM)entry->path);
  HWND owners = GetDlgItem(dialog, IDC_EXPORT_OWNER);
  for (const UserEntry* user = FirstUser(); user; user = user->next)
    if (!IsRemovedUser(user)) SendMessage(owners, CB_ADDSTRING, 0, (LPARAM)user->username);
  char first[kDirectorySize];
  if (!copy->root && FirstEntry(dialog, IDC_EXPORT_DIRECTORY, first, sizeof first))
    Load(dialog, copy, first);
  ShowCopy(dialog, copy);
}

BOOL Command(HWND dialog, ServerRecord* server, int id, int code) {
  char chosen[kDirectorySize];
  switch (id) {
    case IDC_EXPORT_DIRECTORY:
      if (code == CBN_EDITCHANGE) KeyEdited(dialog);
      if (code == CBN_KILLFOCUS) KeyLeft(dialog, server->exportCopy);
      if (code == CBN_SELCHANGE && ChosenEntry(dialog, id, chosen, sizeof chosen))
        Load(dialog, server->exportCopy, chosen);
      return TRUE;
    case IDC_EXPORT_REMOVE:
      Remove(dialog, server);
      return TRUE;
    case IDOK:
      Confirm(dialog, server);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK ExportSetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  ServerRecord* server = (ServerRecord*)GetWindowLongPtr(dialog, DWLP_USER);
  switch (message) {
    case WM_INITDIALOG:
      server = (ServerRecord*)lParam;
      SetWindowLongPtr(dialog, DWLP_USER, (LONG_PTR)server);
      Open(dialog, server);
      return TRUE;
    case WM_COMMAND:
      return server && Command(dialog, server, LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}

}  // namespace

void ShowExportSetup(ServerRecord* server, const ExportEntry* from) {
  server->exportCopy = AllocateCopy(from);
  if (!server->exportCopy) {
    SetupMessage(GetActiveWindow(), "Can't open dialog due to lack of memory");
    return;
  }
  DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_EXPORT_SETUP), server->mainWindow,
                 ExportSetupProc, (LPARAM)server);
  free(server->exportCopy);
  server->exportCopy = nullptr;
}
