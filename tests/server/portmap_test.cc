// The registration table through its entry points and through remote calls.
#include <cstring>

#include "support/engine_fixture.h"

namespace {

constexpr uint32_t kLoopback = 0x7F000001;

class PortMap : public EngineTest {
 protected:
  // Sends one call to the port mapper and returns the result word. Callers
  // that may change registrations are local on a privileged port.
  static uint32_t Remote(uint32_t procedure, Mapping m, uint32_t address = kLoopback,
                         uint16_t port = 871) {
    ResetTransport();
    std::vector<uint8_t> call = CallBuilder::Call(42, kPortMapProgram, 2, procedure)
                                    .Null()
                                    .Words({m.program, m.version, m.protocol, m.port})
                                    .bytes();
    ReceiveBuffer* buffer = MakeReceiveBuffer(call.data(), call.size(), address, port);
    EXPECT_NE(buffer, nullptr);
    if (buffer) DecodeServiceCall(SERVICE_PORTMAP, ServiceEndpoints[SERVICE_PORTMAP], buffer);
    ServeAll(SERVICE_PORTMAP);
    std::vector<uint32_t> reply = LastReply();
    EXPECT_EQ(reply.size(), 7u);
    return reply.size() == 7 ? reply[6] : 0xDEAD;
  }
  static std::string Name(int slot) {
    return std::string(PortMapSlot(slot)->name, strnlen(PortMapSlot(slot)->name, kPortMapNameSize));
  }
};

const Mapping kNfs = {100003, 2, 17, 2049};
const Mapping kMount = {100005, 1, 17, 1058};
const Mapping kPcnfs1 = {150001, 1, 17, 1525};
const Mapping kPcnfs2 = {150001, 2, 17, 1525};

TEST_F(PortMap, RegistersTheServicesInSlotOrderAndAnswersGetPort) {
  ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kNfs, "NFS File Service"));
  ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kMount, "NFS Mount Service"));
  ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kPcnfs1, "PCNFS Daemon"));
  ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kPcnfs2, "PCNFS Daemon"));
  EXPECT_EQ(PortMapSlot(1)->port, 1058u);
  EXPECT_EQ(Name(3), "PCNFS Daemon");
  EXPECT_EQ(PortMapSlot(4)->program, 0u);
  EXPECT_EQ(Remote(3, {100005, 1, 17, 0}), 1058u);
  EXPECT_EQ(Remote(3, {100003, 2, 6, 0}), 0u);  // the protocol must match
  EXPECT_FALSE(RegisterCallback(7, &kNfs, "x"));
}

TEST_F(PortMap, GetPortFallsBackToAnotherVersionOfTheProgramRemotelyOnly) {
  ASSERT_TRUE(SetMapping(&kMount, ""));
  Mapping v3 = {100005, 3, 17, 0};
  EXPECT_EQ(GetPort(&v3), 0u);
  EXPECT_EQ(Remote(3, v3), 1058u);
  EXPECT_EQ(Remote(3, {100005, 3, 6, 0}), 0u);
  // The duplicate test stays exact, so a second version still registers.
  Mapping v3Port = {100005, 3, 17, 2000};
  EXPECT_TRUE(SetMapping(&v3Port, ""));
  EXPECT_EQ(Remote(3, v3), 2000u);
}

TEST_F(PortMap, RefusesDuplicatesAndAFullTable) {
  EXPECT_EQ(Remote(1, kNfs), 1u);
  EXPECT_EQ(Remote(1, {100003, 2, 17, 999}), 0u);  // same program, version, protocol
  for (uint32_t i = 1; i < kPortMapSlots; i++)
    EXPECT_EQ(Remote(1, {200000 + i, 1, 17, i}), 1u);
  EXPECT_EQ(Remote(1, {300000, 1, 17, 5}), 0u);
  EXPECT_FALSE(SetMapping(&kMount, "NFS Mount Service"));
  for (int i = 0; i < kPortMapSlots; i++)
    EXPECT_NE(PortMapSlot(i)->program, 300000u);
}

TEST_F(PortMap, UnsetNeedsTheExactRegistrationAndFreesItsSlot) {
  ASSERT_TRUE(SetMapping(&kNfs, "NFS File Service"));
  ASSERT_TRUE(SetMapping(&kMount, "NFS Mount Service"));
  EXPECT_EQ(Remote(2, {100003, 2, 17, 2050}), 0u);
  EXPECT_EQ(Remote(2, kNfs), 1u);
  EXPECT_EQ(PortMapSlot(0)->program, 0u);
  EXPECT_EQ(Remote(2, kNfs), 0u);
  EXPECT_TRUE(RegisterCallback(REGISTER_UNSET, &kMount, nullptr));
  EXPECT_FALSE(RegisterCallback(REGISTER_UNSET, &kMount, nullptr));
}

TEST_F(PortMap, ReusedSlotTakesTheNewNameAndProgramZeroLeavesItFree) {
  ASSERT_TRUE(SetMapping(&kNfs, "NFS File Service"));
  ASSERT_TRUE(UnsetMapping(&kNfs));
  EXPECT_EQ(Name(0), "NFS File Service");  // kept until the slot is reused
  EXPECT_EQ(Remote(1, {0, 5, 17, 99}), 1u);
  EXPECT_EQ(PortMapSlot(0)->program, 0u);
  EXPECT_EQ(Remote(1, {400000, 1, 6, 7000}), 1u);
  EXPECT_EQ(PortMapSlot(0)->program, 400000u);
  EXPECT_EQ(Name(0), "");
  Mapping remote = {400000, 1, 6, 7000};
  ASSERT_TRUE(UnsetMapping(&remote));
  const char* longName = "A name that is longer than thirty-two bytes";
  ASSERT_TRUE(SetMapping(&kMount, longName));
  EXPECT_EQ(memcmp(PortMapSlot(0)->name, longName, kPortMapNameSize), 0);
}

TEST_F(PortMap, OnlyAPrivilegedPortOnLoopbackSetsOrUnsets) {
  ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kNfs, "NFS File Service"));
  const Mapping intruder = {100003, 2, 17, 4444};
  struct Case {
    const char* who;
    uint32_t address;
    uint16_t port;
    bool allowed;
  } cases[] = {
      {"loopback, privileged port", kLoopback, 871, true},
      {"another loopback address", 0x7F010203, 1023, true},
      {"loopback, port 1024", kLoopback, 1024, false},
      {"loopback, ephemeral port", kLoopback, 40000, false},
      {"another host, privileged port", kClientAddress, 871, false},
      {"another host, ephemeral port", kClientAddress, 50123, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.who);
    // Taking the server's registration away and putting a foreign port in its
    // place: both or neither.
    EXPECT_EQ(Remote(2, kNfs, c.address, c.port), c.allowed ? 1u : 0u);
    EXPECT_EQ(Remote(1, intruder, c.address, c.port), c.allowed ? 1u : 0u);
    EXPECT_EQ(Remote(3, kNfs, c.address, c.port), c.allowed ? 4444u : 2049u);  // anyone may ask
    EXPECT_EQ(std::string(PortMapSlot(0)->name), c.allowed ? "" : "NFS File Service");
    ClearPortMapTable();
    ASSERT_TRUE(RegisterCallback(REGISTER_SET, &kNfs, "NFS File Service"));
  }
}

TEST_F(PortMap, DumpListsTheUsedSlotsInSlotOrder) {
  ResetTransport();
  Deliver(SERVICE_PORTMAP, CallBuilder::Call(8, kPortMapProgram, 2, 4).Null());
  ServeAll(SERVICE_PORTMAP);
  EXPECT_EQ(LastReply(), (std::vector<uint32_t>{8, 1, 0, 0, 0, 0, 0}));

  ASSERT_TRUE(SetMapping(&kNfs, ""));
  ASSERT_TRUE(SetMapping(&kMount, ""));
  ASSERT_TRUE(SetMapping(&kPcnfs1, ""));
  ASSERT_TRUE(UnsetMapping(&kMount));
  ResetTransport();
  Deliver(SERVICE_PORTMAP, CallBuilder::Call(9, kPortMapProgram, 2, 4).Null());
  ServeAll(SERVICE_PORTMAP);
  ASSERT_EQ(Transport().replies.size(), 1u);
  EXPECT_EQ(Transport().replies[0].bytes.size(), 24u + 2 * 20 + 4);
  EXPECT_EQ(LastReply(), (std::vector<uint32_t>{9, 1, 0, 0, 0, 0,        //
                                                1, 100003, 2, 17, 2049,  //
                                                1, 150001, 1, 17, 1525, 0}));
}

}  // namespace
