// Lets a test give its process (and the children it starts) its own copy of a
// system file, such as the resolver's configuration, in a private mount namespace.
#pragma once

#include <string>

namespace nettest {

bool OverrideSystemFile(const char* path, const std::string& contents);

}  // namespace nettest
