// libFuzzer target: the record-marking reader against a plain reference parse.
// Input: a byte saying how reads are cut, two giving the buffer's capacity, then
// the stream. Both must find the same records and refuse the same oversized one;
// the buffer is exactly the capacity, so ASan sees any write past it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rpc/record_marking.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Outcome {
  std::vector<Bytes> records;
  bool tooLarge = false;
  bool operator==(const Outcome&) const = default;
};

Outcome Reference(const uint8_t* data, size_t size, uint32_t capacity) {
  Outcome out;
  Bytes current;
  size_t at = 0;
  while (size - at >= 4) {
    uint32_t mark = (uint32_t)data[at] << 24 | (uint32_t)data[at + 1] << 16 |
                    (uint32_t)data[at + 2] << 8 | data[at + 3];
    at += 4;
    uint32_t length = mark & ~kLastFragment;
    if (length > capacity - current.size()) {
      out.tooLarge = true;
      return out;
    }
    if (size - at < length) return out;  // the stream ends inside the fragment
    current.insert(current.end(), data + at, data + at + length);
    at += length;
    if (mark & kLastFragment) {
      out.records.push_back(current);
      current.clear();
    }
  }
  return out;
}

Outcome ThroughReader(const uint8_t* data, size_t size, uint32_t capacity, uint8_t cut) {
  Outcome out;
  // Exactly `capacity` bytes on the heap, so a write past them is an ASan report.
  uint8_t* buffer = (uint8_t*)malloc(capacity ? capacity : 1);
  RecordReader reader{};
  uint32_t seed = cut;
  size_t at = 0;
  while (at < size) {
    uint8_t* into;
    int count;
    NextRecordSpan(&reader, buffer, &into, &count);
    if (count <= 0) abort();  // a read of nothing would never make progress
    seed = seed * 1103515245u + 12345u;
    size_t chunk = cut & 1 ? size : 1 + (seed >> 16) % 7;  // whole reads or short ones
    size_t got = std::min({(size_t)count, chunk, size - at});
    memcpy(into, data + at, got);
    at += got;
    RecordState state = RecordBytesReceived(&reader, (int)got, (int)capacity);
    if (reader.length > capacity) abort();
    if (state == RECORD_TOO_LARGE) {
      out.tooLarge = true;
      break;
    }
    if (state == RECORD_COMPLETE) {
      out.records.emplace_back(buffer, buffer + reader.length);
      reader = RecordReader{};
    }
  }
  free(buffer);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  uint32_t capacity = ((uint32_t)data[1] << 8 | data[2]) % (9216 + 1);
  if (!(ThroughReader(data + 3, size - 3, capacity, data[0]) ==
        Reference(data + 3, size - 3, capacity)))
    abort();
  return 0;
}
