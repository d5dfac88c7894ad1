// The MacOS listing filter: rows of permissions, two counts (or the word
// "folder" and one count), a size, three date words and a name. The row it
// builds has two blanks between owner and group and no line end.
#include <cstdio>
#include <string_view>

#include "listing/listing_fields.h"
#include "listing/listing_filters.h"

namespace {

constexpr size_t kPermissionsLimit = 10;
constexpr size_t kMacFieldLimit = 31;
constexpr size_t kMacNameLimit = 63;

}  // namespace

const char* MacOsListingFilter(ListingState* state, const char* line) {
  // One field more than a row has, to see names with blanks.
  ListingFields fields;
  ReadListingFields(line, 9, &fields);
  if (fields.count == 0) return nullptr;
  std::string_view permissions = fields.field[0];
  if (std::string_view("drwx-").find(permissions[0]) == std::string_view::npos) return nullptr;
  // A name with blanks would be cut to its first word, naming another file;
  // such rows are left whole.
  if (fields.count != 7 && fields.count != 8) return nullptr;
  int sizeField = fields.count == 8 ? 3 : 2;
  int nameField = fields.count - 1;
  if (permissions.size() > kPermissionsLimit ||
      !FieldsFit(fields, 1, nameField - 1, kMacFieldLimit) ||
      fields.field[nameField].size() > kMacNameLimit)
    return nullptr;
  // A word where the size belongs means the fields are not where this form
  // puts them (a folder name with a blank is one).
  if (!IsDecimal(fields.field[sizeField])) return nullptr;

  const std::string_view* f = fields.field;
  const std::string_view& size = f[sizeField];
  int written =
      snprintf(state->line, sizeof state->line, "%.*s   1 owner  group %11.*s %.*s %.*s %.*s %.*s",
               (int)permissions.size(), permissions.data(), (int)size.size(), size.data(),
               (int)f[sizeField + 1].size(), f[sizeField + 1].data(), (int)f[sizeField + 2].size(),
               f[sizeField + 2].data(), (int)f[sizeField + 3].size(), f[sizeField + 3].data(),
               (int)f[nameField].size(), f[nameField].data());
  return ConvertedLine(state, written);
}
