// What the server's windows show, as text: a dialog field and a list box's
// lines.
#pragma once

#include <string>
#include <vector>

#include "platform/winuser.h"

inline std::string Text(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

inline std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  int count = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    char line[256] = {};
    SendMessage(list, LB_GETTEXT, i, (LPARAM)line);
    lines.push_back(line);
  }
  return lines;
}
