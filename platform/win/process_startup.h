// What the layer sets up before a program's WinMain runs.
#pragma once

namespace plat::win {

// Termination requests (SIGTERM, SIGINT, SIGHUP) become WM_CLOSE posted to each
// captioned top-level window of the process, the way a polite shutdown closes a
// Win32 program; a process without such a window gets WM_QUIT. SIGPIPE is ignored
// so that a vanished peer is an error code, not a death.
void InstallTerminationHandling();

}  // namespace plat::win
