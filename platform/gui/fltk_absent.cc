// Built when FLTK is not found: every program runs headless.
#include "gui/display_choice.h"

namespace plat::gui {

Display* OpenFltkDisplay() {
  return nullptr;
}

}  // namespace plat::gui
