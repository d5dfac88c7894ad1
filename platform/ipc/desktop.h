// The desktop: a private directory of the user (mode 0700) where the processes of
// one session meet. It holds each process's message socket, the published
// top-level windows, the global atom table and the named shared-memory sections.
// PLATFORM_DESKTOP names it; otherwise $XDG_RUNTIME_DIR/platform-desktop, else
// /tmp/platform-desktop-<uid>. A directory that is a symbolic link, belongs to
// another user or is not mode 0700 is never used: the program then does not
// start, and says why and that PLATFORM_DESKTOP names another. The directory is
// held open once checked, and everything in it is reached through that descriptor.
#pragma once

#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>

#include <string>

namespace plat::ipc {

// Opens (creating if needed) the desktop and this process's endpoint, and lets the
// window core reach other processes' windows. False, with a line on standard
// error saying why, when the directory is not private to this user or the
// endpoint can't be made; nothing is left open then.
bool JoinDesktop();
bool InDesktop();

int DesktopFd();                  // the held directory, -1 outside a desktop
const std::string& DesktopDir();  // its name, for messages and tests
// A process's endpoint in the desktop directory, by name and by whole path.
std::string EndpointName(pid_t pid);
std::string EndpointPath(pid_t pid);
// The address of a process's endpoint, reached through the held directory.
bool EndpointAddress(pid_t pid, sockaddr_un* address);

// A process is alive on the desktop while its endpoint socket accepts connections;
// this holds for killed processes that have not been reaped yet, and a pid that was
// reused only counts once the new process has joined.
bool EndpointAlive(pid_t pid);

}  // namespace plat::ipc
