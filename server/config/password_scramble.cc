// Scrambling and unscrambling stored passwords (see password_scramble.h).
#include "config/password_scramble.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t kScrambled = 0x7F;
constexpr uint8_t kEscape = 0x1F;

// v + 33 would be "=" for 28, so 28 takes a doubled escape and v + 34.
size_t PutEscaped(uint8_t v, char* out) {
  if (v == 28) {
    out[0] = (char)kEscape;
    out[1] = (char)kEscape;
    out[2] = (char)(v + 34);
    return 3;
  }
  if (v < 33 || v == '=' || v == '[' || v == ']') {
    out[0] = (char)kEscape;
    out[1] = (char)(v + 33);
    return 2;
  }
  out[0] = (char)v;
  return 1;
}

// FALSE at the end of the text or where an escape breaks off.
bool TakeEscaped(const uint8_t** text, uint8_t* v) {
  const uint8_t* p = *text;
  if (p[0] == '\0') return false;
  if (p[0] != kEscape) {
    *v = p[0];
    *text = p + 1;
    return true;
  }
  if (p[1] == '\0') return false;
  if (p[1] != kEscape) {
    *v = (uint8_t)(p[1] - 33);
    *text = p + 2;
    return true;
  }
  if (p[2] == '\0') return false;
  *v = (uint8_t)(p[2] - 34);
  *text = p + 3;
  return true;
}

uint8_t RotateLeft(uint8_t v, int bits) {
  return (uint8_t)(v << bits | v >> (8 - bits));
}

uint8_t RotateRight(uint8_t v, int bits) {
  return (uint8_t)(v >> bits | v << (8 - bits));
}

}  // namespace

void ScramblePassword(const char* plain, char* stored) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(plain);
  size_t n = strlen(plain);
  if (n == 0) {
    stored[0] = '\0';
    return;
  }
  uint8_t k = 0;
  for (size_t i = 0; i < n; i++)
    k = (uint8_t)(k + p[i]);
  size_t at = 0;
  stored[at++] = (char)kScrambled;
  at += PutEscaped(k, stored + at);
  for (size_t i = 1; i <= n && at + 4 <= kScrambledSize; i++)
    at += PutEscaped((uint8_t)(k ^ RotateLeft(p[i - 1], (int)(i % 8))), stored + at);
  stored[at] = '\0';
}

void UnscramblePassword(const char* stored, char* plain, size_t plainSize) {
  const uint8_t* text = reinterpret_cast<const uint8_t*>(stored);
  size_t n = 0;
  if (text[0] != kScrambled) {
    n = strnlen(stored, plainSize - 1);
    memcpy(plain, stored, n);
    plain[n] = '\0';
    return;
  }
  text++;
  uint8_t k, v;
  if (TakeEscaped(&text, &k)) {
    for (int i = 1; n + 1 < plainSize && TakeEscaped(&text, &v); i++) {
      uint8_t byte = RotateRight((uint8_t)(k ^ v), i % 8);
      if (byte == 0) break;
      plain[n++] = (char)byte;
    }
  }
  plain[n] = '\0';
}
