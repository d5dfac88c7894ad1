// Host paths of Windows paths, a stand-in until the file layer's resolver is on
// this branch: drives from PLATFORM_DRIVES ("c=/srv/c;d=/mnt/d"; c: is "/" by
// default), either slash, names matched exactly and then without regard to
// case, ".." never above the drive's directory.
#pragma once

#include <string>

namespace plat::res {

bool HostPathOf(const char* windowsPath, std::string* hostPath);

}  // namespace plat::res
