// What the decoders answer at once, byte for byte, and what they queue.
#include <algorithm>

#include "support/engine_fixture.h"

namespace {

using Words = std::vector<uint32_t>;

struct Case {
  const char* name;
  ServiceId service;
  CallBuilder call;
  Words reply;  // empty: queued for the program, no reply yet
};

class CallAnswers : public EngineTest {};

TEST_F(CallAnswers, AnswersHeaderAndCredentialProblemsAtOnce) {
  const uint32_t x = 0x01020304;
  Case cases[] = {
      {"RPC version 3",
       SERVICE_NFS,
       CallBuilder().Words({x, 0, 3, kNfsProgram, 2, 0}).Null(),
       {x, 1, 1, 0, 2, 2}},
      {"mount program at the NFS service",
       SERVICE_NFS,
       CallBuilder::Call(x, kMountProgram, 1, 0).Null(),
       {x, 1, 0, 0, 0, 1}},
      {"PCNFSD version 3",
       SERVICE_PCNFSD,
       CallBuilder::Call(x, kPcnfsProgram, 3, 1).Null(),
       {x, 1, 0, 0, 0, 2, 1, 2}},
      {"NFS version 3",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 3, 0).Null(),
       {x, 1, 0, 0, 0, 2, 2, 2}},
      {"NFS NULL without credential",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 0).Null(),
       {x, 1, 0, 0, 0, 0}},
      {"NFS GETATTR with AUTH_NULL",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 1).Null().Words({1, 2, 3, 4, 5, 6, 7, 8}),
       {x, 1, 1, 1, 5}},
      {"NFS SYMLINK with AUTH_UNIX",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 13).Unix(),
       {x, 1, 0, 0, 0, 3}},
      {"NFS SYMLINK with AUTH_NULL",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 13).Null(),
       {x, 1, 1, 1, 5}},
      {"NFS procedure 99 with AUTH_NULL",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 99).Null(),
       {x, 1, 1, 1, 5}},
      {"mount procedure 6 with AUTH_NULL",
       SERVICE_MOUNT,
       CallBuilder::Call(x, kMountProgram, 1, 6).Null(),
       {x, 1, 0, 0, 0, 3}},
      {"mount MNT with AUTH_NULL",
       SERVICE_MOUNT,
       CallBuilder::Call(x, kMountProgram, 1, 1).Null().String("/c"),
       {x, 1, 1, 1, 5}},
      {"PCNFSD v1 PR_INIT with AUTH_NULL",
       SERVICE_PCNFSD,
       CallBuilder::Call(x, kPcnfsProgram, 1, 2).Null().String("pc").String("lp"),
       {x, 1, 1, 1, 5}},
      {"PCNFSD v1 procedure 4",
       SERVICE_PCNFSD,
       CallBuilder::Call(x, kPcnfsProgram, 1, 4).Unix(),
       {x, 1, 0, 0, 0, 3}},
      {"PCNFSD v2 procedure 15",
       SERVICE_PCNFSD,
       CallBuilder::Call(x, kPcnfsProgram, 2, 15).Unix(),
       {x, 1, 0, 0, 0, 3}},
      {"port mapper CALLIT",
       SERVICE_PORTMAP,
       CallBuilder::Call(x, kPortMapProgram, 2, 5).Null(),
       {x, 1, 0, 0, 0, 3}},
      {"flavour 2 credential, NULL",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 0).Words({2, 8, 500, 100}).VerifierNull(),
       {x, 1, 0, 0, 0, 0}},
      {"flavour 3 credential",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 0).Words({3, 0}).VerifierNull(),
       {x, 1, 1, 1, 1}},
      {"mount EXPORT without credential",
       SERVICE_MOUNT,
       CallBuilder::Call(x, kMountProgram, 1, 5).Null(),
       {}},
      {"PCNFSD v2 AUTH without credential",
       SERVICE_PCNFSD,
       CallBuilder::Call(x, kPcnfsProgram, 2, 13)
           .Null()
           .String("pc")
           .String("u")
           .String("p")
           .String(""),
       {}},
      {"NFS GETATTR with AUTH_UNIX",
       SERVICE_NFS,
       CallBuilder::Call(x, kNfsProgram, 2, 1).Unix().Words({1, 2, 3, 4, 5, 6, 7, 8}),
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTransport();
    Deliver(c.service, c.call);
    if (c.reply.empty()) {
      EXPECT_TRUE(Transport().replies.empty());
      EXPECT_EQ(Queued(c.service), 1);
      ASSERT_EQ(Transport().announcements.size(), 1u);
      EXPECT_EQ(Transport().announcements[0], ServiceEndpoints[c.service]);
      ReleaseRequest(NextRequest(c.service));
      continue;
    }
    ASSERT_EQ(Transport().replies.size(), 1u);
    const SentReply& sent = Transport().replies[0];
    EXPECT_EQ(sent.bytes.size(), 4 * c.reply.size());
    EXPECT_EQ(ReplyWords(sent.bytes), c.reply);
    EXPECT_EQ(sent.endpoint, ServiceEndpoints[c.service]);
    EXPECT_EQ(ntohl(sent.to.sin_addr.s_addr), kClientAddress);
    EXPECT_EQ(ntohs(sent.to.sin_port), kClientPort);
    EXPECT_TRUE(Transport().announcements.empty());
    EXPECT_EQ(Queued(c.service), 0);
  }
  EXPECT_TRUE(Log().empty());
}

TEST_F(CallAnswers, KeepsTheFirstEightOfTenSecondaryGidsAndFindsTheArguments) {
  Deliver(SERVICE_MOUNT, CallBuilder::Call(9, kMountProgram, 1, 1)
                             .AuthUnix(501, 20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "pc-lab")
                             .VerifierNull()
                             .String("/c/data"));
  RpcRequest* request = NextRequest(SERVICE_MOUNT);
  ASSERT_NE(request, nullptr);
  const AuthUnix& credential = request->credential;
  EXPECT_EQ(credential.flavour, 1u);
  EXPECT_EQ(credential.uid, 501u);
  EXPECT_EQ(credential.gid, 20u);
  for (uint32_t i = 0; i < 8; i++)
    EXPECT_EQ(credential.gids[i], i + 1);
  EXPECT_STREQ(credential.machineName, "pc-lab");
  EXPECT_STREQ((char*)request->arguments[0], "/c/data");
  EXPECT_EQ(request->xid, 9u);
  EXPECT_EQ(request->version, 1u);
  EXPECT_EQ(request->procedure, 1u);
  ReleaseRequest(request);
}

TEST_F(CallAnswers, SkipsAVerifierBodyByItsLength) {
  // A 13-byte verifier body padded to 16: the argument follows the padding.
  Deliver(SERVICE_PORTMAP, CallBuilder::Call(3, kPortMapProgram, 2, 3)
                               .AuthNull()
                               .Words({1, 13})
                               .Raw(std::string_view("0123456789abc\0\0\0", 16))
                               .Words({kNfsProgram, 2, 17, 0}));
  RpcRequest* request = NextRequest(SERVICE_PORTMAP);
  ASSERT_NE(request, nullptr);
  const Mapping* mapping = (const Mapping*)request->arguments[0];
  EXPECT_EQ(mapping->program, kNfsProgram);
  EXPECT_EQ(mapping->version, 2u);
  EXPECT_EQ(mapping->protocol, 17u);
  ReleaseRequest(request);
}

TEST_F(CallAnswers, GivesQueuedRequestsAZeroFilledResultAreaOfTheRowsSize) {
  struct Row {
    ServiceId service;
    CallBuilder call;
    int area;
  } rows[] = {
      {SERVICE_NFS, CallBuilder::Call(1, kNfsProgram, 2, 1).Unix().Words({1, 2, 3, 4, 5, 6, 7, 8}),
       72},
      {SERVICE_NFS,
       CallBuilder::Call(1, kNfsProgram, 2, 6).Unix().Words({1, 2, 3, 4, 5, 6, 7, 8, 0, 1024, 0}),
       9216},
      {SERVICE_MOUNT, CallBuilder::Call(1, kMountProgram, 1, 4).Unix(), 0},
      {SERVICE_PCNFSD,
       CallBuilder::Call(1, kPcnfsProgram, 2, 2).Unix().String("a").String("b").String("c"), 524},
  };
  for (const Row& row : rows) {
    Deliver(row.service, row.call);
    RpcRequest* request = NextRequest(row.service);
    ASSERT_NE(request, nullptr);
    ASSERT_NE(request->replyCB, nullptr);
    EXPECT_EQ(request->replyCB->capacity, kReplyHeaderSize + row.area);
    EXPECT_EQ(request->resultArea, request->replyCB->reply + kReplyHeaderSize);
    EXPECT_TRUE(std::all_of(request->resultArea, request->resultArea + row.area,
                            [](uint8_t b) { return b == 0; }));
    ReleaseRequest(request);
  }
}

}  // namespace
