// Published top-level windows: one empty file per window under
// <desktop>/windows/<class>/, named by the window handle. Entries of processes that
// died without withdrawing are removed by the first search that meets them.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/windef.h"

namespace plat::ipc {

bool OpenWindowRegistry();  // also drops entries a former owner of this pid left behind
void PublishWindow(HWND hwnd, const char* className);
void WithdrawWindow(HWND hwnd);
// The live windows of other processes with this class.
std::vector<HWND> FindPublishedWindows(const char* className);

pid_t OwnerOf(HWND hwnd);

}  // namespace plat::ipc
