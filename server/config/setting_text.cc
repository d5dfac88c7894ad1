// Conversions between setting values and their text (see setting_text.h).
#include "config/setting_text.h"

#include <strings.h>
#include <cstdio>
#include <cstring>

#include "config/config_records.h"

namespace {

const char kAccessLetters[] = "rwxrwxrwx";

// An optionally signed decimal number that fits 32 bits; advances *text.
BOOL TakeNumber(const char** text, int32_t* value) {
  const char* p = *text;
  BOOL negative = *p == '-';
  if (*p == '-' || *p == '+') p++;
  if (*p < '0' || *p > '9') return FALSE;
  int64_t v = 0;
  for (; *p >= '0' && *p <= '9'; p++) {
    v = v * 10 + (*p - '0');
    if (v > INT32_MAX + (int64_t)negative) return FALSE;
  }
  *value = (int32_t)(negative ? -v : v);
  *text = p;
  return TRUE;
}

void SkipBlanks(const char** text) {
  while (**text == ' ' || **text == '\t')
    (*text)++;
}

}  // namespace

BOOL IsOnText(const char* text) {
  return strcasecmp(text, "on") == 0;
}

const char* OnOffText(uint32_t on) {
  return on ? "ON" : "OFF";
}

DisplayMode DisplayModeFromText(const char* text) {
  return strcasecmp(text, "exp") == 0 ? DISPLAY_EXPORTS : DISPLAY_PORTMAP;
}

const char* DisplayModeText(DisplayMode mode) {
  return mode == DISPLAY_EXPORTS ? "EXP" : "PM";
}

BOOL ParseWinpos(const char* text, WindowRect* rect) {
  int32_t v[4];
  for (int i = 0; i < 4; i++) {
    SkipBlanks(&text);
    if (!TakeNumber(&text, &v[i])) return FALSE;
    SkipBlanks(&text);
    if (i < 3 && *text++ != ',') return FALSE;
  }
  if (*text != '\0' || v[0] < 0 || v[1] < 0 || v[2] < v[0] || v[3] < v[1]) return FALSE;
  *rect = {v[0], v[1], v[2], v[3]};
  return TRUE;
}

void AccessToText(uint32_t access, char* text) {
  for (int i = 0; i < 9; i++)
    text[i] = access & (0x100u >> i) ? kAccessLetters[i] : '-';
  text[9] = '\0';
}

uint32_t AccessFromText(const char* text) {
  uint32_t access = 0;
  for (int i = 0; i < 9 && text[i] != '\0'; i++)
    if (text[i] == kAccessLetters[i]) access |= 0x100u >> i;
  return access;
}

uint32_t ParseSecondaryGids(const char* text, uint32_t* gids) {
  uint32_t count = 0;
  while (count < kSecondaryGids) {
    SkipBlanks(&text);
    size_t digits = strspn(text, "0123456789");
    if (digits == 0 || (text[digits] != '\0' && text[digits] != ' ' && text[digits] != '\t')) {
      break;
    }
    uint32_t gid = 0;
    for (size_t i = 0; i < digits; i++)
      gid = gid * 10 + (uint32_t)(text[i] - '0');
    gids[count++] = gid;
    text += digits;
  }
  return count;
}

void FormatSecondaryGids(const uint32_t* gids, uint32_t count, char* text, size_t size) {
  size_t used = 0;
  text[0] = '\0';
  for (uint32_t i = 0; i < count && used < size; i++)
    used += (size_t)snprintf(text + used, size - used, " %u", gids[i]);
}
