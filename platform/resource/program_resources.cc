// Linear searches: a program has a few dozen resources, looked up when a
// menu, dialog or message is needed, never in a loop over requests.
#include "resource/program_resources.h"

#include <stdlib.h>
#include <strings.h>

namespace plat::res {

namespace {

// "#1112" names resource 1112, as in Win32.
bool IdOf(LPCSTR name, UINT* id) {
  if (IS_INTRESOURCE(name)) {
    *id = (UINT)(uintptr_t)name;
    return true;
  }
  if (name[0] != '#' || name[1] == 0) return false;
  char* end = nullptr;
  unsigned long value = strtoul(name + 1, &end, 10);
  if (*end != 0 || value > 0xFFFF) return false;
  *id = (UINT)value;
  return true;
}

template <typename T>
const T* FindNamed(std::span<const T> table, LPCSTR name) {
  if (!name) return nullptr;
  for (const T& entry : table) {
    if (NameMatches(name, entry.name)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool NameMatches(LPCSTR wanted, LPCSTR name) {
  if (!wanted || !name) return false;
  UINT a, b;
  bool wantedId = IdOf(wanted, &a);
  bool nameId = IdOf(name, &b);
  if (wantedId || nameId) return wantedId && nameId && a == b;
  return strcasecmp(wanted, name) == 0;
}

const StringResource* FindString(UINT id) {
  for (const StringResource& s : ProgramResources.strings) {
    if (s.id == id) return &s;
  }
  return nullptr;
}

const MenuResource* FindMenu(LPCSTR name) {
  return FindNamed(ProgramResources.menus, name);
}

const DialogResource* FindDialog(LPCSTR name) {
  return FindNamed(ProgramResources.dialogs, name);
}

const IconResource* FindIcon(LPCSTR name) {
  return FindNamed(ProgramResources.icons, name);
}

}  // namespace plat::res
