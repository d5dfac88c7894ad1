// Reading the fields of a listing line and the numbers inside them, and
// building the converted rows. Fields are views into the caller's line; no
// field is longer than the filter's storage allows, or the line is left alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/listing_state.h"

inline constexpr int kMaxListingFields = 12;
inline constexpr size_t kFieldLimit = kListingFieldSize - 1;

struct ListingFields {
  std::string_view field[kMaxListingFields];
  int count;
  const char* rest;  // the line after the last field read
};

// Space, tab, CR, LF, vertical tab and form feed separate fields.
bool IsListingBlank(char c);

// Reads up to max (at most kMaxListingFields) fields from the start of line;
// fields beyond max stay unread in rest.
void ReadListingFields(const char* line, int max, ListingFields* fields);

// True when fields first to first + count - 1 are each at most limit long.
bool FieldsFit(const ListingFields& fields, int first, int count, size_t limit);

// Reads the decimal digits at the start of text (at least one) as a number no
// greater than limit. Returns the count of digits read, 0 when there is no
// such number.
size_t ReadDecimal(std::string_view text, uint64_t limit, uint64_t* value);

// True when text is non-empty and all decimal digits.
bool IsDecimal(std::string_view text);

// state->line when written (a snprintf result into it) fits, else nullptr.
const char* ConvertedLine(ListingState* state, int written);

// The row form of servers that list month, day and time apart:
// permissions, size right-aligned in 11, month, day right-aligned in 2, time, name.
const char* FormatDatedRow(ListingState* state, std::string_view permissions, std::string_view size,
                           std::string_view month, std::string_view day, std::string_view time,
                           std::string_view name);
