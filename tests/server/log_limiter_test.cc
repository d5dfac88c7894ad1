// Floods of bad datagrams give a few lines per second per service, and the
// number left out reaches the log with the next line.
#include "platform/winbase.h"
#include "support/engine_fixture.h"

namespace {

TEST(LogLimiter, AdmitsABurstPerWindowAndCarriesTheCountLeftOut) {
  struct Step {
    DWORD now;
    BOOL admitted;
    uint32_t leftOut;  // when admitted
  } steps[] = {
      {0xFFFFFF00, TRUE, 0},  {0xFFFFFF01, TRUE, 0},  {0xFFFFFF80, TRUE, 0}, {0xFFFFFFC0, TRUE, 0},
      {0xFFFFFFFF, TRUE, 0},  {0x00000001, FALSE, 0},  // the tick wrapped, same window
      {0x000002E7, FALSE, 0},                          // 999 ms on
      {0x000002E8, TRUE, 2},                           // 1000 ms on: a new window
      {0x000002E9, TRUE, 0},
  };
  LogLimiter limiter{};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.now);
    uint32_t leftOut = 0xFFFF;
    EXPECT_EQ(LogLimiterAdmit(&limiter, step.now, &leftOut), step.admitted);
    if (step.admitted) EXPECT_EQ(leftOut, step.leftOut);
  }
}

class LogFlood : public EngineTest {};

TEST_F(LogFlood, LimitsDropReportsPerServiceAndReportsTheRestLater) {
  const std::vector<uint8_t> notACall = {0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 0; i < 50; i++)
    Deliver(SERVICE_NFS, notACall);
  EXPECT_EQ(Log().size(), kLogBurst);
  Deliver(SERVICE_MOUNT, notACall);  // another service has its own budget
  EXPECT_EQ(Log().size(), kLogBurst + 1);

  Sleep(kLogWindowMs + 50);
  Log().clear();
  Deliver(SERVICE_NFS, notACall);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_NE(Log()[0].find("not a call"), std::string::npos) << Log()[0];
  EXPECT_NE(Log()[0].find("(45 similar reports left out)"), std::string::npos) << Log()[0];
}

}  // namespace
