// The local file of a retrieval. It is checked before the server is asked, so a
// file that cannot be written costs no transfer, and it is emptied only once the
// server has started sending; the descriptor opened by the check is the one used.
#pragma once

struct LocalTarget {
  int fd = -1;
};

// False, with its line ("local: ... 2", "3" or "4"), when neither the file nor
// its directory can be written.
bool CheckLocalTarget(const char* name, LocalTarget* target);
// Empties the checked file, or creates it; false with "local: ... 5".
bool OpenLocalTarget(const char* name, LocalTarget* target);
void CloseLocalTarget(LocalTarget* target);
