// The display backend: what turns the layer's windows into something a person
// sees and operates. The layer keeps all window state; a backend only mirrors it
// and feeds a person's input back as messages. The headless backend shows nothing.
#pragma once

#include "platform/windef.h"

namespace plat::gui {

class Display {
 public:
  virtual ~Display() = default;

  virtual void WindowCreated(HWND hwnd) {}
  virtual void WindowDestroyed(HWND hwnd) {}
  // Visibility, minimised state, position, size or text changed.
  virtual void WindowChanged(HWND hwnd) {}
  // The window got an update region; a backend that renders schedules a paint.
  virtual void WindowInvalidated(HWND hwnd) {}
  virtual void WindowActivated(HWND hwnd) {}
};

// The backend in use; the headless one until another is installed.
Display& CurrentDisplay();
void InstallDisplay(Display* display);

}  // namespace plat::gui
