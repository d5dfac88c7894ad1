// The watchdog and the keep-alive, counted in ticks: hopwire_probe shortens the
// watchdog's period and prints the session's counters after every tick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/hopwire/slave_controller.h"

namespace {

using hopwiretest::Count;
using hopwiretest::Events;
using hopwiretest::SlaveController;

struct Tick {
  int missing, idle, keep;
};

class Watchdog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(controller_.joined());
    ASSERT_TRUE(controller_.Start(PROBE));
    ASSERT_EQ(controller_.Command("probe ticks 100").size(), 4u);
  }

  // The next tick the slave prints; false at its end.
  bool NextTick(Tick* tick) {
    for (;;) {
      std::string line = controller_.child().Line(10000);
      if (line == "<eof>" || line == "<timeout>") return false;
      if (sscanf(line.c_str(), "tick missing=%d idle=%d keep=%d", &tick->missing, &tick->idle,
                 &tick->keep) == 3)
        return true;
    }
  }

  // The missing-controller counts of the ticks until the slave ends, zeros left out.
  std::vector<int> MissingCountsUntilTheEnd() {
    std::vector<int> counts;
    Tick tick;
    while (NextTick(&tick)) {
      if (tick.missing) counts.push_back(tick.missing);
    }
    return counts;
  }

  SlaveController controller_;
};

TEST_F(Watchdog, EndsTheSlaveOnTheFourthTickWithoutAController) {
  controller_.CloseWindow();
  EXPECT_EQ(MissingCountsUntilTheEnd(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(controller_.child().Wait(), 0);
}

TEST_F(Watchdog, EndsTheSlaveOnTheFirstTickWithoutAControllerAfterRequest502) {
  EXPECT_EQ(controller_.Run(502), (Events{"547", "548"}));
  Tick tick;
  ASSERT_TRUE(NextTick(&tick));
  EXPECT_EQ(tick.missing, 0);  // the controller is still there: the slave stays
  controller_.CloseWindow();
  EXPECT_EQ(MissingCountsUntilTheEnd(), (std::vector<int>{1}));
  EXPECT_EQ(controller_.child().Wait(), 0);
}

TEST_F(Watchdog, EndsASlaveWaitingInsideANetworkCall) {
  size_t mark = controller_.Mark();
  controller_.Send(503, "probe block");
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "blocking\n"); }));
  controller_.CloseWindow();
  EXPECT_EQ(MissingCountsUntilTheEnd(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(controller_.child().Wait(), 0);
}

TEST_F(Watchdog, CountsIdleSecondsOnlyWhileTheKeepAliveIsOn) {
  controller_.Command("keepalive");
  Tick tick;
  while (NextTick(&tick) && !tick.keep) {
  }  // ticks from before the request
  std::vector<int> idle;
  while (idle.size() < 4 && NextTick(&tick)) {
    EXPECT_EQ(tick.keep, 1);
    idle.push_back(tick.idle);
  }
  ASSERT_EQ(idle.size(), 4u);
  for (size_t i = 1; i < idle.size(); ++i)
    EXPECT_EQ(idle[i], (idle[i - 1] + 3) % 90);

  controller_.Command("keep");
  while (NextTick(&tick) && tick.keep) {
  }
  EXPECT_EQ(tick.idle, 0);
  for (int i = 0; i < 3 && NextTick(&tick); ++i) {
    EXPECT_EQ(tick.keep, 0);
    EXPECT_EQ(tick.idle, 0);
  }
}

}  // namespace
