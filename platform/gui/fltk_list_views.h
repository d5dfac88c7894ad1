// Parts the child views share: the views of list boxes and combo boxes (made by
// MakeChildView), tab stops, and a line of editable text.
#pragma once

#include <string>
#include <vector>

#include "gui/fltk_child_views.h"

namespace plat::gui::fltk {

ChildView* MakeListView(HWND hwnd);
ChildView* MakeComboView(HWND hwnd);
// Tab stops as a list box or TabbedTextOut applies them; returns the run's x.
int NextTabStop(const std::vector<int>& stops, int origin, int end, int defaultWidth);
// A line of text with its selection and caret (shown when focused), scrolled
// by *scroll pixels so that the caret stays inside the width.
void DrawEditLine(int left, int top, int width, int height, const LOGFONT& font,
                  const std::string& text, DWORD selStart, DWORD selEnd, bool focused,
                  bool disabled, int* scroll);

}  // namespace plat::gui::fltk
