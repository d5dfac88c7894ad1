// Recognition of the server's kind from reply lines, and the one "215" line a
// connection reports for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/server_type.h"

namespace {

TEST(ServerTypeTest, ReplyLinesNameTheTypeByTheFirstTableNameTheyContain) {
  struct Case {
    const char* line;
    ServerType type;
    const char* name;  // nullptr: nothing detected
  } cases[] = {
      {"215 UNIX Type: L8", ServerType::Unix, "UNIX"},
      {"220 SunOS 4.1 FTP server ready.", ServerType::Unix, "SunOS"},
      {"220 Windows NT FTP server ready.", ServerType::WindowsNT, "Windows NT"},
      {"215 UNIX Type: L8 emulated on Windows NT", ServerType::Unix, "UNIX"},
      {"215 VMS MultiNet V3.5", ServerType::Vms, "VMS MultiNet"},
      {"220 VMS V5.5 FTP server", ServerType::Vms, "VMS V5.5"},
      {"215 OpenVMS V7.1", ServerType::Vms, "VMS"},
      {"215 MACOS file server", ServerType::MacOs, "MACOS"},
      {"215 NetWare system type.", ServerType::NetWare, "NetWare"},
      {"215 unix", ServerType::Unknown, nullptr},
      {"215 MacOS", ServerType::Unknown, nullptr},
      {"200 Type set to A.", ServerType::Unknown, nullptr},
  };
  for (const Case& c : cases) {
    ServerType type = ServerType::Unknown;
    const char* name = nullptr;
    bool detected = DetectServerType(ServerType::Unknown, c.line, &type, &name);
    EXPECT_EQ(detected, c.name != nullptr) << c.line;
    EXPECT_EQ(type, c.type) << c.line;
    EXPECT_STREQ(name, c.name) << c.line;
  }
}

// The reply reader's use: detection on the last line of each 220, 215 and 200
// reply of one connection, reporting what it found.
TEST(ServerTypeTest, OneConnectionReportsItsTypeOnceFromTheFirstReplyThatNamesOne) {
  std::vector<const char*> replies = {
      "220 ftp.example.com FTP server ready.",
      "200 Type set to I.",
      "220 Windows NT FTP server (Version 3.0) ready.",
      "215 UNIX Type: L8",
      "200 PORT command successful.",
  };
  ServerType serverType = ServerType::Unknown;
  std::vector<std::string> reported;
  for (const char* line : replies) {
    ServerType detected;
    const char* name;
    if (DetectServerType(serverType, line, &detected, &name)) {
      serverType = detected;
      reported.push_back(std::string("215 ") + name + "\n");
    }
  }
  EXPECT_EQ(serverType, ServerType::WindowsNT);
  EXPECT_EQ(reported, std::vector<std::string>{"215 Windows NT\n"});
}

}  // namespace
