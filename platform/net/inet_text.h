// IPv4 addresses as text: the BSD dotted forms that inet_addr accepts, and the
// a.b.c.d form inet_ntoa gives. Addresses are in network byte order.
#pragma once

#include <cstdint>

namespace plat::net {

// a.b.c.d, a.b.c (c: 16 bits), a.b (b: 24 bits) or a (32 bits); each part
// decimal, octal (leading 0) or hexadecimal (0x). Text may end in white space.
bool ParseDottedAddress(const char* text, uint32_t* address);
void FormatDottedAddress(uint32_t address, char (&text)[16]);

}  // namespace plat::net
