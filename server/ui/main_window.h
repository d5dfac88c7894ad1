// The server's one visible window: the exports or the port mapper's registrations
// under a two-line heading, the status bar, the menus. Its procedure is also where
// the RPC engine's request-ready messages arrive and are handed to the programs.
#pragma once

#include "ui/server_record.h"

inline constexpr char kMainWindowClass[] = "zVkClasstolmid";

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The fonts of the lists and headings (the status font is the status bar's).
BOOL CreateListFont(ServerRecord* server);
// The three lists, children of the main window, between heading and status bar.
BOOL CreateMainLists(ServerRecord* server);

void RefillExportsList(ServerRecord* server);
void FillPortList(ServerRecord* server);
// The display the settings chose, then the window itself (minimised or normal).
void ShowStartupDisplay(ServerRecord* server);
