// Direct Xlib calls on FLTK's connection. The connection is opened here rather
// than by FLTK, which would end the process when the display is missing.
#include "gui/fltk_x11.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

namespace plat::gui::fltk {

bool OpenConnection() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

int ConnectionFd() {
  return ConnectionNumber(fl_display);
}

bool EventsQueued() {
  return XQLength(fl_display) > 0;
}

bool WindowManagerRunning() {
  Atom selection = XInternAtom(fl_display, "WM_S0", False);
  return XGetSelectionOwner(fl_display, selection) != None;
}

bool ShownNormal(Fl_Window* window) {
  Window xid = fl_xid(window);
  if (!xid) return false;
  Atom wmState = XInternAtom(fl_display, "WM_STATE", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool normal = false;
  if (XGetWindowProperty(fl_display, xid, wmState, 0, 2, False, wmState, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32 && count >= 1) {
    normal = ((long*)data)[0] == NormalState;
  }
  if (data) XFree(data);
  return normal;
}

void SetTransientFor(Fl_Window* window, Fl_Window* owner) {
  if (fl_xid(window) && fl_xid(owner))
    XSetTransientForHint(fl_display, fl_xid(window), fl_xid(owner));
}

void GiveKeyboardFocus(Fl_Window* window) {
  Window xid = fl_xid(window);
  if (!xid) return;
  XWindowAttributes a;
  if (XGetWindowAttributes(fl_display, xid, &a) && a.map_state == IsViewable)
    XSetInputFocus(fl_display, xid, RevertToPointerRoot, CurrentTime);
}

void RingBell() {
  XBell(fl_display, 0);
  XFlush(fl_display);
}

}  // namespace plat::gui::fltk
