// The desktop: a private directory of the user (mode 0700) where the processes of
// one session meet. It holds each process's message socket, the published
// top-level windows, the global atom table and the named shared-memory sections.
// PLATFORM_DESKTOP names it; otherwise $XDG_RUNTIME_DIR/platform-desktop, else
// /tmp/platform-desktop-<uid>.
#pragma once

#include <sys/types.h>

#include <string>

namespace plat::ipc {

// Opens (creating if needed) the desktop and this process's endpoint, and lets the
// window core reach other processes' windows. False (with a line on standard error)
// when the directory is not private to this user or the socket can't be made.
bool JoinDesktop();
bool InDesktop();

const std::string& DesktopDir();
std::string EndpointPath(pid_t pid);

// A process is alive on the desktop while its endpoint socket accepts connections;
// this holds for killed processes that have not been reaped yet, and a pid that was
// reused only counts once the new process has joined.
bool EndpointAlive(pid_t pid);

}  // namespace plat::ipc
