// An INI file as its lines, for reading and for edits that keep every other
// byte: comments, unknown and malformed lines, order, blank lines and each
// line's own line end. Sections and keys match without regard to ASCII case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plat::profile {

struct IniLine {
  enum Kind { kOther, kSection, kKey };
  std::string text;  // without its line end
  std::string eol;   // "\r\n", "\n", or "" for a last line without one
  Kind kind = kOther;
  std::string name;       // section name or key, trimmed
  std::string value;      // key lines: trimmed, matching quotes removed
  size_t valueStart = 0;  // key lines: where the value begins in text
};

class IniFile {
 public:
  static IniFile Parse(std::string_view bytes);
  std::string Serialize() const;

  // The first key of that name in the first section of that name that has it.
  bool Lookup(std::string_view section, std::string_view key, std::string* value) const;
  // Names in file order, each once.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Each returns whether the file changed.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

  const std::vector<IniLine>& Lines() const { return lines_; }

 private:
  std::string DefaultEol() const;
  std::vector<IniLine> lines_;
};

bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace plat::profile
