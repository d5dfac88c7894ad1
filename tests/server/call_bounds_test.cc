// Malformed calls: arguments outside the datagram are GARBAGE_ARGS, credentials
// that contradict themselves are AUTH_BADCRED, and datagrams too short for a
// header or credential are dropped with a report. Nothing is ever queued.
#include "support/engine_fixture.h"

namespace {

enum Outcome { GARBAGE, BADCRED, DROPPED };

struct Case {
  const char* name;
  ServiceId service;
  CallBuilder call;
  Outcome outcome;
};

class CallBounds : public EngineTest {};

CallBuilder Nfs(uint32_t procedure) {
  return CallBuilder::Call(5, kNfsProgram, 2, procedure).Unix();
}
CallBuilder MountNull() {
  return CallBuilder::Call(5, kMountProgram, 1, 0);
}
const std::initializer_list<uint32_t> kHandle = {1, 2, 3, 4, 5, 6, 7, 8};

TEST_F(CallBounds, AnswersOrDropsEveryCallThatLeavesItsBytes) {
  Case cases[] = {
      {"LOOKUP name runs past the end", SERVICE_NFS, Nfs(4).Words(kHandle).Word(12).Raw("abcd"),
       GARBAGE},
      {"LOOKUP name of length 2^32-1", SERVICE_NFS, Nfs(4).Words(kHandle).Word(0xFFFFFFFF),
       GARBAGE},
      {"WRITE data longer than the datagram", SERVICE_NFS,
       Nfs(8).Words(kHandle).Words({0, 0, 0, 8000}).Raw("data"), GARBAGE},
      {"WRITE data of length 2^32-4", SERVICE_NFS,
       Nfs(8).Words(kHandle).Words({0, 0, 0, 0xFFFFFFFC}).Raw("data"), GARBAGE},
      {"GETATTR handle cut short", SERVICE_NFS, Nfs(1).Words({1, 2, 3, 4, 5}), GARBAGE},
      {"READ count missing", SERVICE_NFS, Nfs(6).Words(kHandle).Words({0, 1024}), GARBAGE},
      {"GETPORT mapping of three words", SERVICE_PORTMAP,
       CallBuilder::Call(5, kPortMapProgram, 2, 3).Null().Words({kNfsProgram, 2, 17}), GARBAGE},
      {"PCNFSD v2 PR_START last string missing", SERVICE_PCNFSD,
       CallBuilder::Call(5, kPcnfsProgram, 2, 3)
           .Unix()
           .String("a")
           .String("b")
           .String("c")
           .String("d")
           .String("e")
           .Word(1),
       GARBAGE},
      {"unknown flavour", SERVICE_MOUNT, MountNull().Words({3, 4, 0}).VerifierNull(), BADCRED},
      {"flavour 2 with a 12-byte body", SERVICE_MOUNT,
       MountNull().Words({2, 12, 1, 2, 3}).VerifierNull(), BADCRED},
      {"AUTH_UNIX shorter than declared", SERVICE_MOUNT,
       MountNull().Words({1, 28, 0}).String("m").Words({0, 0, 0}).Word(0).VerifierNull(), BADCRED},
      {"AUTH_UNIX longer than declared", SERVICE_MOUNT,
       MountNull().Words({1, 16, 0}).String("m").Words({0, 0, 0}).VerifierNull(), BADCRED},
      {"AUTH_UNIX gid count past its body", SERVICE_MOUNT,
       MountNull().Words({1, 24, 0}).String("m").Words({0, 0, 0x40000000}).VerifierNull(), BADCRED},
      {"AUTH_UNIX machine name of 256 bytes", SERVICE_MOUNT,
       MountNull()
           .Words({1, 4 + 260 + 12, 0})
           .String(std::string(256, 'm'))
           .Words({0, 0, 0})
           .VerifierNull(),
       BADCRED},
      {"AUTH_UNIX machine name past its body", SERVICE_MOUNT,
       MountNull()
           .Words({1, 12, 0})
           .Word(20)
           .Raw("abcdefghijklmnopqrst")
           .Words({0, 0, 0})
           .VerifierNull(),
       BADCRED},
      {"empty datagram", SERVICE_NFS, CallBuilder(), DROPPED},
      {"only an xid", SERVICE_NFS, CallBuilder().Word(5), DROPPED},
      {"header cut after the program", SERVICE_NFS, CallBuilder().Words({5, 0, 2, kNfsProgram}),
       DROPPED},
      {"a reply, not a call", SERVICE_NFS, CallBuilder().Words({5, 1, 0, 0, 0, 0}), DROPPED},
      {"credential length missing", SERVICE_MOUNT, MountNull().Word(0), DROPPED},
      {"credential body past the end", SERVICE_MOUNT, MountNull().Words({0, 400}), DROPPED},
      {"credential of length 2^32-4", SERVICE_MOUNT, MountNull().Words({1, 0xFFFFFFFC}), DROPPED},
      {"verifier missing", SERVICE_MOUNT, MountNull().AuthNull(), DROPPED},
      {"verifier body past the end", SERVICE_MOUNT, MountNull().AuthNull().Words({0, 8, 1}),
       DROPPED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTransport();
    Log().clear();
    // A fresh limiter per case: these are single reports, not a flood.
    ServiceEndpoints[c.service]->logLimiter = LogLimiter{};
    Deliver(c.service, c.call);
    EXPECT_EQ(Queued(c.service), 0);
    EXPECT_TRUE(Transport().announcements.empty());
    switch (c.outcome) {
      case GARBAGE:
        EXPECT_EQ(LastReply(), (std::vector<uint32_t>{5, 1, 0, 0, 0, 4}));
        EXPECT_TRUE(Log().empty());
        break;
      case BADCRED:
        EXPECT_EQ(LastReply(), (std::vector<uint32_t>{5, 1, 1, 1, 1}));
        EXPECT_TRUE(Log().empty());
        break;
      case DROPPED:
        EXPECT_TRUE(Transport().replies.empty());
        ASSERT_EQ(Log().size(), 1u);
        EXPECT_NE(Log()[0].find("192.168.1.7:871"), std::string::npos) << Log()[0];
        break;
    }
  }
}

TEST_F(CallBounds, AcceptsAMachineNameOf255Bytes) {
  Deliver(SERVICE_MOUNT, CallBuilder::Call(5, kMountProgram, 1, 4)
                             .AuthUnix(1, 1, {}, std::string(255, 'm'))
                             .VerifierNull());
  RpcRequest* request = NextRequest(SERVICE_MOUNT);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(std::string(request->credential.machineName), std::string(255, 'm'));
  ReleaseRequest(request);
}

}  // namespace
