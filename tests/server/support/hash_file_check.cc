// See hash_file_check.h. Written from the file's description, apart from the
// table's own code, so that both would have to be wrong the same way.
#include "support/hash_file_check.h"

#include <cstdlib>
#include <set>
#include <utility>

namespace {

bool Hex(const std::string& bytes, size_t at, int digits, uint32_t* value) {
  if (at + digits > bytes.size()) return false;
  uint32_t v = 0;
  for (int i = 0; i < digits; i++) {
    char c = bytes[at + i];
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    v = v * 16 + (uint32_t)d;
  }
  *value = v;
  return true;
}

int Bucket(const std::string& path) {
  uint32_t sum = 0;
  for (size_t i = 0; i < path.size(); i++) {
    int c = (signed char)path[i] - 32;
    sum += (uint32_t)(i % 2 ? 32 * c : c);
  }
  return (int)(sum % 20);
}

struct Walk {
  const std::string& bytes;
  std::set<uint32_t> seen;
  std::set<std::pair<uint32_t, uint32_t>> ranges;

  // Parses the record at offset; empty string on success, else what is wrong.
  std::string Record(uint32_t offset, uint32_t* next, uint32_t* length, uint32_t* serial,
                     std::string* path) {
    char where[32];
    snprintf(where, sizeof where, "record at %u: ", offset);
    if (offset < 394 || offset + 24 > bytes.size()) return std::string(where) + "outside the file";
    if (!seen.insert(offset).second) return std::string(where) + "reached twice";
    if (!Hex(bytes, offset, 8, next) || bytes[offset + 8] != ' ' ||
        !Hex(bytes, offset + 9, 4, length) || bytes[offset + 13] != ' ' ||
        !Hex(bytes, offset + 14, 4, serial) || bytes.compare(offset + 18, 2, "  ") != 0) {
      return std::string(where) + "bad fields";
    }
    if (*length % 8 || *length < 24 || offset + *length > bytes.size() ||
        bytes.compare(offset + *length - 2, 2, "\r\n") != 0) {
      return std::string(where) + "bad length";
    }
    for (auto [start, end] : ranges) {
      if (offset < end && start < offset + *length) return std::string(where) + "overlaps";
    }
    ranges.insert({offset, offset + *length});
    *path = bytes.substr(offset + 20, *length - 22);
    while (!path->empty() && path->back() == ' ')
      path->pop_back();
    return "";
  }
};

}  // namespace

::testing::AssertionResult CheckHashFile(const std::string& bytes, CheckedFile* file) {
  uint32_t version;
  if (bytes.size() < 394 || bytes.compare(0, 8, "*HASH*  ") != 0 ||
      !Hex(bytes, 8, 8, &file->stamp) || !Hex(bytes, 18, 8, &file->freeHead) ||
      !Hex(bytes, 28, 4, &version) || version != 2 || bytes.compare(72, 2, "\r\n") != 0) {
    return ::testing::AssertionFailure() << "bad header";
  }
  file->padding = bytes.substr(32, 40);
  Walk walk{bytes, {}, {}};
  for (int b = 0; b < 20; b++) {
    uint32_t serial;
    size_t at = 74 + 16 * b;
    if (!Hex(bytes, at, 8, &file->first[b]) || !Hex(bytes, at + 10, 4, &serial) ||
        bytes.compare(at + 8, 2, "  ") != 0 || bytes.compare(at + 14, 2, "\r\n") != 0) {
      return ::testing::AssertionFailure() << "bad bucket line " << b;
    }
    file->nextSerial[b] = (uint16_t)serial;
    for (uint32_t offset = file->first[b]; offset != 0;) {
      uint32_t next, length, recordSerial;
      std::string path;
      std::string problem = walk.Record(offset, &next, &length, &recordSerial, &path);
      if (!problem.empty())
        return ::testing::AssertionFailure() << "bucket " << b << ": " << problem;
      if (path.empty() || Bucket(path) != b) {
        return ::testing::AssertionFailure() << "bucket " << b << " holds '" << path << "'";
      }
      file->liveByPath.emplace(path, offset);
      file->serialAt[offset] = (uint16_t)recordSerial;
      offset = next;
    }
  }
  for (uint32_t offset = file->freeHead; offset != 0;) {
    uint32_t next, length, serial;
    std::string path;
    std::string problem = walk.Record(offset, &next, &length, &serial, &path);
    if (!problem.empty()) return ::testing::AssertionFailure() << "free chain: " << problem;
    if (serial != 0 || !path.empty()) {
      return ::testing::AssertionFailure() << "free record at " << offset << " is in use";
    }
    file->freeLength[offset] = length;
    offset = next;
  }
  return ::testing::AssertionSuccess();
}
