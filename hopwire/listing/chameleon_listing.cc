// The Chameleon listing filter: rows of exactly seven words (name, size,
// month, day, year, time, attributes), directories with the size "<DIR>".
#include <string_view>

#include "listing/listing_fields.h"
#include "listing/listing_filters.h"

const char* ChameleonListingFilter(ListingState* state, const char* line) {
  ListingFields fields;
  ReadListingFields(line, 8, &fields);
  if (fields.count != 7 || !FieldsFit(fields, 0, 7, kFieldLimit)) return nullptr;
  const std::string_view* f = fields.field;

  char permissions[kListingFieldSize + 6];
  size_t length = f[6].size();
  f[6].copy(permissions, length);
  std::string_view("------").copy(permissions + length, 6);
  std::string_view size = f[1] == "<DIR>" ? std::string_view("512") : f[1];
  // The year is dropped: the row form has room for a time or a year, not both.
  return FormatDatedRow(state, std::string_view(permissions, length + 6), size, f[2], f[3], f[5],
                        f[0]);
}
