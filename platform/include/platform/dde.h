// Dynamic data exchange messages. Between processes the layer carries the memory
// block of a posted WM_DDE_POKE (low word of lParam) and gives the receiver a
// handle of its own; a posted WM_DDE_ACK that carries such a handle in the high
// word of wParam is translated back, so the poster sees its own handle again.
// A DDEPOKE block starts with a WORD of flags: 0x2000 = the receiver frees it.
#pragma once

#include "platform/windef.h"

#define WM_DDE_INITIATE 0x03E0
#define WM_DDE_TERMINATE 0x03E1
#define WM_DDE_ADVISE 0x03E2
#define WM_DDE_UNADVISE 0x03E3
#define WM_DDE_ACK 0x03E4
#define WM_DDE_DATA 0x03E5
#define WM_DDE_REQUEST 0x03E6
#define WM_DDE_POKE 0x03E7
#define WM_DDE_EXECUTE 0x03E8

#define DDE_FRELEASE 0x2000
#define CF_TEXT 1
