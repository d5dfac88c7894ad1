// Host paths of Windows paths, for reading program files by the names programs
// give. A stand-in until the file layer's resolver is on this branch: drive
// letters from PLATFORM_DRIVES ("c=/srv/c;d=/mnt/d"; c: is "/" by default),
// either slash, components matched exactly first and then without regard to
// case, ".." never above the drive's directory.
#pragma once

#include <string>

namespace plat::res {

bool HostPathOf(const char* windowsPath, std::string* hostPath);

}  // namespace plat::res
