// Case-insensitive look-up of a name in a directory. The folded-name map of a
// scanned directory is kept, keyed by the directory's identity and change
// stamps, so repeated look-ups in an unchanged directory cost one status call
// and one hash look-up; any change to the directory makes it scan again.
#pragma once

#include <string>

namespace plat::fs {

// The entry of directory dirFd (any descriptor of it, O_PATH will do) whose
// name equals name without regard to ASCII case; the smallest such name in
// byte order. False with errno ENOENT when there is none, or the host's errno.
bool FindFoldedName(int dirFd, const std::string& name, std::string* actual);

// Drops every kept map (tests and benchmarks that want a cold start).
void ForgetFoldedNames();

}  // namespace plat::fs
