// Shared fixture pieces of the window core's tests: a class whose procedure
// records every message it gets, so tests can assert Win32's sequences.
#pragma once

#include <string>
#include <vector>

#include "platform/windows.h"

namespace wintest {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen>& Log();
std::vector<UINT> Messages(HWND hwnd);  // what hwnd saw, in order
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers "Recorder" (idempotent) with room for `extra` bytes of window words.
void RegisterRecorder(int extra = 16);
HWND MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int id = 0);
// Dispatches everything that is ready without waiting.
void Drain();
// Processor time this process has used so far (user and system).
double CpuMilliseconds();

}  // namespace wintest
