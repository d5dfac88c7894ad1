// MessageBox, MessageBeep and GetOpenFileName. The display backend answers a
// message box itself (the headless one records it, writes it to standard
// error and confirms it) or lets the layer run it as a modal dialog of its own
// controls, whose loop keeps serving the program's other windows.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "gdi/font_metrics.h"
#include "gui/display.h"
#include "platform/winbase.h"

namespace plat::dialog {

namespace {

struct Button {
  int id;
  const char* text;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
  }
  return {{IDOK, "OK"}};
}

LPCSTR IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
  }
  return nullptr;
}

INT_PTR CALLBACK MessageBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtr(dialog, DWLP_USER, lParam);
    // The focus starts on the default button, not on the first one.
    DWORD id = (DWORD)SendMessage(dialog, DM_GETDEFID, 0, 0);
    if (HWND button = GetDlgItem(dialog, LOWORD(id))) SetFocus(button);
    return FALSE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  int id = LOWORD(wParam);
  UINT type = (UINT)GetWindowLongPtr(dialog, DWLP_USER);
  // Escape closes only a box that has a Cancel button, or a plain OK box.
  if (id == IDCANCEL && !GetDlgItem(dialog, IDCANCEL)) {
    if ((type & MB_TYPEMASK) != MB_OK) return TRUE;
    id = IDOK;
  }
  EndDialog(dialog, id);
  return TRUE;
}

// Lays the box out in dialog units of its font: icon, text lines, a row of buttons.
int RunAsDialog(HWND owner, const char* text, const char* caption, UINT type) {
  constexpr WORD kPoints = 8;
  LOGFONT font{};
  font.lfHeight = -MulDiv(kPoints, 96, 72);
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
  int baseX = plat::gdi::BaseCharWidth(m);
  std::vector<std::string> lines;
  for (const char* p = text;; ++p) {
    const char* end = p + strcspn(p, "\n");
    lines.emplace_back(p, end);
    if (!*end) break;
    p = end;
  }
  int textWidth = 0;
  for (const std::string& line : lines)
    textWidth = std::max(textWidth, plat::gdi::TextWidth(m, line.data(), (int)line.size()));
  textWidth = (textWidth * 4 + baseX - 1) / baseX;

  LPCSTR icon = IconOf(type);
  short textLeft = icon ? 40 : 10;
  short textHeight = (short)(8 * lines.size());
  short buttonTop = (short)std::max(textHeight + 20, icon ? 40 : 0);
  std::vector<Button> buttons = ButtonsOf(type);
  short buttonsWidth = (short)(buttons.size() * 56 - 6);
  short width = (short)std::max(textLeft + textWidth + 10, buttonsWidth + 20);

  std::vector<DialogItemResource> items;
  if (icon) items.push_back({"Static", icon, -1, SS_ICON | WS_VISIBLE, 10, 10, 21, 20});
  items.push_back({"Static", text, 0xFFFF, SS_LEFT | SS_NOPREFIX | WS_VISIBLE, textLeft, 10,
                   (short)textWidth, textHeight});
  int defaultIndex = (int)((type & MB_DEFMASK) >> 8);
  if (defaultIndex >= (int)buttons.size()) defaultIndex = 0;
  short x = (short)((width - buttonsWidth) / 2);
  for (size_t i = 0; i < buttons.size(); ++i, x += 56) {
    DWORD style = ((int)i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP |
                  WS_VISIBLE | (i == 0 ? WS_GROUP : 0);
    items.push_back({"Button", buttons[i].text, buttons[i].id, style, x, buttonTop, 50, 14});
  }
  DialogResource box{
      nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
      0,       0,
      width,   (short)(buttonTop + 22),
      caption, "Sans Serif",
      kPoints, items};
  INT_PTR answer = DialogBoxIndirectParam(nullptr, box, owner, MessageBoxProc, (LPARAM)type);
  return answer > 0 ? (int)answer : 0;
}

}  // namespace

}  // namespace plat::dialog

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (!text) text = "";
  if (!caption) caption = "Error";
  int answer = 0;
  if (plat::gui::CurrentDisplay().MessageBox(owner, text, caption, type, &answer)) return answer;
  return plat::dialog::RunAsDialog(owner, text, caption, type);
}

BOOL MessageBeep(UINT type) {
  plat::gui::CurrentDisplay().Beep(type);
  return TRUE;
}

BOOL GetOpenFileName(LPOPENFILENAME ofn) {
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return FALSE;
  return plat::gui::CurrentDisplay().GetOpenFileName(ofn);
}
