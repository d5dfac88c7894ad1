// A program that carries version information, for reading it back from the
// program file. Run, it prints its own FileVersion.
#include <stdio.h>

#include "platform/resources.h"
#include "platform/windows.h"

constexpr VersionNumbers kVersion{{2, 1, 0, 0}, {2, 1, 3, 4}, VS_FF_PRERELEASE};
PLATFORM_VERSION_INFO(kVersion, "040904E4", {"CompanyName", "Test Works"},
                      {"FileDescription", "Versioned Test Program"}, {"FileVersion", "2.1"},
                      {"LegalCopyright", "Copyright Test Works. All rights reserved."},
                      {"Comments", ""});

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
