// Items decoded in place: strings terminated inside their own bytes, numbers
// turned to host order where they lie, and nothing read past the datagram.
#include <gtest/gtest.h>

#include <cstring>

#include "rpc/rpc_reply.h"
#include "rpc/rpc_request.h"
#include "rpc/xdr_decode.h"
#include "support/bounded_datagram.h"
#include "support/call_builder.h"

namespace {

struct Datagram {
  explicit Datagram(const CallBuilder& call)
      : buffer(MakeReceiveBuffer(call.bytes().data(), call.size(), 0x7f000001, 1000)),
        cursor{buffer->data, buffer->data + call.size()} {}
  ~Datagram() { FreeReceiveBuffer(buffer); }
  size_t Consumed() const { return (size_t)(cursor.position - buffer->data); }
  ReceiveBuffer* buffer;
  XdrCursor cursor;
};

TEST(XdrDecode, TerminatesStringsInPlaceWithOrWithoutAPadByte) {
  struct Case {
    const char* text;
    size_t offset;  // where the text starts in the datagram after decoding
    size_t consumed;
  } cases[] = {
      {"abc", 4, 8},   // zero in the single pad byte
      {"abcd", 0, 8},  // no pad byte: moved back over the length word
      {"", 0, 4},     {"abcde", 4, 12}, {"abcdefgh", 0, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // The string is the datagram's last item, so the move back has no slack to hide in.
    Datagram d(CallBuilder().String(c.text, 'x'));
    char* text = (char*)DecodeItem(&d.cursor, ITEM_STRING);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text, (char*)d.buffer->data + c.offset);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(d.Consumed(), c.consumed);
  }
}

TEST(XdrDecode, ConvertsNumbersToHostOrderWhereTheyLie) {
  Datagram d(CallBuilder()
                 .Word(7)
                 .Words({1, 2, 3, 4, 5, 6, 7, 8})
                 .Words({100003, 2, 17, 2049})
                 .Word(5)
                 .Raw(std::string_view("hello\0\0\0", 8))
                 .Raw("ckie"));
  uint32_t* number = (uint32_t*)DecodeItem(&d.cursor, ITEM_UNSIGNED);
  uint32_t* sattr = (uint32_t*)DecodeItem(&d.cursor, ITEM_SET_ATTRIBUTES);
  Mapping* mapping = (Mapping*)DecodeItem(&d.cursor, ITEM_MAPPING);
  uint32_t* opaque = (uint32_t*)DecodeItem(&d.cursor, ITEM_OPAQUE);
  uint8_t* cookie = (uint8_t*)DecodeItem(&d.cursor, ITEM_COOKIE);
  uint8_t* rest = (uint8_t*)DecodeItem(&d.cursor, ITEM_REST);
  ASSERT_TRUE(number && sattr && mapping && opaque && cookie && rest);
  EXPECT_EQ(*number, 7u);
  for (uint32_t i = 0; i < 8; i++)
    EXPECT_EQ(sattr[i], i + 1);
  EXPECT_EQ(mapping->program, 100003u);
  EXPECT_EQ(mapping->port, 2049u);
  EXPECT_EQ(*opaque, 5u);
  EXPECT_EQ(memcmp(opaque + 1, "hello", 5), 0);
  EXPECT_EQ(memcmp(cookie, "ckie", 4), 0);
  EXPECT_EQ(rest, d.buffer->data + d.Consumed());
  EXPECT_EQ(d.Consumed(), d.cursor.end - d.buffer->data);
}

TEST(XdrDecode, RefusesItemsThatRunPastTheDatagramAndLeavesTheCursor) {
  struct Case {
    const char* name;
    int kind;
    CallBuilder bytes;
  } cases[] = {
      {"unsigned of 3 bytes", ITEM_UNSIGNED, CallBuilder().Raw("abc")},
      {"string body cut", ITEM_STRING, CallBuilder().Word(6).Raw("abcd")},
      {"string pad missing", ITEM_STRING, CallBuilder().Word(3).Raw("abc")},
      {"string length 2^32-1", ITEM_STRING, CallBuilder().Word(0xFFFFFFFF).Raw("abcdefgh")},
      // Padded in 32 bits this length wraps to 0 and would look empty.
      {"string length 2^32-3", ITEM_STRING, CallBuilder().Word(0xFFFFFFFD).Raw("abcd")},
      {"opaque longer than datagram", ITEM_OPAQUE, CallBuilder().Word(9216).Raw("data")},
      {"opaque length 2^32-4", ITEM_OPAQUE, CallBuilder().Word(0xFFFFFFFC).Raw("data")},
      {"opaque length 2^32-1", ITEM_OPAQUE, CallBuilder().Word(0xFFFFFFFF)},
      {"file handle of 28 bytes", ITEM_FILE_HANDLE, CallBuilder().Words({1, 2, 3, 4, 5, 6, 7})},
      {"sattr of 7 words", ITEM_SET_ATTRIBUTES, CallBuilder().Words({1, 2, 3, 4, 5, 6, 7})},
      {"mapping of 3 words", ITEM_MAPPING, CallBuilder().Words({1, 2, 3})},
      {"cookie of 2 bytes", ITEM_COOKIE, CallBuilder().Raw("ab")},
      {"unknown kind", 9, CallBuilder().Words({1, 2, 3, 4, 5, 6, 7, 8})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Datagram d(c.bytes);
    EXPECT_EQ(DecodeItem(&d.cursor, c.kind), nullptr);
    EXPECT_EQ(d.Consumed(), 0u);
  }
}

TEST(XdrDecode, ArgumentsKeepTheirTablePlacesAcrossEmptyKinds) {
  Datagram d(CallBuilder().Word(9).String("name"));
  RpcRequest request{};
  request.tag = kRpcRequestTag;
  const ItemKind kinds[kRequestArguments] = {ITEM_UNSIGNED, ITEM_NONE, ITEM_STRING};
  ASSERT_TRUE(DecodeArguments(&request, &d.cursor, kinds));
  EXPECT_EQ(*(uint32_t*)request.arguments[0], 9u);
  EXPECT_EQ(request.arguments[1], nullptr);
  EXPECT_STREQ((char*)request.arguments[2], "name");
}

TEST(XdrEncode, WritesStringsWithLengthAndZeroPadding) {
  struct Case {
    const char* text;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"", {0, 0, 0, 0}},
      {"abc", {0, 0, 0, 3, 'a', 'b', 'c', 0}},
      {"abcd", {0, 0, 0, 4, 'a', 'b', 'c', 'd'}},
      {"abcde", {0, 0, 0, 5, 'a', 'b', 'c', 'd', 'e', 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<uint8_t> area(16, 0xEE);
    uint8_t* end = EncodeString(area.data(), c.text);
    ASSERT_EQ((size_t)(end - area.data()), c.expected.size());
    EXPECT_EQ(std::vector<uint8_t>(area.data(), end), c.expected);
    EXPECT_EQ(area[c.expected.size()], 0xEE);
  }
}

}  // namespace
