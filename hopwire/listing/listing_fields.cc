// Field reading shared by the listing filters: blank-separated words read as
// views, bounded numbers, and the common row builder. A row that would not fit
// the converted line's storage is refused, never cut.
#include "listing/listing_fields.h"

#include <cassert>
#include <cstdio>

bool IsListingBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void ReadListingFields(const char* line, int max, ListingFields* fields) {
  assert(max >= 0 && max <= kMaxListingFields);
  const char* p = line;
  fields->count = 0;
  while (fields->count < max) {
    while (IsListingBlank(*p))
      p++;
    if (*p == '\0') break;
    const char* start = p;
    while (*p != '\0' && !IsListingBlank(*p))
      p++;
    fields->field[fields->count++] = std::string_view(start, (size_t)(p - start));
  }
  fields->rest = p;
}

bool FieldsFit(const ListingFields& fields, int first, int count, size_t limit) {
  for (int i = first; i < first + count && i < fields.count; i++)
    if (fields.field[i].size() > limit) return false;
  return true;
}

size_t ReadDecimal(std::string_view text, uint64_t limit, uint64_t* value) {
  uint64_t number = 0;
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    uint64_t digit = (uint64_t)(text[digits] - '0');
    if (number > limit / 10) return 0;
    number *= 10;
    if (digit > limit - number) return 0;
    number += digit;
    digits++;
  }
  if (digits > 0) *value = number;
  return digits;
}

bool IsDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

const char* ConvertedLine(ListingState* state, int written) {
  if (written < 0 || written >= kListingLineSize) return nullptr;
  return state->line;
}

const char* FormatDatedRow(ListingState* state, std::string_view permissions, std::string_view size,
                           std::string_view month, std::string_view day, std::string_view time,
                           std::string_view name) {
  int written = snprintf(state->line, sizeof state->line,
                         "%.*s   1 owner group %11.*s %.*s %2.*s %.*s %.*s\r\n",
                         (int)permissions.size(), permissions.data(), (int)size.size(), size.data(),
                         (int)month.size(), month.data(), (int)day.size(), day.data(),
                         (int)time.size(), time.data(), (int)name.size(), name.data());
  return ConvertedLine(state, written);
}
