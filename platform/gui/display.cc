// Holds the backend in use; the headless one is the default so that programs and
// tests run without a display.
#include "gui/display.h"

namespace plat::gui {

namespace {
Display headless;
Display* current = &headless;
}  // namespace

Display& CurrentDisplay() {
  return *current;
}
void InstallDisplay(Display* display) {
  current = display ? display : &headless;
}

}  // namespace plat::gui
