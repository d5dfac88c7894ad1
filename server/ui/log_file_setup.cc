// The dialog works on a copy of the truncate flag; only "Ok" makes its file name
// and mode current, and it closes and reopens the file even when nothing changed.
#include "ui/log_file_setup.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "platform/commdlg.h"
#include "platform/direct.h"
#include "ui/server_log.h"
#include "ui/setup_dialog.h"
#include "ui/setup_support.h"
#include "ui/ui_ids.h"

namespace {

bool FieldHasText(HWND dialog) {
  char name[kLogFileNameSize];
  GetDlgItemText(dialog, IDC_LOG_FILE_NAME, name, sizeof name);
  size_t length = strlen(name);
  while (length > 0 && name[length - 1] == ' ')
    --length;
  return length > 0;
}

// Append and Truncate are offered while there is a file name.
void OfferModes(HWND dialog) {
  EnableControls(dialog, {IDC_APPEND, IDC_TRUNCATE}, FieldHasText(dialog));
}

void ShowMode(HWND dialog, const ServerRecord* server) {
  CheckRadioButton(dialog, IDC_APPEND, IDC_TRUNCATE,
                   server->logTruncateCopy ? IDC_TRUNCATE : IDC_APPEND);
  OfferModes(dialog);
}

// The program directory: TCPAPPS_DIR, else the program file's directory.
void ProgramDirectory(const ServerRecord* server, char* directory, size_t size) {
  snprintf(directory, size, "%s", server->programDirectory);
}

void Browse(HWND dialog, ServerRecord* server) {
  char saved[MAX_PATH] = "";
  _getcwd(saved, sizeof saved);
  char file[MAX_PATH] = "";
  char directory[kProgramDirectorySize];
  ProgramDirectory(server, directory, sizeof directory);
  OPENFILENAME ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "Log Files(*.log)\0*.log\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = directory;
  ofn.lpstrTitle = "Log File Selection";
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  BOOL chosen = GetOpenFileName(&ofn);
  if (saved[0]) _chdir(saved);
  if (!chosen) return;
  for (char* p = file; *p; ++p)
    *p = (char)tolower((unsigned char)*p);
  SetDlgItemText(dialog, IDC_LOG_FILE_NAME, file);
  ShowMode(dialog, server);
}

void Confirm(HWND dialog, ServerRecord* server) {
  ServerLogState* log = &server->log;
  char name[kLogFileNameSize];
  GetDlgItemText(dialog, IDC_LOG_FILE_NAME, name, sizeof name);
  snprintf(server->settings.logFile, sizeof server->settings.logFile, "%s", name);
  server->settings.logFileTrunc = server->logTruncateCopy;
  SaveSetting(server->settingsFile, &server->settings, SETTING_LOG_FILE_SETUP);
  EndDialog(dialog, IDOK);
  CloseLogFile(log);
  snprintf(log->logFileName, sizeof log->logFileName, "%s", name);
  log->truncate = server->logTruncateCopy;
  if (log->logFileName[0]) OpenLogFile(log);
}

void Open(HWND dialog, ServerRecord* server) {
  ShowWindow(GetDlgItem(dialog, IDC_SESSION_LABEL), SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDC_SESSION_NAME), SW_HIDE);
  SendDlgItemMessage(dialog, IDC_LOG_FILE_NAME, EM_LIMITTEXT, kLogFileNameSize - 1, 0);
  SetDlgItemText(dialog, IDC_LOG_FILE_NAME, server->log.logFileName);
  ShowMode(dialog, server);
}

BOOL Command(HWND dialog, ServerRecord* server, int id, int code) {
  switch (id) {
    case IDC_LOG_FILE_NAME:
      if (code == EN_CHANGE || code == EN_KILLFOCUS) OfferModes(dialog);
      return TRUE;
    case IDC_APPEND:
      server->logTruncateCopy = 0;
      return TRUE;
    case IDC_TRUNCATE:
      server->logTruncateCopy = 1;
      return TRUE;
    case IDC_BROWSE:
      Browse(dialog, server);
      return TRUE;
  }
  return FALSE;
}

constexpr SetupDialog kLogFileSetup = {IDD_LOG_FILE_SETUP, nullptr, Open, Confirm, Command};

}  // namespace

void ToggleFileLogging(ServerRecord* server) {
  server->log.fileLogging = !server->log.fileLogging;
  server->settings.logFileLog = server->log.fileLogging;
  SaveSetting(server->settingsFile, &server->settings, SETTING_LOGFILELOG);
}

void ShowLogFileSetup(ServerRecord* server) {
  server->logTruncateCopy = server->log.truncate;
  RunSetupDialog(server, &kLogFileSetup);
}
