// Reads one named section out of an ELF file, for data a program carries in
// its own file. Every offset and size read from the file is checked against
// the file, so a damaged or hostile file yields nothing, never a wild read.
#pragma once

#include <string>
#include <vector>

namespace plat::res {

// fd: a readable descriptor of the file, left open. False when the file is
// not a little-endian ELF file or has no such section.
bool ReadElfSection(int fd, const char* name, std::vector<unsigned char>* data);

}  // namespace plat::res
