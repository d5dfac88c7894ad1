// See setup_support.h.
#include "ui/setup_support.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

constexpr char kCaption[] = "Brevant NFS Server";

BOOL EntryText(HWND dialog, int id, LRESULT index, char* text, size_t size) {
  LRESULT length = SendDlgItemMessage(dialog, id, CB_GETLBTEXTLEN, (WPARAM)index, 0);
  if (length < 0 || (size_t)length >= size) return FALSE;
  SendDlgItemMessage(dialog, id, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
  return TRUE;
}

}  // namespace

void SetupMessage(HWND dialog, const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  MessageBox(dialog, text, kCaption, MB_OK | MB_ICONERROR);
}

void EnableControls(HWND dialog, std::initializer_list<int> ids, BOOL enable) {
  for (int id : ids)
    EnableWindow(GetDlgItem(dialog, id), enable);
}

BOOL FieldText(HWND dialog, int id, char* text, size_t size, BOOL keepBlanks) {
  int length = GetWindowTextLength(GetDlgItem(dialog, id));
  char whole[1024];
  if (length < 0 || (size_t)length >= sizeof whole) return FALSE;
  GetDlgItemText(dialog, id, whole, sizeof whole);
  size_t kept = strlen(whole);
  while (!keepBlanks && kept > 0 && whole[kept - 1] == ' ')
    --kept;
  if (kept >= size) return FALSE;
  memcpy(text, whole, kept);
  text[kept] = '\0';
  return TRUE;
}

// Selecting the entry shows its text; a combo box keeps no selection that
// its text does not name, or showing a chosen entry would empty the field.
void ShowKey(HWND dialog, int id, const char* text) {
  LRESULT index = text[0]
                      ? SendDlgItemMessage(dialog, id, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text)
                      : CB_ERR;
  SendDlgItemMessage(dialog, id, CB_SETCURSEL, (WPARAM)index, 0);
  if (index == CB_ERR) SetDlgItemText(dialog, id, text);
}

BOOL IsListEntry(HWND dialog, int id, const char* text) {
  return text[0] &&
         SendDlgItemMessage(dialog, id, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) != CB_ERR;
}

BOOL ChosenEntry(HWND dialog, int id, char* text, size_t size) {
  LRESULT index = SendDlgItemMessage(dialog, id, CB_GETCURSEL, 0, 0);
  return index != CB_ERR && EntryText(dialog, id, index, text, size);
}

BOOL FirstEntry(HWND dialog, int id, char* text, size_t size) {
  return EntryText(dialog, id, 0, text, size);
}

void DeleteListEntry(HWND dialog, int id, const char* text) {
  LRESULT index = SendDlgItemMessage(dialog, id, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
  if (index != CB_ERR) SendDlgItemMessage(dialog, id, CB_DELETESTRING, (WPARAM)index, 0);
}

BOOL ReadId(HWND dialog, int id, uint32_t* value) {
  char text[16];
  if (!FieldText(dialog, id, text, sizeof text)) return FALSE;
  uint64_t number = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return FALSE;
    number = number * 10 + (uint64_t)(*c - '0');
    if (number > 0xFFFFFFFFu) return FALSE;
  }
  *value = (uint32_t)number;
  return TRUE;
}

void ShowId(HWND dialog, int id, uint32_t value) {
  char text[16] = "";
  if (value != 0) snprintf(text, sizeof text, "%lu", (unsigned long)value);
  SetDlgItemText(dialog, id, text);
}
