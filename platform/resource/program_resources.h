// Lookup in the program's resource tables (platform/resources.h). There is one
// module per process, so the instance handle given to the Load calls is not
// consulted beyond telling program resources from stock ones.
#pragma once

#include "platform/resources.h"

namespace plat::res {

// Resource names: MAKEINTRESOURCE(id), "#id", or a text matched without regard
// to case.
bool NameMatches(LPCSTR wanted, LPCSTR name);

const StringResource* FindString(UINT id);
const MenuResource* FindMenu(LPCSTR name);
const DialogResource* FindDialog(LPCSTR name);
const IconResource* FindIcon(LPCSTR name);

}  // namespace plat::res
