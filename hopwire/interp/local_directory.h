// Local drives and directories through the layer's drive-letter paths, shared by
// the local commands and the entering of a controller's full path names.
#pragma once

// Makes the drive of this letter (either case) current; false when the letter is
// no drive letter or the drive is not there.
bool ChangeDrive(char letter);
// An empty directory leaves the drive's current one as it is.
bool ChangeDirectory(const char* directory);
