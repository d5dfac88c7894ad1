// Values of the settings file as text, both ways: on/off switches, the display
// mode, the window position, access strings and secondary gid lists. Readers
// accept only the documented forms and fall back as the file's rules say.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windef.h"

enum DisplayMode : uint32_t { DISPLAY_EXPORTS = 0, DISPLAY_PORTMAP = 2 };

struct WindowRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

inline constexpr WindowRect kDefaultWinpos = {0, 0, 498, 245};
inline constexpr size_t kAccessTextSize = 10;

// "on" in any case is on; anything else is off.
BOOL IsOnText(const char* text);
const char* OnOffText(uint32_t on);

// "exp" in any case shows the exports; anything else the port mapper table.
DisplayMode DisplayModeFromText(const char* text);
const char* DisplayModeText(DisplayMode mode);

// Exactly four decimal numbers "left,top,right,bottom" with left and top not
// negative, right >= left and bottom >= top; FALSE otherwise.
BOOL ParseWinpos(const char* text, WindowRect* rect);

// Nine characters from the owner read bit (0x100) down: the letter r, w or x
// where the bit is granted, "-" where not. Read back position by position; a
// position grants its bit only if it holds its own letter.
void AccessToText(uint32_t access, char* text);
uint32_t AccessFromText(const char* text);

// Decimal numbers separated by blanks: at most kSecondaryGids, stopping at the
// first item that is not a number. Written as " %u" per gid.
uint32_t ParseSecondaryGids(const char* text, uint32_t* gids);
void FormatSecondaryGids(const uint32_t* gids, uint32_t count, char* text, size_t size);
