// The calls that address a dialog's controls by id, and dialog units.
#include <ctype.h>
#include <stdio.h>

#include "dialog/dialog_state.h"
#include "gdi/font_metrics.h"
#include "gdi/gdi_objects.h"
#include "platform/winbase.h"

HWND GetDlgItem(HWND dialog, int id) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(c) == id) return c;
  }
  if (IsWindow(dialog)) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessage(control, message, wParam, lParam) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  HWND control = GetDlgItem(dialog, id);
  return control ? (UINT)GetWindowText(control, buffer, size) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  snprintf(text, sizeof text, isSigned ? "%d" : "%u", isSigned ? (int)value : value);
  return SetDlgItemText(dialog, id, text);
}

// Leading and trailing blanks are allowed, anything else that is not a digit
// (or a leading minus, when signed) fails, and so does a value out of range.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  char text[64];
  if (!GetDlgItemText(dialog, id, text, sizeof text)) return 0;
  const char* p = text;
  while (*p == ' ')
    ++p;
  bool negative = isSigned && *p == '-';
  if (negative) ++p;
  if (!isdigit((unsigned char)*p)) return 0;
  uint64_t value = 0;
  while (isdigit((unsigned char)*p)) {
    value = value * 10 + (uint64_t)(*p++ - '0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  while (*p == ' ')
    ++p;
  if (*p) return 0;
  uint64_t most = isSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : 0xFFFFFFFFull;
  if (value > most) return 0;
  if (translated) *translated = TRUE;
  return negative ? (UINT)(-(int64_t)value) : (UINT)value;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessage(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return (UINT)SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0);
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(c);
    if (id >= firstId && id <= lastId)
      SendMessage(c, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  plat::dialog::DialogInfo* info = plat::dialog::InfoOf(dialog);
  if (!info || !rect) return FALSE;
  rect->left = MulDiv(rect->left, info->baseX, 4);
  rect->right = MulDiv(rect->right, info->baseX, 4);
  rect->top = MulDiv(rect->top, info->baseY, 8);
  rect->bottom = MulDiv(rect->bottom, info->baseY, 8);
  return TRUE;
}

LONG GetDialogBaseUnits() {
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(plat::gdi::SystemFont());
  return MAKELONG(plat::gdi::BaseCharWidth(m), m.height);
}
