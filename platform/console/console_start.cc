// A terminal program's start: the part of the layer's own main that it needs.
#include "ipc/desktop.h"
#include "platform/console.h"
#include "win/process_startup.h"

BOOL StartConsoleProgram() {
  plat::win::InstallTerminationHandling();
  return plat::ipc::JoinDesktop();
}
