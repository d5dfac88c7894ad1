// Start-up and shut-down of the server in this process, in a private network
// namespace: the order of the services, every failure with its log line and
// message box, the shut-down after a failure, and where the files are found.
#include <gtest/gtest.h>

#include <regex>

#include "rpc/service_endpoint.h"
#include "shell/program_locations.h"
#include "support/server_fixture.h"
#include "tests/support/udp_client.h"

namespace {

using Lines = std::vector<std::string>;

const char kAllOn[] = "portmapenabled=ON\r\nenabled=ON\r\npcnfsenabled=ON";
const Lines kStopLines = {"Mount Daemon stopped.", "PCNFS Daemon stopped.", "NFS Service stopped.",
                          "Port Mapper stopped."};

Lines Concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void ExpectCannotStartBox(const std::vector<plat::gui::HeadlessDisplay::MessageBoxSeen>& boxes) {
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot start Brevant NFS Server");
  EXPECT_EQ(boxes[0].caption, "Brevant NFS Server");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONERROR);
}

TEST_F(ServerTest, StartsTheServicesInOrderAndStopsThemInReverse) {
  WriteSettings(kAllOn);
  ASSERT_TRUE(Start());
  EXPECT_STREQ(Server->pane1Text, "PCNFS Daemon Ready");
  EXPECT_STREQ(Server->windowTitle, "Brevant NFS Server");
  for (ServiceId s : {SERVICE_NFS, SERVICE_PORTMAP, SERVICE_MOUNT, SERVICE_PCNFSD})
    EXPECT_NE(ServiceEndpoints[s], nullptr);
  Stop();
  Lines started = {"Log file d:\\tolmid.log opened\r",
                   "Port Mapper started.",
                   "Brevant NFS Server started.",
                   "Mount Daemon started.",
                   "PCNFS Daemon: ",
                   "pcnfsd getservbyname error (11004) - will use default port 1525.",
                   "PCNFS Daemon started."};
  EXPECT_EQ(LogLines(), Concat(Concat(started, kStopLines), {"Log file d:\\tolmid.log closed\r"}));
  EXPECT_TRUE(Boxes().empty());

  // The stamp: English day and month, a two-digit day of month, time, year.
  std::string first = LogBytes().substr(0, 26);
  EXPECT_TRUE(std::regex_match(
      first, std::regex("(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|"
                        "Nov|Dec) [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}: ")))
      << first;
  // Text mode: CR LF on disk; the string table's lines end in CR CR LF.
  EXPECT_NE(LogBytes().find("opened\r\r\n"), std::string::npos);
  EXPECT_NE(LogBytes().find("Port Mapper started.\r\n"), std::string::npos);
}

TEST_F(ServerTest, WithEveryServiceSwitchedOffNoSocketOpensAndTheStateReadsIdle) {
  WriteSettings("");
  ASSERT_TRUE(Start());
  EXPECT_STREQ(Server->pane1Text, "Idle");
  for (ServiceId s : {SERVICE_NFS, SERVICE_PORTMAP, SERVICE_MOUNT, SERVICE_PCNFSD})
    EXPECT_EQ(ServiceEndpoints[s], nullptr);
  for (uint16_t port : {111, 1058, 2049, 1525})
    EXPECT_TRUE(testsupport::UdpPortFree(port));
}

TEST_F(ServerTest, NfsWithoutThePortMapperFailsAndShutDownLogsEveryStopInOrder) {
  WriteSettings("enabled=ON");
  EXPECT_FALSE(Start());
  ExpectCannotStartBox(Boxes());
  EXPECT_TRUE(testsupport::UdpPortFree(2049));
  Stop();
  Lines expected = {"Log file d:\\tolmid.log opened\r",
                    "Brevant NFS Server: ", "Warning: NFS Can't register port (2049).",
                    "NFS Service failed to initialize."};
  EXPECT_EQ(LogLines(), Concat(Concat(expected, kStopLines), {"Log file d:\\tolmid.log closed\r"}));
}

TEST_F(ServerTest, APortInUseFailsItsServiceWithTheReason) {
  testsupport::UdpClient holder(111);
  WriteSettings(kAllOn);
  EXPECT_FALSE(Start());
  ExpectCannotStartBox(Boxes());
  Lines lines = LogLines();
  Lines expected = {"Log file d:\\tolmid.log opened\r",
                    "Port Mapper: ",
                    "Can't bind Port Mapper socket (10048).",
                    "Port Mapper: ",
                    "Port 111 is in use: another program (perhaps another port mapper) holds it.",
                    "Port Mapper failed to initialize."};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(ServiceEndpoints[SERVICE_NFS], nullptr);  // nothing after the first failure
}

TEST_F(ServerTest, AWindowClassThatCantBeRegisteredIsToldWithItsStringAndExclamation) {
  WNDCLASS taken{};
  taken.lpfnWndProc = DefWindowProc;
  taken.lpszClassName = "zVkClasstolmid";
  ASSERT_TRUE(RegisterClass(&taken));
  WriteSettings(kAllOn);
  EXPECT_FALSE(Start());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Unable to register main window class");
  EXPECT_EQ(Boxes()[0].caption, "Brevant NFS Server");
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
  EXPECT_EQ(ServiceEndpoints[SERVICE_PORTMAP], nullptr);
}

TEST_F(ServerTest, ADamagedHandleTableEndsTheStart) {
  WriteHost("nfsfile.hsh", "not a handle table at all");
  WriteSettings(kAllOn);
  EXPECT_FALSE(Start());
  ExpectCannotStartBox(Boxes());
  Lines lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Brevant NFS Server failed initailizing file table manager.");
  EXPECT_EQ(ServiceEndpoints[SERVICE_PORTMAP], nullptr);
}

TEST_F(ServerTest, ExportsThatCantBeEnteredEndTheStart) {
  // Each export holds one of the table's ten cached nodes: an eleventh can't get one.
  std::string sections = "[TOLmid_user_01]\r\nusername=guest\r\nuid=500\r\ngid=100\r\n";
  for (int i = 0; i < 11; ++i) {
    std::string name = "e" + std::to_string(i);
    ASSERT_EQ(mkdir(Host(name).c_str(), 0755), 0);
    char section[64];
    snprintf(section, sizeof section, "[TOLmid_export_%02d]\r\n", i);
    sections +=
        std::string(section) + "dir=d:\\" + name + "\r\nowner=guest\r\naccess=rwxr-xr-x\r\n";
  }
  WriteSettings("", sections);
  EXPECT_FALSE(Start());
  ExpectCannotStartBox(Boxes());
  Lines lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Mount Daemon failed reading exports from INI.");
}

TEST_F(ServerTest, StartUpWritesTheStampBackAndClosingSavesVersionAndPosition) {
  WriteSettings("timestamp=1234\r\nwinpos=10,20,410,320");
  ASSERT_TRUE(Start());
  RECT r;
  GetWindowRect(Server->mainWindow, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 320);
  // The new table took a stamp of its own, and that is what is saved.
  uint32_t stamp = (uint32_t)std::stoul(ReadHost("nfsfile.hsh").substr(8, 8), nullptr, 16);
  EXPECT_NE(stamp, 1234u);
  SendMessage(Server->mainWindow, WM_CLOSE, 0, 0);
  std::string ini = ReadHost("TOLMID.INI");
  EXPECT_NE(ini.find("timestamp=" + std::to_string(stamp) + "\r\n"), std::string::npos);
  EXPECT_NE(ini.find("version=2.1"), std::string::npos);
  EXPECT_NE(ini.find("winpos=10,20,410,320"), std::string::npos);
}

TEST_F(ServerTest, AMinimisedWindowDoesNotSaveItsPosition) {
  WriteSettings("winpos=5,5,300,200\r\nstartminimized=ON");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(IsIconic(Server->mainWindow));
  EXPECT_NE(GetActiveWindow(), Server->mainWindow);  // shown without activation
  MoveWindow(Server->mainWindow, 50, 50, 400, 300, FALSE);
  SendMessage(Server->mainWindow, WM_CLOSE, 0, 0);
  EXPECT_NE(ReadHost("TOLMID.INI").find("winpos=5,5,300,200"), std::string::npos);
}

TEST_F(ServerTest, ASecondServerBringsTheFirstForwardAndTouchesNothing) {
  WriteSettings("portmapenabled=ON");
  ASSERT_TRUE(Start());
  std::string before = ReadHost("TOLMID.INI");
  testsupport::ChildProgram second(TOLMID, "");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(ReadHost("TOLMID.INI"), before);
  EXPECT_EQ(GetActiveWindow(), Server->mainWindow);
}

class Locations : public ServerTest {
 protected:
  ServerRecord record_{};
};

TEST_F(Locations, TheProgramDirectoryIsTcpappsDirElseTheProgramFilesDirectory) {
  LocateProgramFiles(&record_);
  EXPECT_STREQ(record_.programDirectory, "d:\\");
  EXPECT_STREQ(record_.settingsFile, "d:\\\\TOLMID.INI");

  unsetenv("TCPAPPS_DIR");
  LocateProgramFiles(&record_);
  char program[MAX_PATH];
  GetModuleFileName(nullptr, program, sizeof program);
  std::string directory = std::string(program).substr(0, std::string(program).rfind('\\'));
  EXPECT_EQ(record_.programDirectory, directory);
  EXPECT_EQ(record_.settingsFile, directory + "\\TOLMID.INI");
}

TEST_F(Locations, TheSettingsAndHelpFilesFallBackToTheirEnvironmentVariables) {
  ASSERT_EQ(mkdir(Host("empty").c_str(), 0755), 0);
  setenv("TCPAPPS_DIR", "d:\\empty", 1);
  setenv("TOLMID.INI", "d:\\elsewhere.ini", 1);  // used even though it does not exist
  WriteHost("help.hlp", "help");
  setenv("TOLPMID.HLP", "d:\\help.hlp", 1);
  LocateProgramFiles(&record_);
  EXPECT_STREQ(record_.settingsFile, "d:\\elsewhere.ini");
  EXPECT_STREQ(record_.helpFile, "d:\\help.hlp");

  // A help variable naming no file leaves the first path; a file there wins.
  setenv("TOLPMID.HLP", "d:\\missing.hlp", 1);
  LocateProgramFiles(&record_);
  EXPECT_STREQ(record_.helpFile, "d:\\empty\\TOLPMID.HLP");
  WriteHost("empty/TOLMID.INI", "[tolmid]\r\n");
  LocateProgramFiles(&record_);
  EXPECT_STREQ(record_.settingsFile, "d:\\empty\\TOLMID.INI");
  unsetenv("TOLMID.INI");
  unsetenv("TOLPMID.HLP");
}

}  // namespace
