// The record-marking reader as a stream really delivers bytes: in any cut, with
// empty fragments, records back to back, and records that outgrow the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "rpc/record_marking.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Fragment(Bytes payload, bool last) {
  uint32_t mark = (last ? kLastFragment : 0) | (uint32_t)payload.size();
  Bytes out{(uint8_t)(mark >> 24), (uint8_t)(mark >> 16), (uint8_t)(mark >> 8), (uint8_t)mark};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Outcome {
  std::vector<Bytes> records;
  bool tooLarge = false;
  size_t consumed = 0;  // bytes taken from the stream
};

// Feeds the stream as reads of at most `chunk` bytes would, into a buffer of
// `capacity` bytes, until the stream ends or a record is refused.
Outcome Read(const Bytes& stream, int chunk, int capacity) {
  Outcome out;
  RecordReader reader{};
  Bytes buffer((size_t)capacity + 1, 0xEE);  // one guard byte behind the capacity
  while (out.consumed < stream.size()) {
    uint8_t* into;
    int count;
    NextRecordSpan(&reader, buffer.data(), &into, &count);
    int got = std::min({count, chunk, (int)(stream.size() - out.consumed)});
    memcpy(into, stream.data() + out.consumed, (size_t)got);
    out.consumed += (size_t)got;
    RecordState state = RecordBytesReceived(&reader, got, capacity);
    EXPECT_EQ(buffer[(size_t)capacity], 0xEE) << "written past the capacity";
    if (state == RECORD_TOO_LARGE) {
      out.tooLarge = true;
      break;
    }
    if (state == RECORD_COMPLETE) {
      out.records.emplace_back(buffer.begin(), buffer.begin() + reader.length);
      reader = RecordReader{};
    }
  }
  return out;
}

TEST(RecordMarking, GathersRecordsHoweverTheStreamIsCut) {
  const int kCapacity = 16;
  Bytes sixteen(16, 7);
  struct Case {
    const char* what;
    Bytes stream;
    std::vector<Bytes> records;
    bool tooLarge;
  } cases[] = {
      {"one fragment", Fragment({1, 2, 3}, true), {{1, 2, 3}}, false},
      {"an empty record", Fragment({}, true), {{}}, false},
      {"fragments with an empty one between",
       Join({Fragment({1}, false), Fragment({}, false), Fragment({2, 3}, true)}),
       {{1, 2, 3}},
       false},
      {"two records back to back",
       Join({Fragment({1}, true), Fragment({2, 2}, true)}),
       {{1}, {2, 2}},
       false},
      {"exactly the capacity, in two fragments",
       Join({Fragment(Bytes(10, 7), false), Fragment(Bytes(6, 7), true)}),
       {sixteen},
       false},
      {"a header announcing one byte too many", Fragment(Bytes(17, 0), true), {}, true},
      {"fragments that together outgrow the buffer",
       Join({Fragment(Bytes(10, 0), false), Fragment(Bytes(7, 0), true)}),
       {},
       true},
      {"the largest length a header can hold", {0xFF, 0xFF, 0xFF, 0xFF}, {}, true},
      {"a record, then an oversized one",
       Join({Fragment({5}, true), Fragment(Bytes(20, 0), true)}),
       {{5}},
       true},
      {"half a header", {0x80, 0}, {}, false},
      {"a fragment cut short", {0x80, 0, 0, 4, 1, 2}, {}, false},
  };
  for (const Case& c : cases) {
    for (int chunk : {1, 3, 1000}) {
      SCOPED_TRACE(std::string(c.what) + ", reads of " + std::to_string(chunk));
      Outcome out = Read(c.stream, chunk, kCapacity);
      EXPECT_EQ(out.records, c.records);
      EXPECT_EQ(out.tooLarge, c.tooLarge);
    }
  }
}

TEST(RecordMarking, NeverTakesBytesOfTheNextRecord) {
  Bytes first = Fragment({1, 2, 3}, true);
  Bytes stream = Join({first, Fragment({9}, true)});
  RecordReader reader{};
  Bytes buffer(16, 0);
  size_t at = 0;
  for (;;) {
    uint8_t* into;
    int count;
    NextRecordSpan(&reader, buffer.data(), &into, &count);
    memcpy(into, stream.data() + at, (size_t)count);  // a read that takes all it may
    at += (size_t)count;
    if (RecordBytesReceived(&reader, count, 16) == RECORD_COMPLETE) break;
  }
  EXPECT_EQ(at, first.size());
  EXPECT_EQ(reader.length, 3u);
}

TEST(RecordMarking, WritesTheMarkOfASingleLastFragment) {
  uint8_t mark[kRecordMarkSize];
  WriteRecordMark(mark, 9240);
  EXPECT_EQ(Bytes(mark, mark + 4), (Bytes{0x80, 0x00, 0x24, 0x18}));
}

}  // namespace
