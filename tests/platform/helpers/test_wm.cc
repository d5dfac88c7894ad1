// A window manager for the display tests, just enough of ICCCM to minimise and
// restore: it owns WM_S0, maps windows (or keeps them iconic when their hints
// ask), honours configure requests, iconifies on WM_CHANGE_STATE and keeps
// WM_STATE. Commands on standard input play a person at its decorations:
// "restore WINDOW" shows an iconic window again, "close WINDOW" is the close
// box (WM_DELETE_WINDOW). It prints "ready" once it manages the screen.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

Display* display;
Atom wmState, wmChangeState, wmProtocols, wmDelete;
bool redirectRefused = false;

int OnError(Display*, XErrorEvent* e) {
  if (e->error_code == BadAccess) redirectRefused = true;
  return 0;  // windows vanish under a window manager all the time
}

void SetState(Window w, long state) {
  long data[2] = {state, None};
  XChangeProperty(display, w, wmState, wmState, 32, PropModeReplace, (unsigned char*)data, 2);
}

void Map(Window w) {
  XWMHints* hints = XGetWMHints(display, w);
  bool iconic = hints && (hints->flags & StateHint) && hints->initial_state == IconicState;
  if (hints) XFree(hints);
  SetState(w, iconic ? IconicState : NormalState);
  if (!iconic) XMapWindow(display, w);
  printf("%s %lu\n", iconic ? "iconic" : "mapped", w);
  fflush(stdout);
}

void Command(char* line) {
  char verb[16] = {};
  unsigned long w = 0;
  if (sscanf(line, "%15s %lu", verb, &w) != 2) return;
  if (strcmp(verb, "restore") == 0) {
    SetState(w, NormalState);
    XMapWindow(display, w);
  } else if (strcmp(verb, "close") == 0) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = wmProtocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)wmDelete;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &e);
  }
  XFlush(display);
}

void Handle(XEvent* e) {
  switch (e->type) {
    case MapRequest:
      Map(e->xmaprequest.window);
      break;
    case ConfigureRequest: {
      XWindowChanges c{e->xconfigurerequest.x,
                       e->xconfigurerequest.y,
                       e->xconfigurerequest.width,
                       e->xconfigurerequest.height,
                       0,
                       None,
                       Above};
      XConfigureWindow(display, e->xconfigurerequest.window,
                       e->xconfigurerequest.value_mask & (CWX | CWY | CWWidth | CWHeight), &c);
      break;
    }
    case ClientMessage:
      if (e->xclient.message_type == wmChangeState && e->xclient.data.l[0] == IconicState) {
        SetState(e->xclient.window, IconicState);
        XUnmapWindow(display, e->xclient.window);
        printf("iconified %lu\n", e->xclient.window);
        fflush(stdout);
      }
      break;
  }
}

}  // namespace

int main() {
  display = XOpenDisplay(nullptr);
  if (!display) return 1;
  XSetErrorHandler(OnError);
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(display, False);
  if (redirectRefused) return 2;  // another window manager runs
  wmState = XInternAtom(display, "WM_STATE", False);
  wmChangeState = XInternAtom(display, "WM_CHANGE_STATE", False);
  wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wmDelete = XInternAtom(display, "WM_DELETE_WINDOW", False);
  Window owner = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display, XInternAtom(display, "WM_S0", False), owner, CurrentTime);
  XSync(display, False);
  printf("ready\n");
  fflush(stdout);
  char line[128];
  size_t used = 0;
  while (true) {
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      Handle(&e);
    }
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) {
      ssize_t n = read(0, line + used, sizeof line - 1 - used);
      if (n <= 0) return 0;
      used += (size_t)n;
      line[used] = 0;
      while (char* end = strchr(line, '\n')) {
        *end = 0;
        Command(line);
        used -= (size_t)(end + 1 - line);
        memmove(line, end + 1, used + 1);
      }
      if (used == sizeof line - 1) used = 0;
    }
  }
}
