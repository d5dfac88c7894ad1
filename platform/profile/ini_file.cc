// Parsing and editing of INI lines. A line belongs to the section of the last
// header above it; lines before the first header belong to none. Edits touch
// only the lines they concern, so Serialize(Parse(x)) == x for every x.
#include "profile/ini_file.h"

namespace plat::profile {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view s) {
  size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(kBlanks);
  return s.substr(b, e - b + 1);
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

void Classify(IniLine* line) {
  std::string_view t = Trim(line->text);
  line->kind = IniLine::kOther;
  if (t.empty() || t[0] == ';' || t[0] == '#') return;
  if (t[0] == '[') {
    size_t close = t.find(']');
    if (close == std::string_view::npos) return;
    line->kind = IniLine::kSection;
    line->name = Trim(t.substr(1, close - 1));
    return;
  }
  size_t eq = line->text.find('=');
  if (eq == std::string::npos) return;
  std::string_view key = Trim(std::string_view(line->text).substr(0, eq));
  if (key.empty()) return;
  line->kind = IniLine::kKey;
  line->name = key;
  size_t start = line->text.find_first_not_of(" \t", eq + 1);
  line->valueStart = start == std::string::npos ? line->text.size() : start;
  line->value = Unquote(Trim(std::string_view(line->text).substr(eq + 1)));
}

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = (char)(x + 32);
    if (y >= 'A' && y <= 'Z') y = (char)(y + 32);
    if (x != y) return false;
  }
  return true;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile file;
  size_t i = 0;
  while (i < bytes.size()) {
    IniLine line;
    size_t nl = bytes.find('\n', i);
    size_t end = nl == std::string_view::npos ? bytes.size() : nl;
    size_t textEnd = end;
    if (nl != std::string_view::npos) {
      if (end > i && bytes[end - 1] == '\r') --textEnd;
      line.eol = std::string(bytes.substr(textEnd, nl + 1 - textEnd));
    }
    line.text = std::string(bytes.substr(i, textEnd - i));
    Classify(&line);
    file.lines_.push_back(std::move(line));
    i = nl == std::string_view::npos ? bytes.size() : nl + 1;
  }
  return file;
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const IniLine& line : lines_)
    out += line.text + line.eol;
  return out;
}

bool IniFile::Lookup(std::string_view section, std::string_view key, std::string* value) const {
  bool inSection = false;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::kSection) {
      inSection = EqualNoCase(line.name, section);
    } else if (inSection && line.kind == IniLine::kKey && EqualNoCase(line.name, key)) {
      *value = line.value;
      return true;
    }
  }
  return false;
}

static void AddOnce(std::vector<std::string>* names, const std::string& name) {
  for (const std::string& n : *names) {
    if (EqualNoCase(n, name)) return;
  }
  names->push_back(name);
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::kSection) AddOnce(&names, line.name);
  }
  return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  bool inSection = false;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::kSection) {
      inSection = EqualNoCase(line.name, section);
    } else if (inSection && line.kind == IniLine::kKey) {
      AddOnce(&names, line.name);
    }
  }
  return names;
}

std::string IniFile::DefaultEol() const {
  for (const IniLine& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return "\r\n";
}

bool IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  bool inSection = false;
  long anchor = -1;  // the line after which a new key goes
  for (size_t i = 0; i < lines_.size(); ++i) {
    IniLine& line = lines_[i];
    if (line.kind == IniLine::kSection) {
      inSection = EqualNoCase(line.name, section);
      if (inSection && anchor < 0) anchor = (long)i;
    } else if (inSection && line.kind == IniLine::kKey && EqualNoCase(line.name, key)) {
      if (std::string_view(line.text).substr(line.valueStart) == value) return false;
      line.text.resize(line.valueStart);
      line.text += value;
      Classify(&line);
      return true;
    }
  }
  std::string eol = DefaultEol();
  IniLine entry;
  entry.text = std::string(key) + "=" + std::string(value);
  Classify(&entry);
  if (anchor >= 0) {
    // After the last key line of the first such section, else its header.
    bool stillFirst = true;
    for (size_t i = (size_t)anchor + 1; i < lines_.size() && stillFirst; ++i) {
      if (lines_[i].kind == IniLine::kSection) stillFirst = false;
      if (lines_[i].kind == IniLine::kKey) anchor = (long)i;
    }
    IniLine& before = lines_[(size_t)anchor];
    if (before.eol.empty()) before.eol = eol;
    entry.eol = before.eol;
    lines_.insert(lines_.begin() + anchor + 1, std::move(entry));
    return true;
  }
  if (!lines_.empty()) {
    if (lines_.back().eol.empty()) lines_.back().eol = eol;
    if (!Trim(lines_.back().text).empty()) {
      IniLine blank;
      blank.eol = eol;
      lines_.push_back(std::move(blank));
    }
  }
  IniLine header;
  header.text = "[" + std::string(section) + "]";
  header.eol = eol;
  Classify(&header);
  lines_.push_back(std::move(header));
  entry.eol = eol;
  lines_.push_back(std::move(entry));
  return true;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  bool inSection = false, changed = false;
  for (size_t i = 0; i < lines_.size();) {
    const IniLine& line = lines_[i];
    if (line.kind == IniLine::kSection) inSection = EqualNoCase(line.name, section);
    if (inSection && line.kind == IniLine::kKey && EqualNoCase(line.name, key)) {
      lines_.erase(lines_.begin() + (long)i);
      changed = true;
    } else {
      ++i;
    }
  }
  return changed;
}

bool IniFile::DeleteSection(std::string_view section) {
  bool inSection = false, changed = false;
  for (size_t i = 0; i < lines_.size();) {
    if (lines_[i].kind == IniLine::kSection) inSection = EqualNoCase(lines_[i].name, section);
    if (inSection) {
      lines_.erase(lines_.begin() + (long)i);
      changed = true;
    } else {
      ++i;
    }
  }
  return changed;
}

}  // namespace plat::profile
