// Builds RPC calls as XDR bytes, word by word, so tests state exactly what
// goes on the wire; and reads replies back as words.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

class CallBuilder {
 public:
  // xid, CALL, RPC version 2, program, version, procedure.
  static CallBuilder Call(uint32_t xid, uint32_t program, uint32_t version, uint32_t procedure) {
    return CallBuilder().Words({xid, 0, 2, program, version, procedure});
  }

  CallBuilder& Word(uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes_.push_back((uint8_t)(value >> shift));
    return *this;
  }
  CallBuilder& Words(std::initializer_list<uint32_t> values) {
    for (uint32_t value : values)
      Word(value);
    return *this;
  }
  CallBuilder& Raw(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  // Length word, bytes, then `pad` (zero unless a test wants to see it change).
  CallBuilder& String(std::string_view text, char pad = '\0') {
    Word((uint32_t)text.size());
    Raw(text);
    while (bytes_.size() % 4)
      bytes_.push_back((uint8_t)pad);
    return *this;
  }
  CallBuilder& AuthNull() { return Words({0, 0}); }
  CallBuilder& AuthUnix(uint32_t uid, uint32_t gid, std::vector<uint32_t> gids = {},
                        std::string_view machine = "client") {
    uint32_t length =
        4 + 4 + (((uint32_t)machine.size() + 3) & ~3u) + 12 + 4 * (uint32_t)gids.size();
    Words({1, length, 0x5eed}).String(machine).Words({uid, gid, (uint32_t)gids.size()});
    for (uint32_t gid2 : gids)
      Word(gid2);
    return *this;
  }
  CallBuilder& VerifierNull() { return Words({0, 0}); }
  // AUTH_UNIX credential and an empty verifier, the usual client's header.
  CallBuilder& Unix(uint32_t uid = 500, uint32_t gid = 100) {
    return AuthUnix(uid, gid).VerifierNull();
  }
  CallBuilder& Null() { return AuthNull().VerifierNull(); }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

inline std::vector<uint32_t> ReplyWords(const std::vector<uint8_t>& bytes) {
  std::vector<uint32_t> words;
  for (size_t i = 0; i + 3 < bytes.size(); i += 4)
    words.push_back((uint32_t)bytes[i] << 24 | (uint32_t)bytes[i + 1] << 16 |
                    (uint32_t)bytes[i + 2] << 8 | bytes[i + 3]);
  return words;
}
