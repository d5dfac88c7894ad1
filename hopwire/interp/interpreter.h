// What the interpreter offers the data transfers: the transfer type numbers and
// the switch to a type before a transfer, and entering the local and remote
// directories of a controller's full path names.
#pragma once

inline constexpr int kTypeAscii = 1;
inline constexpr int kTypeEbcdic = 2;
inline constexpr int kTypeBinary = 3;  // binary and image
inline constexpr int kTypeTenex = 4;

// Sends TYPE unless the server already has this type (0 means binary); show off
// keeps verbose off while it runs.
void SetTransferType(int type, bool show);

// strip: the path ends in a file name, which is left out. False, with the line
// saying why, when the drive or directory cannot be entered.
bool EnterLocalDirectory(const char* path, bool strip);
// The remote path in the server's syntax, then CWD (XCWD when the server does not
// know CWD); false unless the server moved there.
bool EnterRemoteDirectory(const char* path, bool strip);
