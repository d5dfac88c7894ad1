// Global atoms live in one small text file of the desktop, "<atom> <count> <name>"
// per line, read and rewritten under an exclusive lock for every change. Atom
// tables hold a handful of names, so the whole file is the simplest right thing.
// Names of the form "#123" are integer atoms and never enter the table.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "ipc/system_calls.h"
#include "platform/winbase.h"

namespace {

constexpr ATOM kFirstStringAtom = 0xC000;
constexpr size_t kMaxAtomName = 255;

struct AtomEntry {
  ATOM atom;
  unsigned count;
  std::string name;
};

class AtomTable {
 public:
  AtomTable() {
    if (!plat::ipc::InDesktop()) return;
    fd_ = plat::ipc::Sys().openat(plat::ipc::DesktopFd(), "atoms",
                                  O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0 || flock(fd_, LOCK_EX) != 0) return;
    Load();
  }
  ~AtomTable() {
    if (fd_ >= 0) plat::ipc::Sys().close(fd_);  // releases the lock
  }
  bool ok() const { return fd_ >= 0; }
  std::vector<AtomEntry> entries;

  void Save() {
    std::string text;
    char line[16];
    for (const AtomEntry& e : entries) {
      snprintf(line, sizeof line, "%04X %u ", e.atom, e.count);
      text += line + e.name + "\n";
    }
    // In place, then cut to length: emptying the file first would free and take
    // its block again on every change, which costs milliseconds on a journalled disk.
    if (pwrite(fd_, text.data(), text.size(), 0) == (ssize_t)text.size())
      (void)!ftruncate(fd_, (off_t)text.size());
  }

 private:
  void Load() {
    std::string text;
    char chunk[4096];
    ssize_t n;
    off_t at = 0;
    while ((n = pread(fd_, chunk, sizeof chunk, at)) > 0) {
      text.append(chunk, n);
      at += n;
    }
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      start = end + 1;
      unsigned atom = 0, count = 0;
      int consumed = 0;
      if (sscanf(line.c_str(), "%4X %u %n", &atom, &count, &consumed) == 2 && consumed > 0 &&
          atom >= kFirstStringAtom && atom <= 0xFFFF)
        entries.push_back(AtomEntry{(ATOM)atom, count, line.substr(consumed)});
    }
  }
  int fd_ = -1;
};

// "#123": an integer atom, valid from 1 to 0xBFFF.
bool IntegerAtom(LPCSTR name, ATOM* atom) {
  if (name[0] != '#') return false;
  char* end = nullptr;
  unsigned long value = strtoul(name + 1, &end, 10);
  if (*end || end == name + 1 || value == 0 || value >= kFirstStringAtom) return false;
  *atom = (ATOM)value;
  return true;
}

AtomEntry* Lookup(AtomTable& table, LPCSTR name) {
  for (AtomEntry& e : table.entries) {
    if (strcasecmp(e.name.c_str(), name) == 0) return &e;
  }
  return nullptr;
}

bool ValidName(LPCSTR name) {
  return name && *name && strlen(name) <= kMaxAtomName && !strchr(name, '\n');
}

}  // namespace

ATOM GlobalAddAtom(LPCSTR name) {
  ATOM atom;
  if (name && IntegerAtom(name, &atom)) return atom;
  AtomTable table;
  if (!ValidName(name) || !table.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (AtomEntry* e = Lookup(table, name)) {
    e->count++;
    table.Save();
    return e->atom;
  }
  for (atom = kFirstStringAtom; atom != 0; ++atom) {
    bool used = false;
    for (const AtomEntry& e : table.entries)
      used |= e.atom == atom;
    if (!used) break;
  }
  if (atom == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  table.entries.push_back(AtomEntry{atom, 1, name});
  table.Save();
  return atom;
}

ATOM GlobalDeleteAtom(ATOM atom) {
  if (atom < kFirstStringAtom) return 0;
  AtomTable table;
  for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
    if (it->atom != atom) continue;
    if (--it->count == 0) table.entries.erase(it);
    table.Save();
    return 0;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return atom;
}

ATOM GlobalFindAtom(LPCSTR name) {
  ATOM atom;
  if (name && IntegerAtom(name, &atom)) return atom;
  AtomTable table;
  AtomEntry* e = ValidName(name) ? Lookup(table, name) : nullptr;
  return e ? e->atom : 0;
}

UINT GlobalGetAtomName(ATOM atom, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  std::string name;
  if (atom > 0 && atom < kFirstStringAtom) {
    name = "#" + std::to_string(atom);
  } else {
    AtomTable table;
    for (const AtomEntry& e : table.entries) {
      if (e.atom == atom) name = e.name;
    }
  }
  if (name.empty()) {
    SetLastError(ERROR_INVALID_HANDLE);
    buffer[0] = 0;
    return 0;
  }
  size_t n = name.size() < (size_t)size ? name.size() : (size_t)size - 1;
  memcpy(buffer, name.data(), n);
  buffer[n] = 0;
  return (UINT)n;
}
