// The status bar at the bottom of the main window: pane 0 explains the
// highlighted menu item, pane 1 shows the state of the services. Every size is
// a multiple of b, the system's border height, read once at start-up.
#pragma once

#include "ui/server_record.h"

// The status font, b and the two panes (40 and 20 average characters, pane 1
// at least as wide as every service state needs in the status font); pane 1
// reads "Idle" until a service reports.
BOOL InitStatusBar(ServerRecord* server);
void FreeStatusBar(ServerRecord* server);

// The bar's rectangle: the bottom `height` pixels of the client area.
void PlaceStatusBar(ServerRecord* server, int clientWidth, int clientHeight);
void PaintStatusBar(ServerRecord* server, HDC dc);

// Copies the text (when given) into the pane; with redraw, draws that pane at
// once if the window exists, is not minimised and the pane has been laid out.
void SetStatusText(int pane, const char* text, BOOL redraw);
