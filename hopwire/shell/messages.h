// Message texts from the string resources. LoadMessage fills one of three static
// slots, so a line can hold a message and texts inserted into it at once: use a
// different slot for each text of one line; socket error texts always use slot 2.
#pragma once

#include "platform/windef.h"

inline constexpr int kMessageSlotSize = 128;

// The text of message `number` (at most 127 characters) in slot 0, 1 or 2, or
// "**err LoadString ID <number> **" when the program has no such message.
const char* LoadMessage(int slot, UINT number);

// The text of a WinSock error code, in slot 2.
const char* SocketErrorText(int code);
