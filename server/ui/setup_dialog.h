// The one procedure of the setup dialogs: it keeps the server record, centres
// the dialog on the main window, takes OK and Cancel, and in the list dialogs
// answers the key combo box. Each dialog brings a table of what is its own.
#pragma once

#include <cstddef>

#include "platform/windows.h"
#include "ui/server_record.h"

// The key of a list dialog: the combo box naming the record its copy holds.
// Typing enables the keyed controls while the field holds anything (a text too
// long counts); choosing an entry, or leaving the field on an entry the copy
// does not hold, loads that record.
struct SetupKey {
  int id;
  size_t size;   // room for a key and its terminator
  int keyed[3];  // 0 ends the list early
  // The key of the listed record the copy holds; nullptr when it holds none.
  const char* (*held)(const ServerRecord* server);
  void (*load)(HWND dialog, ServerRecord* server, const char* key);
  // A key that fits but is no entry, when leaving the field; may be null.
  void (*unlisted)(HWND dialog, ServerRecord* server, const char* key);
};

struct SetupDialog {
  int resource;
  const SetupKey* key;  // null outside the list dialogs
  void (*open)(HWND dialog, ServerRecord* server);
  void (*confirm)(HWND dialog, ServerRecord* server);
  // The dialog's other controls; FALSE for a command it does not take. May be null.
  BOOL (*command)(HWND dialog, ServerRecord* server, int id, int code);
};

void RunSetupDialog(ServerRecord* server, const SetupDialog* setup);
