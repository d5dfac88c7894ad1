// The real tolmid on a real display (Xvfb, the FLTK backend) in a network
// namespace of its own: each setup dialog opened from the menu, filled and
// confirmed with X keyboard and mouse input, a screenshot of each kept, and
// clients that nobody here wrote (rpcgen over libtirpc) seeing every change at
// once; then the main window's headings and status panes in the real fonts.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pcnfsd.h"
#include "support/nfs_client.h"
#include "support/real_server.h"
#include "tests/support/x_session.h"

namespace {

using testsupport::Pixels;
using testsupport::XSession;

const char kSections[] =
    "[TOLmid_user_01]\r\nusername=guest\r\npassword=\r\nuid=500\r\ngid=100\r\n"
    "[TOLmid_group_01]\r\ngroupname=wheel\r\ngid=100\r\n"
    "[TOLmid_export_00]\r\ndir=d:\\data\r\nowner=guest\r\naccess=rwxr-xr-x\r\n";

// Columns of ink: runs of x where some pixel between the rows is dark, joined
// across gaps narrower than `gap`; each run's first x.
std::vector<int> InkColumns(const Pixels& p, int top, int bottom, int left, int right, int gap) {
  std::vector<int> starts;
  int lastInk = -1000;
  for (int x = left; x < right; ++x) {
    bool ink = false;
    for (int y = top; y < bottom && !ink; ++y) {
      uint32_t c = p.At(x, y);
      ink = ((c >> 16) & 0xFF) < 96 && ((c >> 8) & 0xFF) < 96 && (c & 0xFF) < 96;
    }
    if (!ink) continue;
    if (x - lastInk >= gap) starts.push_back(x);
    lastInk = x;
  }
  return starts;
}

// Rows of text in a band of columns: [first, last] y of each run of rows
// holding black, leaving out thin runs (the lines of borders).
std::vector<std::pair<int, int>> InkRows(const Pixels& p, int top, int bottom, int left,
                                         int right) {
  std::vector<std::pair<int, int>> rows;
  for (int y = top; y < bottom; ++y) {
    bool ink = false;
    for (int x = left; x < right && !ink; ++x)
      ink = (p.At(x, y) & 0xFFFFFF) == 0;
    if (!ink) continue;
    if (!rows.empty() && rows.back().second == y - 1) {
      rows.back().second = y;
    } else {
      rows.push_back({y, y});
    }
  }
  std::erase_if(rows, [](const std::pair<int, int>& r) { return r.second - r.first < 3; });
  return rows;
}

class SetupOnDisplay : public RealServerTest {
 protected:
  void SetUp() override {
    RealServerTest::SetUp();
    if (!XSession::Available()) GTEST_SKIP() << "Xvfb, xdotool, xwd or xwininfo is missing";
    x_.Start();
    if (x_.display().empty()) GTEST_SKIP() << "Xvfb did not start";
    setenv("PLATFORM_DISPLAY", "fltk", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the X libraries keep caches to the end
    for (const char* dir : {"data", "pub"})
      mkdir(Host(dir).c_str(), 0755);
    Launch("portmapenabled=ON\r\nenabled=ON\r\npcnfsenabled=ON\r\nwinpos=40,40,640,440", kSections);
    main_ = x_.WindowNamed("Brevant NFS Server");
    ASSERT_FALSE(main_.empty());
    client_ = std::make_unique<NfsClient>("127.0.0.1", 500, 100);
    ASSERT_TRUE(client_->Ready());
    pcnfsd_ = clnt_create("127.0.0.1", PCNFSDPROG, PCNFSDVERS, "udp");
    ASSERT_NE(pcnfsd_, nullptr) << clnt_spcreateerror("pcnfsd");
  }
  void TearDown() override {
    client_.reset();
    if (pcnfsd_) clnt_destroy(pcnfsd_);
    RealServerTest::TearDown();
  }

  // Opens a dialog by the menu's keys, waits for it and keeps a screenshot.
  std::string Open(const std::string& keys, const std::string& title) {
    x_.Xdo("windowactivate --sync " + main_ + " 2>/dev/null");
    x_.Xdo("key " + keys);
    std::string dialog = x_.WindowNamed(title);
    XSession::Settle();
    return dialog;
  }
  void Keys(const std::string& keys) {
    x_.Xdo("key --delay 40 " + keys);
    XSession::Settle();
  }
  void Type(const std::string& text) {
    x_.Xdo("type --delay 30 '" + text + "'");
    XSession::Settle();
  }
  bool Closed(const std::string& title) { return x_.WindowNamed(title, true, 300).empty(); }

  int Mount(const std::string& path) {
    nfs_fh handle;
    return client_->Mount(path, &handle);
  }
  // PCNFSD version 1 AUTH: its status, or -1 when no answer came.
  int Authenticate(const std::string& name, const std::string& password) {
    std::string id = name, pw = password;
    for (char& c : id)
      c = (char)(c ^ 0x5B);
    for (char& c : pw)
      c = (char)(c ^ 0x5B);
    auth_args args{id.data(), pw.data()};
    auth_results* r = pcnfsd_auth_1(&args, pcnfsd_);
    return r ? (int)r->stat : -1;
  }

  XSession x_;
  std::string main_;
  std::unique_ptr<NfsClient> client_;
  CLIENT* pcnfsd_ = nullptr;
};

TEST_F(SetupOnDisplay, EachSetupDialogIsFilledAndConfirmedAndClientsSeeItAtOnce) {
  // Setup NFS Server: the third box, then Enter for OK.
  ASSERT_FALSE(Open("alt+o s", "Setup NFS Server").empty());
  Keys("Tab Tab space");
  x_.Shoot(x_.WindowNamed("Setup NFS Server"), "setup-server");
  Keys("Return");
  ASSERT_TRUE(Closed("Setup NFS Server"));
  EXPECT_NE(ReadHost("TOLMID.INI").find("exportunixstyle=ON\r\n"), std::string::npos);
  exports listed = client_->Export();
  ASSERT_NE(listed, nullptr);
  EXPECT_STREQ(listed->ex_dir, "/d/data");

  // Setup User Groups: a new name over the group shown, a gid of its own.
  ASSERT_FALSE(Open("alt+o g", "Setup User Groups").empty());
  Type("staff");
  Keys("Tab");
  Type("800");
  EXPECT_GE(x_.Shoot(x_.WindowNamed("Setup User Groups"), "setup-groups").colors, 4u);
  Keys("Return");
  ASSERT_TRUE(Closed("Setup User Groups"));
  EXPECT_NE(ReadHost("TOLMID.INI").find("[TOLmid_group_02]\r\ngid=800\r\ngroupname=staff\r\n"),
            std::string::npos);

  // Setup User: a new user authenticates once confirmed, and no longer once removed.
  ASSERT_FALSE(Open("alt+o u", "Setup User").empty());
  Type("carol");
  Keys("Tab");
  Type("Pw1");
  Keys("Tab");
  Type("700");
  EXPECT_GE(x_.Shoot(x_.WindowNamed("Setup User"), "setup-user").colors, 4u);
  EXPECT_EQ(Authenticate("carol", "Pw1"), AUTH_RES_FAIL);  // answered, with the live users
  Keys("Return");
  ASSERT_TRUE(Closed("Setup User"));
  EXPECT_EQ(Authenticate("carol", "Pw1"), AUTH_RES_OK);

  ASSERT_FALSE(Open("alt+o u", "Setup User").empty());
  Type("carol");
  Keys("shift+Tab Return");  // back to "Remove", the last tab stop, which loads carol first
  EXPECT_EQ(Authenticate("carol", "Pw1"), AUTH_RES_FAIL);  // at once, the dialog still open
  Keys("Escape");
  ASSERT_TRUE(Closed("Setup User"));
  EXPECT_NE(ReadHost("TOLMID.INI").find("username=<<UNUSED>>\r\n"), std::string::npos);

  // Setup Export Directories: a directory that is no export's becomes one on OK.
  ASSERT_FALSE(Open("alt+o e", "Setup Export Directories").empty());
  Type("d:\\pub");
  Keys("Tab");
  EXPECT_GE(x_.Shoot(x_.WindowNamed("Setup Export Directories"), "setup-exports").colors, 4u);
  EXPECT_EQ(Mount("/d/pub"), 2);   // only the dialog's copy knows it yet
  EXPECT_EQ(Mount("/d/data"), 0);  // and requests are served meanwhile
  Keys("Return");
  ASSERT_TRUE(Closed("Setup Export Directories"));
  EXPECT_EQ(Mount("/d/pub"), 0);
  EXPECT_NE(ReadHost("TOLMID.INI").find("[TOLmid_export_01]\r\ndir=d:\\pub\r\nowner=guest\r\n"),
            std::string::npos);

  // A double click on its line opens it; Remove takes it away at once.
  std::string shot = x_.shots() + "/main-two-exports.xwd";
  x_.Shoot(main_, "main-two-exports");
  Pixels p = testsupport::ReadXwdPixels(shot);
  ASSERT_GT(p.width, 0);
  auto rows = InkRows(p, 0, p.height - 40, 3, p.width - 20);
  ASSERT_EQ(rows.size(), 5u) << "the menu bar, two heading lines, two exports";
  int line = (rows.back().first + rows.back().second) / 2;
  testsupport::Geometry g = x_.GeometryOf(main_);
  x_.Xdo("mousemove " + std::to_string(g.x + 30) + " " + std::to_string(g.y + line) +
         " click --repeat 2 --delay 80 1");
  std::string dialog = x_.WindowNamed("Setup Export Directories");
  ASSERT_FALSE(dialog.empty());
  XSession::Settle();
  Keys("shift+Tab Return");  // "Remove"
  EXPECT_EQ(Mount("/d/pub"), 2);
  Keys("Escape");
  ASSERT_TRUE(Closed("Setup Export Directories"));
  EXPECT_NE(ReadHost("TOLMID.INI").find("dir=<<UNUSED>>\r\nowner=\r\naccess=\r\nspooldir=OFF\r\n"),
            std::string::npos);
}

// Headings stand over their columns and every status pane holds its text, in
// the fonts the display really draws with.
TEST_F(SetupOnDisplay, HeadingsStandOverTheirColumnsAndPanesHoldTheirTexts) {
  x_.Shoot(main_, "main-alignment");
  Pixels p = testsupport::ReadXwdPixels(x_.shots() + "/main-alignment.xwd");
  ASSERT_GT(p.width, 0);
  // From the top: the menu bar, "Exports", the column headings, the list's line.
  // The list's own borders lie outside the columns looked at.
  int left = 3, right = p.width - 20;
  auto rows = InkRows(p, 0, p.height - 40, left, right);
  ASSERT_GE(rows.size(), 4u);
  std::vector<int> headings = InkColumns(p, rows[2].first, rows[2].second + 1, left, right, 24);
  std::vector<int> columns = InkColumns(p, rows[3].first, rows[3].second + 1, left, right, 24);
  ASSERT_EQ(headings.size(), 3u) << "Directory, Owner, Permissions";
  ASSERT_EQ(columns.size(), 3u) << "d:\\data, guest, rwxr-xr-x";
  for (size_t i = 0; i < 3; ++i)
    EXPECT_NEAR(headings[i], columns[i], 2) << "column " << i;

  // Status pane 1, with the widest state that stays: between the last ink and
  // the pane's white right edge lies a margin, where a cut text runs into it.
  ASSERT_FALSE(Open("alt+o s", "Setup NFS Server").empty());
  Keys("Tab Tab Tab space Return");  // "PCNFS Daemon On" off
  ASSERT_TRUE(Closed("Setup NFS Server"));
  x_.Shoot(main_, "main-pcnfs-stopped");
  p = testsupport::ReadXwdPixels(x_.shots() + "/main-pcnfs-stopped.xwd");
  ASSERT_GT(p.width, 0);
  int y = p.height - 8;
  int edge = p.width - 1;
  while (edge > 0 && p.At(edge, y) != 0xFFFFFF)
    --edge;
  ASSERT_GT(edge, p.width / 2);
  int ink = edge - 1;
  auto dark = [&](int x) {
    for (int row = p.height - 20; row < p.height - 2; ++row)
      if ((p.At(x, row) & 0xFF) < 96) return true;
    return false;
  };
  while (ink > edge - 200 && !dark(ink))
    --ink;
  EXPECT_GE(edge - ink, 3) << "PCNFS Daemon Stopped";
}

}  // namespace
