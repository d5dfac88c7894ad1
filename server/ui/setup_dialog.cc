// See setup_dialog.h. The dialog is modal, so the record of the run lives on
// RunSetupDialog's stack for as long as the procedure can see it.
#include "ui/setup_dialog.h"

#include <strings.h>
#include <cassert>

#include "ui/dialog_position.h"
#include "ui/setup_support.h"

namespace {

struct SetupRun {
  ServerRecord* server;
  const SetupDialog* setup;
};

void KeyCommand(HWND dialog, ServerRecord* server, const SetupKey* key, int code) {
  char text[256];
  assert(key->size <= sizeof text);
  switch (code) {
    case CBN_EDITCHANGE: {
      BOOL something = !FieldText(dialog, key->id, text, key->size) || text[0];
      for (int id : key->keyed)
        if (id) EnableWindow(GetDlgItem(dialog, id), something);
      return;
    }
    case CBN_KILLFOCUS:
      // The record the copy holds is not loaded again: that would undo the
      // edits the operator made since.
      if (!FieldText(dialog, key->id, text, key->size)) return;
      if (IsListEntry(dialog, key->id, text)) {
        const char* held = key->held(server);
        if (!held || strcasecmp(text, held) != 0) key->load(dialog, server, text);
      } else if (key->unlisted) {
        key->unlisted(dialog, server, text);
      }
      return;
    case CBN_SELCHANGE:
      if (ChosenEntry(dialog, key->id, text, key->size)) key->load(dialog, server, text);
      return;
  }
}

BOOL Command(HWND dialog, const SetupRun* run, int id, int code) {
  const SetupDialog* setup = run->setup;
  if (setup->key && id == setup->key->id) {
    KeyCommand(dialog, run->server, setup->key, code);
    return TRUE;
  }
  switch (id) {
    case IDOK:
      setup->confirm(dialog, run->server);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return setup->command && setup->command(dialog, run->server, id, code);
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SetupRun* run = (SetupRun*)GetWindowLongPtr(dialog, DWLP_USER);
  switch (message) {
    case WM_INITDIALOG:
      run = (SetupRun*)lParam;
      SetWindowLongPtr(dialog, DWLP_USER, (LONG_PTR)run);
      CentreDialog(dialog, run->server->mainWindow);
      if (const SetupKey* key = run->setup->key)
        SendDlgItemMessage(dialog, key->id, CB_LIMITTEXT, key->size - 1, 0);
      run->setup->open(dialog, run->server);
      return TRUE;
    case WM_COMMAND:
      return run && Command(dialog, run, LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}

}  // namespace

void RunSetupDialog(ServerRecord* server, const SetupDialog* setup) {
  SetupRun run{server, setup};
  DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(setup->resource), server->mainWindow,
                 SetupProc, (LPARAM)&run);
}
