// The slave's requests and reports through the real channel: this process plays the
// controller, the slave runs as its own process (hopwire, or hopwire_probe where a
// test needs to reach inside the process).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/hopwire/slave_controller.h"

namespace {

using hopwiretest::Count;
using hopwiretest::Events;
using hopwiretest::SlaveController;

const Events kNoticesOnly = {"547", "548"};

class Channel : public ::testing::Test {
 protected:
  void StartSlave(const char* program) {
    ASSERT_TRUE(controller_.joined());
    ASSERT_TRUE(controller_.Start(program));
  }
  SlaveController controller_;
};

TEST_F(Channel, RequestTextsAreHandedOnUpTo510CharactersAndCutBeyond) {
  StartSlave(PROBE);
  const std::string head = "probe text ";
  auto filler = [&](size_t total) {
    std::string text = head;
    for (size_t i = 0; text.size() < total; ++i)
      text.push_back((char)('a' + i % 26));
    return text;
  };
  struct Case {
    std::string bytes;  // what the controller leaves in the channel
    size_t handedOn;
  } cases[] = {
      {filler(12) + '\0', 12},
      {filler(510) + '\0', 510},
      {filler(511) + '\0', 510},
      {filler(512), 510},  // no terminator anywhere in the channel
  };
  for (const Case& c : cases) {
    controller_.WriteRequestBytes(c.bytes);
    size_t mark = controller_.Mark();
    SendMessage(controller_.slave(), WM_COMMAND, MAKEWPARAM(546, 503), 0);
    ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "548"); }));
    Events events = controller_.Since(mark);
    ASSERT_EQ(events.size(), 4u) << c.handedOn;
    std::string expected = c.bytes.substr(0, c.handedOn);
    // The echo "ftp> <text>\n" of a long text is cut to the channel's 511 characters.
    EXPECT_EQ(events[1], ("ftp> " + expected + "\n").substr(0, 511));
    EXPECT_EQ(events[2], "text " + std::to_string(c.handedOn) + " " +
                             expected.substr(expected.size() - 8) + "\n");
  }
}

TEST_F(Channel, TheEchoHidesALoginsPasswordAndNothingElse) {
  StartSlave(HOPWIRE);
  struct Case {
    const char* line;
    const char* echo;
  } cases[] = {
      {"user bob secret acct", "ftp> user bob xxxxxx acct\n"},
      {"user bob secret", "ftp> user bob xxxxxx\n"},
      {"user\tbob  secret\tacct", "ftp> user\tbob  xxxxxx\tacct\n"},
      {"userx bob secret", "ftp> userx bob xxxxxx\n"},
      {"user bob", "ftp> user bob\n"},
      {"user", "ftp> user\n"},
      // The interpreter reads a quoted part as one word, and "u" selects the login too.
      {"user bob \"two words\" acct", "ftp> user bob xxxxxxxxxxx acct\n"},
      {"user \"bob smith\" secret", "ftp> user \"bob smith\" xxxxxx\n"},
      {"u bob secret", "ftp> u bob xxxxxx\n"},
      {"use bob secret", "ftp> use bob xxxxxx\n"},
      // Other case is no login: the command table is case-sensitive.
      {"User bob secret", "ftp> User bob secret\n"},
      {"status bob secret", "ftp> status bob secret\n"},
  };
  // The interpreter's one answer (no session is open) follows the echo.
  for (const Case& c : cases) {
    Events events = controller_.Command(c.line);
    ASSERT_EQ(events.size(), 4u) << c.line;
    EXPECT_EQ(events[0], "547");
    EXPECT_EQ(events[1], c.echo) << c.line;
    EXPECT_EQ(events[3], "548");
  }
}

TEST_F(Channel, KeepLinesSwitchTheKeepAliveByTheirFifthCharacterAndAreNoCommands) {
  StartSlave(PROBE);
  struct Case {
    const char* line;
    const char* state;
  } cases[] = {
      {"keepa", "keep=1"},      {"keep", "keep=0"},  {"keepalive", "keep=1"},
      {"keep alive", "keep=0"}, {"keepx", "keep=0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(controller_.Command(c.line), kNoticesOnly) << c.line;
    Events state = controller_.Command("probe state");
    ASSERT_EQ(state.size(), 4u);
    EXPECT_NE(state[2].find(std::string(c.state) + " idle=0 "), std::string::npos) << c.line;
  }
  // In other case it is an ordinary command line.
  Events events = controller_.Command("KEEPa");
  EXPECT_EQ(events, (Events{"547", "ftp> KEEPa\n", "500 probe: not a probe line\n", "548"}));
}

TEST_F(Channel, RequestsWithoutWorkGiveOneStartAndOneEndNoticeAndTheCancelNone) {
  StartSlave(HOPWIRE);
  for (WORD code : {504, 505, 507, 508, 509, 501, 499, 513})
    EXPECT_EQ(controller_.Run(code), kNoticesOnly) << code;
  size_t mark = controller_.Mark();
  controller_.Send(512);
  EXPECT_EQ(controller_.Run(504), kNoticesOnly);
  EXPECT_EQ(controller_.Since(mark), kNoticesOnly);
}

TEST_F(Channel, TheDebugRequestShowsTheHiddenWindowMinimisedAndSwitchesDiagnosticsOn) {
  StartSlave(PROBE);
  Events state = controller_.Command("probe state");
  ASSERT_EQ(state.size(), 4u);
  EXPECT_NE(state[2].find("debug=0 "), std::string::npos);
  EXPECT_NE(state[2].find("visible=0 iconic=0"), std::string::npos);
  EXPECT_EQ(controller_.Run(506), kNoticesOnly);
  state = controller_.Command("probe state");
  ASSERT_EQ(state.size(), 4u);
  EXPECT_NE(state[2].find("debug=1 "), std::string::npos);
  EXPECT_NE(state[2].find("visible=1 iconic=1"), std::string::npos);
}

TEST_F(Channel, LinesFollowPrintfAndTheChannelsLimitsAndListModeReportsAs511) {
  StartSlave(PROBE);
  Events format = controller_.Command("probe format");
  ASSERT_EQ(format.size(), 4u);
  EXPECT_EQ(format[2], "[      right][left  ][-7][8][9][c][+10][d]\n");

  Events longLine = controller_.Command("probe long 700");
  ASSERT_EQ(longLine.size(), 4u);
  EXPECT_EQ(longLine[2], std::string(511, 'x'));

  EXPECT_EQ(controller_.Command("probe quiet"),
            (Events{"547", "ftp> probe quiet\n", "shown\n", "548"}));

  controller_.Command("probe listmode 1");
  EXPECT_EQ(controller_.Command("probe lines 2"),
            (Events{"547", "511:ftp> probe lines 2\n", "511:line 0\n", "511:line 1\n", "548"}));
}

TEST_F(Channel, MessagesAndSocketErrorTextsComeFromTheStringTable) {
  StartSlave(PROBE);
  struct Case {
    const char* arguments;
    const char* texts;
  } cases[] = {
      {"3151 3149 10004", "succeeded|failed|Interrupted system call"},
      {"3150 3999 10045",
       "%3d Initialization of Winsock %s\n|**err LoadString ID 3999 **|"
       "Operation not suppored on socket"},
      {"170 220 11004", "Interrupted system call|Unknown socket error|No data record available"},
      {"3142 3151 10035", "Done with network test.\n|succeeded|Operation would block"},
      {"3151 3151 12345", "succeeded|succeeded|Unknown socket error"},
      {"3151 3151 0", "succeeded|succeeded|Unknown socket error"},
  };
  for (const Case& c : cases) {
    Events events = controller_.Command(std::string("probe message ") + c.arguments);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2], std::string("message ") + c.texts + "\n") << c.arguments;
  }
}

TEST_F(Channel, TheListingFilterSeesListingLinesOnlyAndLastsOneCommand) {
  StartSlave(PROBE);
  EXPECT_EQ(controller_.Command("probe filter"),
            (Events{"547", "ftp> probe filter\n", "reply line\n", "LISTING LINE\n", "548"}));
  EXPECT_EQ(controller_.Command("probe listing as sent"),
            (Events{"547", "ftp> probe listing as sent\n", "as sent\n", "548"}));
}

TEST_F(Channel, ATransferOf5000BytesOver2500MsEndsWith904And4And2) {
  StartSlave(PROBE);
  Events events = controller_.Command("probe transfer 5000 2500");
  ASSERT_GE(events.size(), 6u);
  Events end(events.end() - 4, events.end());
  EXPECT_EQ(end, (Events{"514=904", "508=4", "509=2", "548"}));
  // Progress on the way: pairs of remainder and kilobytes, growing, no seconds.
  std::vector<long> counts;
  for (size_t i = 2; i + 4 < events.size(); i += 2) {
    ASSERT_EQ(events[i].rfind("514=", 0), 0u) << events[i];
    ASSERT_EQ(events[i + 1].rfind("508=", 0), 0u) << events[i + 1];
    counts.push_back(std::stol(events[i + 1].substr(4)) * 1024 + std::stol(events[i].substr(4)));
  }
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  for (long count : counts)
    EXPECT_LE(count, 5000);

  controller_.Command("probe listmode 1");
  EXPECT_EQ(controller_.Command("probe transfer 5000 100"),
            (Events{"547", "511:ftp> probe transfer 5000 100\n", "548"}));
}

TEST_F(Channel, ACancelEndsATransferAtItsNextBlock) {
  StartSlave(PROBE);
  size_t mark = controller_.Mark();
  controller_.Send(503, "probe transfer 1000000 20000");
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) {
    return std::any_of(e.begin(), e.end(), [](auto& s) { return s.rfind("508=", 0) == 0; });
  }));
  controller_.Send(512);
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "548"); }));
  Events events = controller_.Since(mark);
  ASSERT_GE(events.size(), 5u);
  EXPECT_EQ(events[events.size() - 5], "550 Cancelling file transfer");
  EXPECT_EQ(events[events.size() - 2], "509=20");
  EXPECT_EQ(Count(events, "547"), 1u);
}

TEST_F(Channel, TheExpectedSizeIsReadAfterAParenthesis) {
  StartSlave(PROBE);
  struct Case {
    const char* text;
    Events reports;
  } cases[] = {
      {"(123456 bytes)", {"515=576", "507=120"}},
      {"( +2048)", {"515=0", "507=2"}},
      {"(-1500)", {"515=-476", "507=-1"}},
      {"(99999999999)", {"515=1023", "507=2097151"}},
      {"(", {"515=0", "507=0"}},
      {"123", {"Found 123 when expecting size string!\n"}},
  };
  for (const Case& c : cases) {
    Events events = controller_.Command(std::string("probe expect ") + c.text);
    Events expected = {"547", std::string("ftp> probe expect ") + c.text + "\n"};
    expected.insert(expected.end(), c.reports.begin(), c.reports.end());
    expected.push_back("548");
    EXPECT_EQ(events, expected) << c.text;
  }
  controller_.Command("probe expect (77)");
  Events state = controller_.Command("probe state");
  ASSERT_EQ(state.size(), 4u);
  EXPECT_NE(state[2].find("expected=77"), std::string::npos);
  controller_.Command("probe listmode 1");
  EXPECT_EQ(controller_.Command("probe expect (5)"),
            (Events{"547", "511:ftp> probe expect (5)\n", "548"}));
}

TEST_F(Channel, ACancelInterruptsABlockingCallAtOnce) {
  StartSlave(PROBE);
  size_t mark = controller_.Mark();
  controller_.Send(503, "probe block");
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "blocking\n"); }));
  controller_.Send(512);
  ASSERT_TRUE(controller_.ServeUntil(
      mark, [](const Events& e) { return Count(e, "548"); }, 3000));
  EXPECT_EQ(controller_.Since(mark),
            (Events{"547", "ftp> probe block\n", "blocking\n", "block -1 10004\n", "548"}));
}

TEST_F(Channel, ARequestArrivingDuringAnotherRunsAfterIt) {
  StartSlave(PROBE);
  size_t mark = controller_.Mark();
  controller_.Send(503, "probe block");
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "blocking\n"); }));
  controller_.Send(503, "probe reply second");
  controller_.Send(504);
  Sleep(200);  // both are dispatched from inside the blocking call by now
  controller_.Send(512);
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "548") == 3; }));
  EXPECT_EQ(controller_.Since(mark),
            (Events{"547", "ftp> probe block\n", "blocking\n", "block -1 10004\n", "548", "547",
                    "ftp> probe reply second\n", "second\n", "548", "547", "548"}));
}

TEST_F(Channel, ASelfRequestFromAnotherProcessCannotNameTheSlavesMemory) {
  StartSlave(HOPWIRE);
  // Handles of global memory are small numbers: try the ones the slave has used.
  controller_.Command("status");
  for (LPARAM handle : {1, 2, 3, 4, 0x51000}) {
    size_t mark = controller_.Mark();
    SendMessage(controller_.slave(), WM_COMMAND, MAKEWPARAM(550, 503), handle);
    ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "548"); }));
    EXPECT_EQ(controller_.Since(mark),
              (Events{"547", "ftp> <no text>\n", "?Invalid command\n", "548"}));
  }
}

}  // namespace
