// Starting and stopping the four services, at start-up and from the setup dialog.
// A start opens the service's endpoint (which registers with the port mapper), a
// stop closes it; each writes its log line and its state into status pane 1.
#pragma once

#include "platform/windows.h"

BOOL StartPortMapper(HWND mainWindow, BOOL debug);
BOOL StartNfsService(HWND mainWindow, BOOL debug);
BOOL StartMountDaemon(HWND mainWindow, BOOL debug);
BOOL StartPcnfsDaemon(HWND mainWindow, BOOL debug);

// Safe when the service is not running; the line and the state are written anyway.
void StopPortMapper();
void StopMountDaemon();
void StopNfsService();
void StopPcnfsDaemon();

// The texts starts and stops put into status pane 1, one by one from 0; none
// past the last. The status bar makes the pane wide enough for each.
const char* ServiceStateText(int index);
