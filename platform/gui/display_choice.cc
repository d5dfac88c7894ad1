// A forced FLTK that can't open its display falls back to headless with a
// warning: a server must still start, and its message boxes then go to
// standard error.
#include "gui/display_choice.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace plat::gui {

DisplayKind ChooseDisplay(const char* forced, const char* display,
                          const std::function<bool()>& canOpen) {
  if (forced && strcmp(forced, "headless") == 0) return DisplayKind::kHeadless;
  bool wantFltk = forced && strcmp(forced, "fltk") == 0;
  if (!wantFltk && (!display || !*display)) return DisplayKind::kHeadless;
  return canOpen() ? DisplayKind::kFltk : DisplayKind::kHeadless;
}

void SelectDisplay() {
  const char* forced = getenv("PLATFORM_DISPLAY");
  if (forced && *forced && strcmp(forced, "fltk") != 0 && strcmp(forced, "headless") != 0)
    fprintf(stderr, "platform: PLATFORM_DISPLAY=%s is neither fltk nor headless; ignored\n",
            forced);
  Display* fltk = nullptr;
  DisplayKind kind = ChooseDisplay(forced, getenv("DISPLAY"), [&] {
    fltk = OpenFltkDisplay();
    return fltk != nullptr;
  });
  if (kind == DisplayKind::kFltk) {
    InstallDisplay(fltk);
  } else if (forced && strcmp(forced, "fltk") == 0) {
    fprintf(stderr, "platform: the FLTK display can't be opened; running without a display\n");
  }
}

}  // namespace plat::gui
