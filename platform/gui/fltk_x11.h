// The few things the FLTK backend asks of X11 directly: whether a window
// manager runs (one that can iconify), whether it shows a window as normal,
// transient owners, the keyboard focus, the bell and the connection itself.
#pragma once

class Fl_Window;

namespace plat::gui::fltk {

// Opens the display named by DISPLAY for FLTK; false when it can't be opened.
bool OpenConnection();
int ConnectionFd();
// Events Xlib has read off the socket but nobody has handled yet.
bool EventsQueued();

// An ICCCM window manager owns the WM_S0 selection.
bool WindowManagerRunning();
// The window manager keeps the window in NormalState (a person restored it).
bool ShownNormal(Fl_Window* window);
void SetTransientFor(Fl_Window* window, Fl_Window* owner);
void GiveKeyboardFocus(Fl_Window* window);
void RingBell();

}  // namespace plat::gui::fltk
