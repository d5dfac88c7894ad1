// Passwords in the settings file: 0x7F, a key byte k (the sum of the password's
// bytes), then each byte p_i as k XOR (p_i rotated left by i mod 8), every
// byte escaped so that the text holds no NUL, line end, blank, "=", "[" or
// "]". A stored value not starting with 0x7F is the plain password.
#pragma once

#include <cstddef>

// 0x7F, k and 63 bytes, each escaped in at most three bytes, and the NUL.
inline constexpr size_t kScrambledSize = 1 + 3 * 64 + 1;

// An empty password is stored as an empty value.
void ScramblePassword(const char* plain, char* stored);
// Cut to plainSize - 1 bytes; a malformed scrambled value reads up to the
// point where it breaks off.
void UnscramblePassword(const char* stored, char* plain, size_t plainSize);
