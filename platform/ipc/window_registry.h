// Published top-level windows: one empty file per window under
// <desktop>/windows/<class>/, named by the window handle. Entries of processes that
// died without withdrawing are removed by the first search that meets them.
#pragma once

#include <sys/types.h>

#include <functional>

#include "platform/windef.h"

namespace plat::ipc {

bool OpenWindowRegistry();  // also drops entries a former owner of this pid left behind
void PublishWindow(HWND hwnd, const char* className);
void WithdrawWindow(HWND hwnd);
// The first live window of another process with this class that `wanted` accepts.
HWND FindPublishedWindow(const char* className, const std::function<bool(HWND)>& wanted);

pid_t OwnerOf(HWND hwnd);

}  // namespace plat::ipc
