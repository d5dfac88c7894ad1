// Which display backend a program runs on, decided by the layer before WinMain:
// PLATFORM_DISPLAY=fltk or =headless forces one; otherwise FLTK when DISPLAY is
// set and its connection opens, else headless. Programs never see the choice.
#pragma once

#include <functional>

#include "gui/display.h"

namespace plat::gui {

enum class DisplayKind { kHeadless, kFltk };

// forced: PLATFORM_DISPLAY's value or null; display: DISPLAY's value or null;
// canOpen tries the connection (asked only when it matters).
DisplayKind ChooseDisplay(const char* forced, const char* display,
                          const std::function<bool()>& canOpen);

// Installs the chosen backend (the headless one needs nothing).
void SelectDisplay();

// The FLTK backend on an open connection, or null when FLTK is not built in
// or the display can't be opened.
Display* OpenFltkDisplay();

}  // namespace plat::gui
