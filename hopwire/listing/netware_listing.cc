// The NetWare listing filter. Rows begin with a type letter and a rights list
// in brackets, or with ten characters of permissions; times are on a twelve-
// hour clock with an am/pm word, and the name is the rest of the line.
#include <cstdio>
#include <string_view>

#include "listing/listing_fields.h"
#include "listing/listing_filters.h"

namespace {

struct NetWareRow {
  int fields;  // words before the name
  int size, month, day, time, amPm;
};

// By the length of the first word: a type letter, or permissions.
constexpr NetWareRow kTypeLetterRow = {9, 3, 4, 5, 7, 8};
constexpr NetWareRow kPermissionsRow = {10, 4, 5, 6, 8, 9};

// The rest of the line after the fields, without leading blanks, up to its line end.
std::string_view NameAfter(const char* rest) {
  while (*rest == ' ' || *rest == '\t')
    rest++;
  std::string_view name(rest);
  return name.substr(0, name.find_first_of("\r\n"));
}

// hours:minutes moved to the afternoon ("12:30" becomes "24:30").
bool AfternoonTime(std::string_view time, char* text, size_t size) {
  uint64_t hours = 0, minutes = 0;
  size_t at = ReadDecimal(time, 99999, &hours);
  if (at == 0 || at >= time.size() || time[at] != ':') return false;
  if (ReadDecimal(time.substr(at + 1), 99999, &minutes) == 0) return false;
  snprintf(text, size, "%2d:%02d", (int)hours + 12, (int)minutes);
  return true;
}

}  // namespace

const char* NetWareListingFilter(ListingState* state, const char* line) {
  ListingFields fields;
  ReadListingFields(line, 1, &fields);
  if (fields.count == 0) return nullptr;
  const NetWareRow* row = nullptr;
  if (fields.field[0].size() == 1) row = &kTypeLetterRow;
  if (fields.field[0].size() == 10) row = &kPermissionsRow;
  if (row == nullptr) return nullptr;

  ReadListingFields(line, row->fields, &fields);
  if (fields.count != row->fields || !FieldsFit(fields, 0, row->fields, kFieldLimit))
    return nullptr;
  std::string_view name = NameAfter(fields.rest);
  if (name.empty() || name.size() > kFieldLimit) return nullptr;
  const std::string_view* f = fields.field;

  char permissions[11] = "----------";
  if (row == &kTypeLetterRow) {
    std::string_view rights = f[1];
    permissions[0] = f[0][0];
    if (rights.size() > 1 && rights[1] == 'R') permissions[1] = 'r';
    if (rights.size() > 2 && rights[2] == 'W') permissions[2] = 'w';
  } else {
    f[0].copy(permissions, 10);
  }

  char afternoon[16];
  std::string_view time = f[row->time];
  if (f[row->amPm] == "pm") {
    if (!AfternoonTime(time, afternoon, sizeof afternoon)) return nullptr;
    time = afternoon;
  } else if (f[row->amPm] != "am") {
    return nullptr;
  }
  return FormatDatedRow(state, permissions, f[row->size], f[row->month], f[row->day], time, name);
}
