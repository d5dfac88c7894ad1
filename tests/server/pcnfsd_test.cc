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
  std::vector<uint32_t> AuthV1(const std::string& name, const std::string& password,
                               uint32_t sender = kClientAddress) {
    ResetTransport();
    std::vector<uint8_t> call =
        CallBuilder::Call(7, kPcnfsProgram, 1, 1).Null().String(name).String(password).bytes();
    DecodeServiceCall(SERVICE_PCNFSD, ServiceEndpoints[SERVICE_PCNFSD],
                      MakeReceiveBuffer(call.data(), call.size(), sender, kClientPort));
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
    EXPECT_EQ(CountLoginFailure(a, t0 + i * 1000), LOCKOUT_NONE);
  EXPECT_FALSE(LoginLockedOut(a, t0 + 9000));
  EXPECT_EQ(CountLoginFailure(a, t0 + 10000), LOCKOUT_OF_ADDRESS);
  EXPECT_TRUE(LoginLockedOut(a, t0 + 10000));
  EXPECT_TRUE(LoginLockedOut(a, t0 + 59999));
  EXPECT_FALSE(LoginLockedOut(b, t0 + 10000));
  EXPECT_FALSE(LoginLockedOut(a, t0 + 60000));
  // The next minute counts from nothing.
  for (int i = 0; i < 9; i++)
    EXPECT_EQ(CountLoginFailure(a, t0 + 60000 + i), LOCKOUT_NONE);
  EXPECT_FALSE(LoginLockedOut(a, t0 + 60010));
}

// Failures sent from other (forged) source addresses must not push a locked
// address out of the table: its next guesses would be checked again.
TEST_F(PcnfsdEngine, FailuresFromOtherAddressesNeverLiftALockOut) {
  const std::vector<uint32_t> fail = {7, 1, 0, 0, 0, 0, 2, 0, 0};
  for (int i = 0; i < kLockoutFailures; i++)
    AuthV1(Scramble("guest"), Scramble("guess" + std::to_string(i)));
  EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("Secret")), fail);
  for (uint32_t forged = 1; forged <= kLockoutEntries; forged++)
    EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("x"), 0x0A000000 + forged), fail);
  EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("Secret")), fail);
  // An address the full table can't count is refused unchecked too, or a
  // flood would open unlimited guessing to every other address.
  EXPECT_EQ(AuthV1(Scramble("guest"), Scramble("Secret"), 0x0B000001), fail);
  EXPECT_EQ(Log().size(), 2u);
}

TEST(LoginLockout, AFullTableRefusesNewAddressesUntilAMinuteEnds) {
  ClearLoginFailures();
  for (uint32_t address = 1; address <= kLockoutEntries; address++)
    EXPECT_EQ(CountLoginFailure(address, address * 10),
              address == kLockoutEntries ? LOCKOUT_OF_ALL_OTHERS : LOCKOUT_NONE);
  const uint32_t stranger = kLockoutEntries + 1, another = kLockoutEntries + 2;
  const DWORD full = kLockoutEntries * 10 + 100;
  EXPECT_FALSE(LoginLockedOut(1, full));
  EXPECT_TRUE(LoginLockedOut(stranger, full));
  EXPECT_EQ(CountLoginFailure(stranger, full), LOCKOUT_NONE);
  // Address 1's minute ends first and makes room, which the stranger fills.
  EXPECT_FALSE(LoginLockedOut(stranger, 60010));
  EXPECT_EQ(CountLoginFailure(stranger, 60010), LOCKOUT_OF_ALL_OTHERS);
  EXPECT_TRUE(LoginLockedOut(another, 60010));
  EXPECT_FALSE(LoginLockedOut(2, 60010));
}

}  // namespace
