// tolmid on a real display (Xvfb, the FLTK backend) in a private network namespace:
// screenshots of its main window in both displays and of each dialog it has, and a
// person working it through the keyboard. Skipped when the X tools are missing.
#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "support/call_builder.h"
#include "support/server_fixture.h"
#include "tests/support/udp_client.h"
#include "tests/support/x_session.h"

namespace {

using testsupport::Screenshot;
using testsupport::XSession;

class TolmidOnDisplay : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    if (!XSession::Available()) GTEST_SKIP() << "Xvfb, xdotool, xwd or xwininfo is missing";
    x_.Start();
    if (x_.display().empty()) GTEST_SKIP() << "Xvfb did not start";
    setenv("PLATFORM_DISPLAY", "fltk", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the X libraries keep caches to the end
    WriteSettings("portmapenabled=ON\r\nenabled=ON\r\nwinpos=40,40,640,440");
    tolmid_ = std::make_unique<testsupport::ChildProgram>(TOLMID, "");
    main_ = x_.WindowNamed("Brevant NFS Server");
  }

  void TearDown() override {
    if (tolmid_) {
      kill(tolmid_->pid(), SIGTERM);
      tolmid_->Wait();
    }
    ServerTest::TearDown();
  }

  // Opens a dialog by the menu's keys and waits for its window.
  std::string OpenByKeys(const std::string& keys, const std::string& title) {
    x_.Xdo("windowactivate --sync " + main_ + " 2>/dev/null");
    x_.Xdo("key " + keys);
    return x_.WindowNamed(title);
  }

  uint32_t GetPortOfNfs() {
    testsupport::UdpClient client;
    std::vector<uint32_t> answer = ReplyWords(client.Call(
        111, CallBuilder::Call(7, 100000, 2, 3).Null().Words({100003, 2, 17, 0}).bytes()));
    return answer.size() == 7 ? answer[6] : 0;
  }

  XSession x_;
  std::unique_ptr<testsupport::ChildProgram> tolmid_;
  std::string main_;
};

TEST_F(TolmidOnDisplay, TheMainWindowShowsBothDisplaysAndEveryDialog) {
  ASSERT_FALSE(main_.empty());
  Screenshot exports = x_.Shoot(main_, "main-exports");
  testsupport::Geometry frame = x_.GeometryOf(main_);
  EXPECT_EQ(exports.width, frame.width);
  EXPECT_EQ(exports.height, frame.height);
  EXPECT_GE(exports.width, 500);
  EXPECT_GE(exports.colors, 4u) << "menu bar, list, heading and status bar: not blank";

  // Display > Ports: the heading and the list change, and the choice is saved.
  x_.Xdo("windowactivate --sync " + main_ + " 2>/dev/null");
  x_.Xdo("key alt+d");
  XSession::Settle();
  x_.Xdo("key p");
  XSession::Settle();
  Screenshot ports = x_.Shoot(main_, "main-ports");
  EXPECT_EQ(ports.width, exports.width);
  std::string shotExports = x_.shots() + "/main-exports.xwd";
  std::string shotPorts = x_.shots() + "/main-ports.xwd";
  EXPECT_NE(system(("cmp -s " + shotExports + " " + shotPorts).c_str()), 0)
      << "the heading and the list differ between the displays";
  EXPECT_NE(ReadHost("TOLMID.INI").find("display=PM"), std::string::npos);

  // Log File Setup, cancelled: nothing changes.
  std::string settings = ReadHost("TOLMID.INI");
  std::string log = LogBytes();
  std::string setup = OpenByKeys("alt+o l", "Log File Setup");
  ASSERT_FALSE(setup.empty());
  EXPECT_GE(x_.Shoot(setup, "log-file-setup").colors, 4u);
  // The loop is shared: the port mapper answers while the dialog is open.
  EXPECT_EQ(GetPortOfNfs(), 2049u);
  x_.Xdo("key Escape");
  XSession::Settle();
  EXPECT_TRUE(x_.WindowNamed("Log File Setup", true, 500).empty());
  EXPECT_EQ(ReadHost("TOLMID.INI"), settings);
  EXPECT_EQ(LogBytes(), log);

  // Help > About: its caption comes from the version information.
  std::string about = OpenByKeys("alt+h a", "About Brevant NFS Server");
  ASSERT_FALSE(about.empty());
  EXPECT_GE(x_.Shoot(about, "about").colors, 5u) << "the icon's colours show";
  x_.Xdo("key Return");
  XSession::Settle();
  EXPECT_TRUE(x_.WindowNamed("About Brevant NFS Server", true, 500).empty());
}

}  // namespace
