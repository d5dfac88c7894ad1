// The VMS listing filter. A name too long for its column stands alone on its
// line and the details follow on the next, so the filter carries the name
// across one line; its date rule measures from the listing's own start.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "listing/listing_fields.h"
#include "listing/listing_filters.h"

namespace {

const char* const kVmsMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Day and year beyond this are nonsense, and keep the month arithmetic small.
constexpr uint64_t kDateNumberLimit = 999999999;

struct VmsDate {
  int day;
  int month;  // 1 to 12
  int year;
};

// day-MON-year; whatever follows the year is ignored.
bool ReadVmsDate(std::string_view field, VmsDate* date) {
  uint64_t day = 0, year = 0;
  size_t at = ReadDecimal(field, kDateNumberLimit, &day);
  if (at == 0 || at >= field.size() || field[at] != '-') return false;
  size_t letters = ++at;
  while (at < field.size() && at - letters < 3 &&
         ((field[at] >= 'A' && field[at] <= 'Z') || (field[at] >= 'a' && field[at] <= 'z')))
    at++;
  std::string_view month = field.substr(letters, at - letters);
  if (at >= field.size() || field[at] != '-') return false;
  if (ReadDecimal(field.substr(at + 1), kDateNumberLimit, &year) == 0) return false;
  for (int i = 0; i < 12; i++) {
    if (month == kVmsMonths[i]) {
      *date = VmsDate{(int)day, i + 1, (int)year};
      return true;
    }
  }
  return false;
}

bool IsVmsTime(std::string_view field) {
  auto digit = [&](size_t i) { return field[i] >= '0' && field[i] <= '9'; };
  return field.size() >= 5 && digit(0) && digit(1) && field[2] == ':' && digit(3) && digit(4);
}

bool IsVmsSize(std::string_view field) {
  if (field.empty() || field[0] < '0' || field[0] > '9') return false;
  int slashes = 0;
  for (char c : field) {
    if (c == '/') {
      slashes++;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return slashes <= 1;
}

bool IsVmsProtection(std::string_view field) {
  size_t comma = field.find(',');
  return field.size() > 0 && field[0] == '(' && comma != std::string_view::npos &&
         comma + 1 < field.size();
}

// (system,owner,group,world) into the nine rwx places after the type letter;
// the system part is skipped and D (delete) has no place.
bool VmsPermissions(std::string_view protection, char* rwx) {
  size_t at = protection.find(',');
  if (at == std::string_view::npos) return false;
  at++;
  for (int part = 0; part < 3; part++) {
    char* out = rwx + part * 3;
    const char* letters = "RWE";
    const char* marks = "rwx";
    for (int i = 0; i < 3; i++) {
      bool match = at < protection.size() && protection[at] == letters[i];
      out[i] = match ? marks[i] : '-';
      if (match) at++;
    }
    size_t end = protection.find(part < 2 ? ',' : ')', at);
    if (end == std::string_view::npos) return false;
    at = end + 1;
  }
  return true;
}

// Blocks used (before any "/") times 512.
bool VmsSizeInBytes(std::string_view field, uint64_t* bytes) {
  uint64_t blocks = 0;
  if (ReadDecimal(field, UINT64_MAX / 512, &blocks) == 0) return false;
  *bytes = blocks * 512;
  return true;
}

}  // namespace

void VmsListingStart(ListingState* state, const struct tm* now) {
  state->continuation = false;
  state->heldName[0] = '\0';
  state->startYear = now->tm_year + 1900;
  state->startMonth = now->tm_mon + 1;
}

const char* VmsListingFilter(ListingState* state, const char* line) {
  bool continued = state->continuation;
  ListingFields fields;
  ReadListingFields(line, continued ? 6 : 7, &fields);
  state->continuation = false;

  std::string_view name;
  int first = 0;
  if (continued) {
    name = state->heldName;
    // The name was too long to hold, so its details cannot be matched to it.
    if (name.empty()) return nullptr;
  } else {
    if (fields.count == 0) return nullptr;
    name = fields.field[0];
    first = 1;
    if (fields.count == 1) {
      bool fits = name.size() <= kFieldLimit;
      memcpy(state->heldName, name.data(), fits ? name.size() : 0);
      state->heldName[fits ? name.size() : 0] = '\0';
      state->continuation = true;
      return nullptr;
    }
  }
  int details = fields.count - first;
  if (details < 3) return nullptr;
  if (name.size() > kFieldLimit || !FieldsFit(fields, first, details, kFieldLimit)) return nullptr;

  std::string_view date, time, size, protection;
  VmsDate when = {};
  for (int i = first; i < fields.count; i++) {
    std::string_view field = fields.field[i];
    if (date.empty() && ReadVmsDate(field, &when)) {
      date = field;
    } else if (time.empty() && IsVmsTime(field)) {
      time = field;
    } else if (size.empty() && IsVmsSize(field)) {
      size = field;
    } else if (protection.empty() && IsVmsProtection(field)) {
      protection = field;
    }
  }
  if (protection.empty() || size.empty() || date.empty()) return nullptr;

  char permissions[11];
  permissions[0] = name.find(".DIR") != std::string_view::npos ? 'd' : '-';
  permissions[10] = '\0';
  if (!VmsPermissions(protection, permissions + 1)) return nullptr;
  uint64_t bytes = 0;
  if (!VmsSizeInBytes(size, &bytes)) return nullptr;

  // Older than nine months shows the year, as ls does for old files.
  char dateText[40];
  const char* month = kMonthNames[when.month - 1];
  int64_t age = ((int64_t)state->startYear - when.year) * 12 + (state->startMonth - when.month);
  if (!time.empty() && age <= 9) {
    snprintf(dateText, sizeof dateText, "%s %2d %.5s", month, when.day, time.data());
  } else {
    snprintf(dateText, sizeof dateText, "%s %2d  %d", month, when.day, when.year);
  }
  int written =
      snprintf(state->line, sizeof state->line, "%s   1 owner group %11llu %s %.*s\r\n",
               permissions, (unsigned long long)bytes, dateText, (int)name.size(), name.data());
  return ConvertedLine(state, written);
}
