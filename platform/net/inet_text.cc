// Parsing follows BSD inet_aton, so that text which is a host name never passes
// for an address and every form older programs write still does.
#include "net/inet_text.h"

#include <stdio.h>
#include <string.h>

namespace plat::net {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// One part at *p; false when there is no digit or the value passes 32 bits.
bool ParsePart(const char*& p, uint32_t* value) {
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  } else if (p[0] == '0') {
    base = 8;
  }
  uint64_t v = 0;
  const char* start = p;
  for (int d; (d = DigitValue(*p)) < (int)base; ++p) {
    v = v * base + (unsigned)d;
    if (v > UINT32_MAX) return false;
  }
  *value = (uint32_t)v;
  return p != start;
}

}  // namespace

bool ParseDottedAddress(const char* text, uint32_t* address) {
  uint32_t parts[4];
  int count = 0;
  const char* p = text;
  for (;;) {
    if (count == 4 || !ParsePart(p, &parts[count])) return false;
    ++count;
    if (*p != '.') break;
    ++p;
  }
  if (*p && !IsSpace(*p)) return false;
  // The last part fills the bytes the earlier ones leave.
  static constexpr uint32_t kLastMax[] = {0xffffffffu, 0xffffffu, 0xffffu, 0xffu};
  uint32_t value = parts[count - 1];
  if (value > kLastMax[count - 1]) return false;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xff) return false;
    value |= parts[i] << (24 - 8 * i);
  }
  unsigned char bytes[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16),
                            (unsigned char)(value >> 8), (unsigned char)value};
  memcpy(address, bytes, sizeof bytes);
  return true;
}

void FormatDottedAddress(uint32_t address, char (&text)[16]) {
  unsigned char b[4];
  memcpy(b, &address, sizeof b);
  snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
}

}  // namespace plat::net
