// The legal notice is split in two lines at its first "All" (as in "All rights
// reserved."); missing values show as empty texts. Support values from
// ABOUT.INI follow the notice, one line each, when the file gives any.
#include "ui/about_box.h"

#include <stdio.h>
#include <string.h>

#include "ui/dialog_position.h"
#include "ui/support_info.h"
#include "ui/ui_ids.h"
#include "ui/version_info.h"

namespace {

struct AboutParameters {
  HWND owner;
  int iconId;
};

const char* OrEmpty(const char* text) {
  return text ? text : "";
}

void FillTexts(HWND dialog) {
  char path[MAX_PATH];
  void* block = ProgramFileName(path, sizeof path) ? ReadVersionInformation(path) : nullptr;
  const char* description = OrEmpty(VersionString(block, "FileDescription"));
  char format[64], text[256];
  if (!LoadString(GetModuleHandle(nullptr), IDS_ABOUT_CAPTION, format, sizeof format))
    format[0] = 0;
  const char* at = strstr(format, "%s");
  snprintf(text, sizeof text, "%.*s%s%s", at ? (int)(at - format) : (int)strlen(format), format,
           at ? description : "", at ? at + 2 : "");
  SetWindowText(dialog, text);
  snprintf(text, sizeof text, "%s %s", description, OrEmpty(VersionString(block, "FileVersion")));
  SetDlgItemText(dialog, IDC_ABOUT_PRODUCT, text);
  const char* notice = OrEmpty(VersionString(block, "LegalCopyright"));
  const char* all = strstr(notice, "All");
  snprintf(text, sizeof text, "%.*s", all ? (int)(all - notice) : (int)strlen(notice), notice);
  SetDlgItemText(dialog, IDC_ABOUT_NOTICE_1, text);
  SetDlgItemText(dialog, IDC_ABOUT_NOTICE_2, all ? all : "");
  FreeVersionInformation(block);
}

// Template positions, in dialog units.
constexpr int kSupportTop = 46;
constexpr int kSupportLineHeight = 10;
constexpr const char* kSupportLabels[kSupportValues] = {"", "", "Phone: ", "Fax: ", "E-mail: "};

void MoveInDialogUnits(HWND dialog, HWND control, int x, int y) {
  RECT at{x, y, 0, 0};
  MapDialogRect(dialog, &at);
  SetWindowPos(control, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The lines given are shown packed below the notice; the OK button and the
// dialog's bottom move down by as many lines.
void ShowSupportLines(HWND dialog) {
  const SupportInfo* info = SupportInformation();
  int shown = 0;
  for (int i = 0; i < kSupportValues; ++i) {
    HWND line = GetDlgItem(dialog, IDC_ABOUT_SUPPORT_FIRST + i);
    if (!info->values[i][0]) continue;
    char text[96];
    snprintf(text, sizeof text, "%s%s", kSupportLabels[i], info->values[i]);
    SetWindowText(line, text);
    MoveInDialogUnits(dialog, line, 40, kSupportTop + shown * kSupportLineHeight);
    ShowWindow(line, SW_SHOWNA);
    ++shown;
  }
  if (shown == 0) return;
  RECT extra{0, 0, 0, shown * kSupportLineHeight};
  MapDialogRect(dialog, &extra);
  RECT ok;
  GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
  POINT okAt{ok.left, ok.top};
  ScreenToClient(dialog, &okAt);
  SetWindowPos(GetDlgItem(dialog, IDOK), nullptr, okAt.x, okAt.y + extra.bottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  RECT box;
  GetWindowRect(dialog, &box);
  SetWindowPos(dialog, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + extra.bottom,
               SWP_NOMOVE | SWP_NOZORDER);
}

BOOL OnIcon(HWND dialog, LPARAM lParam) {
  POINT p{(short)LOWORD(lParam), (short)HIWORD(lParam)};
  ClientToScreen(dialog, &p);
  RECT icon;
  GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_ICON), &icon);
  return p.x >= icon.left && p.x < icon.right && p.y >= icon.top && p.y < icon.bottom;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* parameters = (AboutParameters*)lParam;
      SetWindowLongPtr(dialog, DWLP_USER, parameters->iconId);
      FillTexts(dialog);
      ShowSupportLines(dialog);
      CentreDialog(dialog, parameters->owner);
      return TRUE;
    }
    case WM_PAINT: {
      HWND control = GetDlgItem(dialog, IDC_ABOUT_ICON);
      HICON icon =
          LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(GetWindowLongPtr(dialog, DWLP_USER)));
      HDC dc = GetDC(control);
      DrawIcon(dc, 0, 0, icon);
      ReleaseDC(control, dc);
      DestroyIcon(icon);
      return FALSE;  // the dialog's own painting goes on
    }
    case WM_LBUTTONDBLCLK:
      if ((wParam & (MK_SHIFT | MK_CONTROL)) && OnIcon(dialog, lParam)) MessageBeep(0xFFFFFFFF);
      return TRUE;
    case WM_COMMAND:
      EndDialog(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowAboutBox(HWND owner, int iconId) {
  AboutParameters parameters{owner, iconId};
  DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_ABOUT), owner, AboutProc,
                 (LPARAM)&parameters);
}
