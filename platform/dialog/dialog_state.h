// What the dialog manager keeps per dialog box beside the window words the
// program sees (DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER): its font and base
// units, the default button, the modal state. Made on a dialog window's first
// message, freed on its WM_NCDESTROY.
#pragma once

#include "platform/resources.h"
#include "platform/winuser.h"

namespace plat::dialog {

inline constexpr char kDialogClass[] = "#32770";

struct DialogInfo {
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 0;  // pixels per 4 horizontal dialog units
  int baseY = 0;  // pixels per 8 vertical dialog units
  int defaultId = 0;
  bool ended = false;
  INT_PTR result = 0;
  HWND disabledOwner = nullptr;  // re-enabled when the dialog ends, however it ends
  HWND savedFocus = nullptr;
};

DialogInfo* InfoOf(HWND dialog);  // null for a window that is no dialog
DialogInfo* MakeInfo(HWND dialog);
void FreeInfo(HWND dialog);
// The dialog a window belongs to: itself or its nearest dialog ancestor.
HWND DialogOf(HWND hwnd);

// Creates a dialog from a template; owner is disabled first when modal.
HWND CreateFromTemplate(HINSTANCE instance, const DialogResource& dialogTemplate, HWND owner,
                        DLGPROC proc, LPARAM param, bool modal);
INT_PTR RunModal(HWND dialog);
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogResource& dialogTemplate, HWND owner,
                               DLGPROC proc, LPARAM param);

// The focus moves to a control the way the dialog manager moves it: an edit's
// text is selected first.
void SetDialogFocus(HWND control);

// Shift held while a key arrives (Shift+Tab goes backwards); set by the person API.
void SetShiftDown(bool down);
bool ShiftDown();

}  // namespace plat::dialog
