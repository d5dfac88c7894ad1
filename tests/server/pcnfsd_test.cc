// PCNFSD inside the engine: the unscrambling rule, arguments that can't be
// decoded, and the lock-out's minute, with a clock the test controls.
#include <cstring>

#include "config/user_table.h"
#include "pcnfsd/login_lockout.h"
#include "support/engine_fixture.h"

namespace {

class PcnfsdEngine : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ClearLoginFailures();
    UserEntry* user = NewUser();
    ASSERT_NE(user, nullptr);
    strcpy(user->username, "guest");
    strcpy(user->password, "Secret");
    user->uid = 500;
    user->gid = 100;
  }
  void TearDown() override {
    FreeUserList();
    EngineTest::TearDown();
  }

  // A v1 AUTH whose name and password are given as the bytes on the wire.
  std::vector<uint32_t> AuthV1(const std::string& name, const std::string& password) {
    ResetTransport();
    Deliver(SERVICE_PCNFSD,
            CallBuilder::Call(7, kPcnfsProgram, 1, 1).Null().String(name).String(password));
    ServeAll(SERVICE_PCNFSD);
    return LastReply();
  }
};

std::string Scramble(const std::string& text, uint8_t highBit = 0) {
  std::string out = text;
  for (char& c : out)
    c = (char)((c ^ 0x5B) | highBit);
  return out;
}

TEST_F(PcnfsdEngine, UnscramblesEveryByteAndNeverStopsAtAHiddenTerminator) {
  const std::vector<uint32_t> ok = {7, 1, 0, 0, 0, 0, 0, 500, 100};
  const std::vector<uint32_t> fail = {7, 1, 0, 0, 0, 0, 2, 0, 0};
  EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("Secret")), ok);
  // The high bit is dropped before the XOR.
  EXPECT_EQ(AuthV1(Scramble("guest", 0x80), Scramble("Secret", 0x80)), ok);
  // 0x5B unscrambles to NUL: "guest" then more must not pass for "guest".
  EXPECT_EQ(AuthV1(Scramble("guest") + "\x5B" + Scramble("x"), Scramble("Secret")), fail);
  EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("Secret") + "\xDB"), fail);
  // A raw zero byte is an ordinary character ('[') once unscrambled.
  EXPECT_EQ(AuthV1(Scramble("guest") + std::string(1, '\0'), Scramble("Secret")), fail);
}

TEST_F(PcnfsdEngine, ArgumentsThatCantBeDecodedGetTheEnginesAnswers) {
  struct Case {
    const char* name;
    CallBuilder call;
    std::vector<uint32_t> reply;
  } cases[] = {
      {"v1 AUTH without a password",
       CallBuilder::Call(3, kPcnfsProgram, 1, 1).Null().String(Scramble("guest")),
       {3, 1, 0, 0, 0, 4}},
      {"v1 AUTH whose name runs past the datagram",
       CallBuilder::Call(3, kPcnfsProgram, 1, 1).Null().Words({9000}).Raw("guest"),
       {3, 1, 0, 0, 0, 4}},
      {"v2 AUTH cut after the client name",
       CallBuilder::Call(3, kPcnfsProgram, 2, 13).Null().String("pc"),
       {3, 1, 0, 0, 0, 4}},
      {"v2 PR_START without its copies",
       CallBuilder::Call(3, kPcnfsProgram, 2, 3)
           .Unix()
           .String("pc")
           .String("lp")
           .String("u")
           .String("f")
           .String("o"),
       {3, 1, 0, 0, 0, 4}},
      {"v2 INFO with credential flavour 7",
       CallBuilder::Call(3, kPcnfsProgram, 2, 1).Words({7, 0}).VerifierNull(),
       {3, 1, 1, 1, 1}},
      {"v1 PR_INIT with AUTH_NULL",
       CallBuilder::Call(3, kPcnfsProgram, 1, 2).Null(),
       {3, 1, 1, 1, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTransport();
    Deliver(SERVICE_PCNFSD, c.call);
    ServeAll(SERVICE_PCNFSD);
    EXPECT_EQ(LastReply(), c.reply);
  }
}

TEST(LoginLockout, TenFailuresLockAnAddressUntilItsMinuteEnds) {
  ClearLoginFailures();
  const uint32_t a = 0x0A000001, b = 0x0A000002;
  const DWORD t0 = 0xFFFFF000;  // the minute spans the tick counter's wrap
  for (int i = 0; i < 9; i++)
    EXPECT_FALSE(CountLoginFailure(a, t0 + i * 1000));
  EXPECT_FALSE(LoginLockedOut(a, t0 + 9000));
  EXPECT_TRUE(CountLoginFailure(a, t0 + 10000));
  EXPECT_TRUE(LoginLockedOut(a, t0 + 10000));
  EXPECT_TRUE(LoginLockedOut(a, t0 + 59999));
  EXPECT_FALSE(LoginLockedOut(b, t0 + 10000));
  EXPECT_FALSE(LoginLockedOut(a, t0 + 60000));
  // The next minute counts from nothing.
  for (int i = 0; i < 9; i++)
    EXPECT_FALSE(CountLoginFailure(a, t0 + 60000 + i));
  EXPECT_FALSE(LoginLockedOut(a, t0 + 60010));
}

TEST(LoginLockout, AFullTableMakesRoomWithTheOldestMinute) {
  ClearLoginFailures();
  for (uint32_t address = 1; address <= kLockoutEntries; address++)
    for (int i = 0; i < kLockoutFailures; i++)
      CountLoginFailure(address, address * 10);
  EXPECT_TRUE(LoginLockedOut(1, 1000));
  CountLoginFailure(999, 1000);  // takes address 1's entry
  EXPECT_FALSE(LoginLockedOut(1, 1000));
  EXPECT_TRUE(LoginLockedOut(2, 1000));
  EXPECT_TRUE(LoginLockedOut(kLockoutEntries, 1000));
}

}  // namespace
