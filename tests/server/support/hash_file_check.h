// An independent reader of nfsfile.hsh for tests: walks every bucket chain and
// the free chain from the raw bytes and reports damage, loops, records that
// overlap, sit on two chains or hash to another bucket.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

struct CheckedFile {
  uint32_t stamp = 0;
  uint32_t freeHead = 0;
  std::string padding;
  uint32_t first[20] = {};
  uint16_t nextSerial[20] = {};
  std::map<std::string, uint32_t> liveByPath;  // path -> offset
  std::map<uint32_t, uint16_t> serialAt;       // offset -> serial, live records
  std::map<uint32_t, uint32_t> freeLength;     // offset -> length, free records
};

::testing::AssertionResult CheckHashFile(const std::string& bytes, CheckedFile* file);
