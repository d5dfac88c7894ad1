// From the queue to the reply: arrival order, rows without a handler, stopped
// services, and the drop paths when memory, the notice or the send fails.
#include "support/engine_fixture.h"

namespace {

class Dispatch : public EngineTest {};

CallBuilder GetPort(uint32_t xid, uint32_t program, uint32_t version) {
  return CallBuilder::Call(xid, kPortMapProgram, 2, 3).Null().Words({program, version, 17, 0});
}

TEST_F(Dispatch, AnswersInArrivalOrderEachWithItsOwnXid) {
  Mapping nfs = {kNfsProgram, 2, 17, 2049};
  Mapping mount = {kMountProgram, 1, 17, 1058};
  ASSERT_TRUE(SetMapping(&nfs, "NFS File Service"));
  ASSERT_TRUE(SetMapping(&mount, "NFS Mount Service"));
  Deliver(SERVICE_PORTMAP, GetPort(0xA1, kMountProgram, 1));
  Deliver(SERVICE_PORTMAP, GetPort(0xA2, kNfsProgram, 2));
  EXPECT_EQ(Transport().announcements.size(), 2u);
  ServeAll(SERVICE_PORTMAP);
  ASSERT_EQ(Transport().replies.size(), 2u);
  EXPECT_EQ(ReplyWords(Transport().replies[0].bytes),
            (std::vector<uint32_t>{0xA1, 1, 0, 0, 0, 0, 1058}));
  EXPECT_EQ(ReplyWords(Transport().replies[1].bytes),
            (std::vector<uint32_t>{0xA2, 1, 0, 0, 0, 0, 2049}));
}

TEST_F(Dispatch, ReleasesRowsWithoutAHandlerUnansweredAndKeepsNothing) {
  struct Row {
    ServiceId service;
    CallBuilder call;
  } rows[] = {
      {SERVICE_MOUNT, CallBuilder::Call(1, kMountProgram, 1, 2).Null()},
      {SERVICE_PCNFSD, CallBuilder::Call(1, kPcnfsProgram, 2, 5)
                           .Unix()
                           .String("pc")
                           .String("lp")
                           .String("u")
                           .Word(1)
                           .String("")},
      {SERVICE_PCNFSD,
       CallBuilder::Call(1, kPcnfsProgram, 2, 12).Null().String("pc").Words({1, 2})},
      {SERVICE_PCNFSD, CallBuilder::Call(1, kPcnfsProgram, 2, 14)
                           .Unix()
                           .String("pc")
                           .String("lp")
                           .String("u")
                           .String("")},
  };
  for (const Row& row : rows) {
    for (int i = 0; i < 1000; i++) {
      Deliver(row.service, row.call);
      ASSERT_EQ(Queued(row.service), 1);
      ServeAll(row.service);
      ASSERT_EQ(Queued(row.service), 0);
    }
  }
  EXPECT_TRUE(Transport().replies.empty());
  EXPECT_EQ(Transport().announcements.size(), 4000u);
  EXPECT_TRUE(Log().empty());
}

TEST_F(Dispatch, StoppingAServiceReleasesItsQueueAndLateNoticesFindNothing) {
  for (uint32_t xid = 1; xid <= 3; xid++)
    Deliver(SERVICE_NFS,
            CallBuilder::Call(xid, kNfsProgram, 2, 17).Unix().Words({1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(Queued(SERVICE_NFS), 3);
  DestroyEndpointRecord(SERVICE_NFS);
  // The three notices are still in the window's queue; each finds nothing.
  for (int i = 0; i < 3; i++) {
    RpcRequest* request = NextRequest(SERVICE_NFS);
    EXPECT_EQ(request, nullptr);
    HandleTOLMidEvent(request);
  }
  ServiceEndpoint* restarted = CreateEndpointRecord(SERVICE_NFS);
  ASSERT_NE(restarted, nullptr);
  EXPECT_EQ(restarted->queueHead, nullptr);
  EXPECT_EQ(NextRequest(SERVICE_NFS), nullptr);
  EXPECT_TRUE(Transport().replies.empty());
}

TEST_F(Dispatch, RefusesASecondRecordForAnOccupiedSlot) {
  ServiceEndpoint* first = ServiceEndpoints[SERVICE_MOUNT];
  EXPECT_EQ(CreateEndpointRecord(SERVICE_MOUNT), nullptr);
  EXPECT_EQ(ServiceEndpoints[SERVICE_MOUNT], first);
  EXPECT_EQ(first->tag, 0x4D44u);
  EXPECT_EQ(first->socket, INVALID_SOCKET);
}

TEST_F(Dispatch, WritesDebugTracesForFetchAndReply) {
  ServiceEndpoints[SERVICE_PORTMAP]->debug = 1;
  Deliver(SERVICE_PORTMAP, GetPort(77, kNfsProgram, 2));
  ServeAll(SERVICE_PORTMAP);
  EXPECT_EQ(Log(), (std::vector<std::string>{"Get Port Map Event", "replying to xid 77"}));
}

TEST_F(Dispatch, DropsCallsWhenMemoryRunsOutWithoutLeaking) {
  struct Case {
    const char* name;
    int allocationsBeforeFailure;
    CallBuilder call;
  } cases[] = {
      {"no request record", 0, GetPort(1, kNfsProgram, 2)},
      {"no result area", 1, GetPort(1, kNfsProgram, 2)},
      {"no buffer for an error reply", 1, CallBuilder::Call(1, kPortMapProgram, 2, 9).Null()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTransport();
    Log().clear();
    ServiceEndpoints[SERVICE_PORTMAP]->logLimiter = LogLimiter{};
    ReceiveBuffer* buffer =
        MakeReceiveBuffer(c.call.bytes().data(), c.call.size(), kClientAddress, kClientPort);
    RpcFailAllocationAfter(c.allocationsBeforeFailure);
    DecodePortMapCall(ServiceEndpoints[SERVICE_PORTMAP], buffer);
    EXPECT_TRUE(Transport().replies.empty());
    EXPECT_EQ(Queued(SERVICE_PORTMAP), 0);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_NE(Log()[0].find("Out of memory"), std::string::npos);
  }
}

TEST_F(Dispatch, DropsARequestWhoseNoticeCannotBePosted) {
  Transport().failAnnouncements = true;
  Deliver(SERVICE_PORTMAP, GetPort(1, kNfsProgram, 2));
  EXPECT_EQ(Queued(SERVICE_PORTMAP), 0);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_NE(Log()[0].find("Can't post"), std::string::npos);
}

TEST_F(Dispatch, ReportsAFailedSendAndStillReleasesTheRequest) {
  Transport().failSendsWith = 10065;
  Deliver(SERVICE_PORTMAP, GetPort(1, kNfsProgram, 2));
  ServeAll(SERVICE_PORTMAP);
  Deliver(SERVICE_PORTMAP, CallBuilder::Call(2, kPortMapProgram, 2, 0).Null());
  EXPECT_EQ(Log(), (std::vector<std::string>{"sendto error (10065).", "sendto error (10065)."}));
  EXPECT_EQ(Queued(SERVICE_PORTMAP), 0);
}

}  // namespace
