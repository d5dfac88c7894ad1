// Holds the backend in use; the headless one is the default so that programs and
// tests run without a display.
#include "gui/display.h"

#include "gui/headless_display.h"

namespace plat::gui {

namespace {
Display* current = nullptr;
}  // namespace

HeadlessDisplay& Headless() {
  // Never destroyed: windows may still report to it while the process exits.
  static HeadlessDisplay* headless = new HeadlessDisplay;
  return *headless;
}

Display& CurrentDisplay() {
  return current ? *current : Headless();
}

void InstallDisplay(Display* display) {
  current = display;
}

}  // namespace plat::gui
