// What a terminal program on the layer needs beyond windows and messages: its own
// main (the argument vector as given), Ctrl-C as a console control event handled
// on the process's one thread, a descriptor's input announced as a window message,
// and the process that owns a window.
#pragma once

#include "platform/windef.h"

// Starts the layer for a program that keeps main instead of WinMain: termination
// signals become WM_CLOSE as for any program, and the process joins the desktop.
// The display stays headless. FALSE when the desktop could not be joined (the
// process then sees only its own windows).
BOOL StartConsoleProgram();

#define CTRL_C_EVENT 0
typedef BOOL(WINAPI* PHANDLER_ROUTINE)(DWORD ctrlType);

// Ctrl-C (SIGINT) runs the handlers, newest first, until one returns TRUE; none
// taking it ends the process as an unhandled Ctrl-C does. They run on the one
// thread from whatever wait it is in (GetMessage, a cross-process SendMessage, a
// blocking socket call), never in signal context. A null handler with add TRUE
// ignores Ctrl-C. SIGTERM and SIGHUP keep closing the program's windows.
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);

// Posts message to hwnd, wParam = fd, once fd is readable (or at its end, or
// failed), then stays quiet until called again. Message 0 stops watching fd.
BOOL WatchInputDescriptor(int fd, HWND hwnd, UINT message);

// The thread (this layer runs one per process, numbered as the process) that owns
// the window, and its process in *processId; 0 for no window.
DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);
