// The entry of a windowed program: the layer starts (signals, the desktop, the
// display backend), then calls the program's WinMain with the command line after
// the program name, as Win32's runtime does. A program that can't join its
// desktop does not start: alone it would miss its peers and a second instance.
#include <string>

#include "gui/display_choice.h"
#include "ipc/desktop.h"
#include "platform/windows.h"
#include "win/process_startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

int main(int argc, char** argv) {
  plat::win::InstallTerminationHandling();
  if (!plat::ipc::JoinDesktop()) return 1;  // the reason is on standard error
  plat::gui::SelectDisplay();
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandle(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
