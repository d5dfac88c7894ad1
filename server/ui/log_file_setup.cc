// The dialog works on a copy of the truncate flag; only "Ok" makes its file name
// and mode current, and it closes and reopens the file even when nothing changed.
#include "ui/log_file_setup.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "platform/commdlg.h"
#include "platform/direct.h"
#include "ui/dialog_position.h"
#include "ui/server_log.h"
#include "ui/ui_ids.h"

namespace {

struct SetupState {
  ServerRecord* server;
  uint32_t truncate;
};

bool FieldHasText(HWND dialog) {
  char name[kLogFileNameSize];
  GetDlgItemText(dialog, IDC_LOG_FILE_NAME, name, sizeof name);
  size_t length = strlen(name);
  while (length > 0 && name[length - 1] == ' ')
    --length;
  return length > 0;
}

void ShowMode(HWND dialog, const SetupState* state) {
  CheckRadioButton(dialog, IDC_APPEND, IDC_TRUNCATE, state->truncate ? IDC_TRUNCATE : IDC_APPEND);
  BOOL enable = FieldHasText(dialog);
  EnableWindow(GetDlgItem(dialog, IDC_APPEND), enable);
  EnableWindow(GetDlgItem(dialog, IDC_TRUNCATE), enable);
}

// The program directory: TCPAPPS_DIR, else the program file's directory.
void ProgramDirectory(const ServerRecord* server, char* directory, size_t size) {
  snprintf(directory, size, "%s", server->programDirectory);
}

void Browse(HWND dialog, SetupState* state) {
  char saved[MAX_PATH] = "";
  _getcwd(saved, sizeof saved);
  char file[MAX_PATH] = "";
  char directory[kProgramDirectorySize];
  ProgramDirectory(state->server, directory, sizeof directory);
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
  ShowMode(dialog, state);
}

void Confirm(HWND dialog, SetupState* state) {
  ServerRecord* server = state->server;
  ServerLogState* log = &server->log;
  char name[kLogFileNameSize];
  GetDlgItemText(dialog, IDC_LOG_FILE_NAME, name, sizeof name);
  snprintf(server->settings.logFile, sizeof server->settings.logFile, "%s", name);
  server->settings.logFileTrunc = state->truncate;
  SaveSetting(server->settingsFile, &server->settings, SETTING_LOG_FILE_SETUP);
  EndDialog(dialog, IDOK);
  CloseLogFile(log);
  snprintf(log->logFileName, sizeof log->logFileName, "%s", name);
  log->truncate = state->truncate;
  if (log->logFileName[0]) OpenLogFile(log);
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SetupState* state = (SetupState*)GetWindowLongPtr(dialog, DWLP_USER);
  switch (message) {
    case WM_INITDIALOG:
      state = (SetupState*)lParam;
      SetWindowLongPtr(dialog, DWLP_USER, (LONG_PTR)state);
      CentreDialog(dialog, state->server->mainWindow);
      ShowWindow(GetDlgItem(dialog, IDC_SESSION_LABEL), SW_HIDE);
      ShowWindow(GetDlgItem(dialog, IDC_SESSION_NAME), SW_HIDE);
      SendDlgItemMessage(dialog, IDC_LOG_FILE_NAME, EM_LIMITTEXT, kLogFileNameSize - 1, 0);
      SetDlgItemText(dialog, IDC_LOG_FILE_NAME, state->server->log.logFileName);
      ShowMode(dialog, state);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LOG_FILE_NAME:
          if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_KILLFOCUS) {
            BOOL enable = FieldHasText(dialog);
            EnableWindow(GetDlgItem(dialog, IDC_APPEND), enable);
            EnableWindow(GetDlgItem(dialog, IDC_TRUNCATE), enable);
          }
          return TRUE;
        case IDC_APPEND:
          state->truncate = 0;
          return TRUE;
        case IDC_TRUNCATE:
          state->truncate = 1;
          return TRUE;
        case IDC_BROWSE:
          Browse(dialog, state);
          return TRUE;
        case IDOK:
          Confirm(dialog, state);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void ToggleFileLogging(ServerRecord* server) {
  server->log.fileLogging = !server->log.fileLogging;
  server->settings.logFileLog = server->log.fileLogging;
  SaveSetting(server->settingsFile, &server->settings, SETTING_LOGFILELOG);
}

void ShowLogFileSetup(ServerRecord* server) {
  SetupState state{server, server->log.truncate};
  DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_LOG_FILE_SETUP), server->mainWindow,
                 SetupProc, (LPARAM)&state);
}
