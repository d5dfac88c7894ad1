// Files and listings through the real hopwire against real servers (vsftpd,
// pyftpdlib) on loopback in the test's own namespaces, in active mode: contents
// compared byte for byte, progress numbers, cancels from korftp's Ctrl-C, a local
// disk that fills up (a small file system in the test's own mount namespace).
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/hopwire/slave_session.h"

namespace {

using hopwiretest::Events;
using hopwiretest::FakeFtpServer;
using hopwiretest::PyftpdServer;
using hopwiretest::VsftpdServer;

constexpr int kBigSize = 100 << 20;
constexpr char kLogin[] = "open 127.0.0.1 2121; user anonymous guest@; ";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

bool WriteFile(const std::string& path, const std::string& contents, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary) << contents;
  return chmod(path.c_str(), mode) == 0;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937_64 generator(seed);
  std::string bytes(size, 0);
  for (size_t i = 0; i + 8 <= size; i += 8) {
    uint64_t v = generator();
    memcpy(&bytes[i], &v, 8);
  }
  return bytes;
}

// Lines of every length ending in each kind of line end in turn: the file as the
// server has it, and as an ASCII retrieval must write it (every end CR LF). With
// some 50,000 line ends, many fall across the blocks the data arrives in.
void LineEndFile(std::string* server, std::string* ascii) {
  const char* const ends[] = {"\r\n", "\n", "\r", "\n\r"};
  std::mt19937 generator(7);
  for (int i = 0; i < 50000; ++i) {
    std::string text(1 + generator() % 9, (char)('a' + i % 26));
    *server += text + (i == 49999 ? "\r\n" : ends[i % 4]);
    *ascii += text + "\r\n";
  }
}

// The rate line's figures depend on the machine.
std::string Normalized(const std::string& output) {
  static const std::regex rate("in \\d+ seconds\\. Transfer rate \\d+ Kb/s");
  return std::regex_replace(output, rate, "in S seconds. Transfer rate R Kb/s");
}

class RealTransfers : public hopwiretest::SlaveSession {
 protected:
  void SetUp() override {
    SlaveSession::SetUp();
    MapDriveC();
  }

  bool StartVsftpd(const std::string& config = "") {
    if (!VsftpdServer::Available()) return false;
    return vsftpd_.Start(2121, "Scratch server ready.", config);
  }
  std::string Served(const std::string& name) { return vsftpd_.root() + "/" + name; }

  // A whole korftp session; korftp is the controller here.
  std::string Korftp(const std::string& commands) {
    controller_.CloseWindow();
    return Normalized(testsupport::Shell(std::string(KORFTP) + " -s " + HOPWIRE + " -c '" +
                                         commands + "' </dev/null"));
  }

  // korftp on these commands, interrupted (Ctrl-C) `delayMs` after it showed a
  // line that starts with `start`: every line it showed after that one.
  std::string KorftpInterrupted(const std::string& commands, const std::string& start,
                                int delayMs) {
    controller_.CloseWindow();
    std::string script = drive_ + "/../korftp-" + std::to_string(getpid()) + ".sh";
    std::ofstream(script) << "exec " << KORFTP << " -s " << HOPWIRE << " -c '" << commands
                          << "' </dev/null\n";
    testsupport::ChildProgram korftp("/bin/sh", script, true);
    std::string line, rest;
    while ((line = korftp.Line(20000)).rfind(start, 0) != 0 && line[0] != '<') {
    }
    EXPECT_EQ(line.rfind(start, 0), 0u) << line;
    usleep(delayMs * 1000);
    kill(korftp.pid(), SIGINT);
    while ((line = korftp.Line(20000)) != "<eof>" && line != "<timeout>")
      rest += line + "\n";
    EXPECT_EQ(korftp.Wait(10000), 0);
    return Normalized(rest);
  }

  VsftpdServer vsftpd_;
};

const char kPort[] = "200 PORT command successful. Consider using PASV.\n";

// What korftp shows of one retrieval or store from vsftpd.
std::string Retrieved(const std::string& name, size_t size) {
  std::string n = std::to_string(size);
  return kPort +
         ("150 Opening BINARY mode data connection for " + name + " (" + n +
          " bytes).\n226 Transfer complete.\n") +
         (size ? "Received " + n + " bytes in S seconds. Transfer rate R Kb/s\n" : "");
}
std::string Stored(size_t size) {
  return kPort + std::string("150 Ok to send data.\n226 Transfer complete.\n") +
         (size ? "1 Sent " + std::to_string(size) + " bytes in S seconds. Transfer rate R Kb/s\n"
               : "");
}

TEST_F(RealTransfers, FilesCrossBothWaysByteForByteInAsciiAndBinary) {
  if (!StartVsftpd()) GTEST_SKIP() << "vsftpd cannot run here";
  std::string lines, crlf;
  LineEndFile(&lines, &crlf);
  std::string big = RandomBytes(kBigSize, 1);
  ASSERT_TRUE(WriteFile(Served("empty.bin"), "") && WriteFile(Served("one.bin"), "x") &&
              WriteFile(Served("lines.txt"), lines) && WriteFile(Served("big.bin"), big));
  EXPECT_EQ(
      Korftp(std::string(kLogin) +
             "get empty.bin; get one.bin; get lines.txt; binary; get lines.txt lines.bin; "
             "recv big.bin; cd pub; put big.bin; send lines.bin lines.txt; put empty.bin; "
             "put one.bin joined.txt; append lines.bin joined.txt; ascii; "
             "put lines.txt crlf.txt; bye"),
      "200 Initialization of Winsock succeeded\nftp> open 127.0.0.1 2121\n"
      "200 Connected to 127.0.0.1.\n220 Scratch server ready.\n"
      "ftp> user anonymous xxxxxx\n331 Please specify the password.\n"
      "230 Login successful.\nftp> get empty.bin\nlocal: empty.bin 1remote: empty.bin\n" +
          Retrieved("empty.bin", 0) + "ftp> get one.bin\nlocal: one.bin 1remote: one.bin\n" +
          Retrieved("one.bin", 1) + "ftp> get lines.txt\nlocal: lines.txt 1remote: lines.txt\n" +
          Retrieved("lines.txt", lines.size()) +
          "ftp> binary\n200 Switching to Binary mode.\nftp> get lines.txt lines.bin\n" +
          Retrieved("lines.txt", lines.size()) +
          "ftp> recv big.bin\nlocal: big.bin 1remote: big.bin\n" + Retrieved("big.bin", kBigSize) +
          "ftp> cd pub\n250 Directory successfully changed.\n"
          "ftp> put big.bin\nlocal: big.bin remote: big.bin\n" +
          Stored(kBigSize) + "ftp> send lines.bin lines.txt\n" + Stored(lines.size()) +
          "ftp> put empty.bin\nlocal: empty.bin remote: empty.bin\n" + Stored(0) +
          "ftp> put one.bin joined.txt\n" + Stored(1) + "ftp> append lines.bin joined.txt\n" +
          Stored(lines.size()) + "ftp> ascii\n200 Switching to ASCII mode.\n" +
          "ftp> put lines.txt crlf.txt\n" + Stored(crlf.size()) + "ftp> bye\n221 Goodbye.\n");
  EXPECT_EQ(ReadFile(drive_ + "/empty.bin"), "");
  EXPECT_EQ(ReadFile(drive_ + "/one.bin"), "x");
  EXPECT_TRUE(ReadFile(drive_ + "/lines.txt") == crlf);  // LF, CR, LF CR arrive as CR LF
  EXPECT_TRUE(ReadFile(drive_ + "/lines.bin") == lines);
  EXPECT_TRUE(ReadFile(drive_ + "/big.bin") == big);
  EXPECT_TRUE(ReadFile(Served("pub/big.bin")) == big);
  EXPECT_TRUE(ReadFile(Served("pub/lines.txt")) == lines);
  EXPECT_EQ(ReadFile(Served("pub/empty.bin")), "");
  EXPECT_TRUE(ReadFile(Served("pub/joined.txt")) == "x" + lines);
  EXPECT_TRUE(ReadFile(Served("pub/crlf.txt")) == crlf);  // an ASCII store sends the file as is
}

TEST_F(RealTransfers, ListingsGoToTheControllerOrToALocalFile) {
  if (!StartVsftpd()) GTEST_SKIP() << "vsftpd cannot run here";
  for (const char* name : {"b.txt", "a.txt", "c d.txt"})
    ASSERT_TRUE(WriteFile(Served(name), name));
  std::string output = Korftp(std::string(kLogin) +
                              "nlist; dir; system; dirx pub; ls . c:\\list.txt; "
                              "nlist . c:\\names.txt; nlist nothere; bye");
  std::string names = "a.txt\nb.txt\nc d.txt\npub\n";
  std::smatch listing;
  ASSERT_TRUE(std::regex_search(
      output, listing, std::regex("ftp> dir\n[^\n]*\n150 [^\n]*\n((?:[-d][^\n]*\n){4})226 ")))
      << output;
  std::string dir = listing[1];
  EXPECT_TRUE(std::regex_match(dir, std::regex("(-rw-r--r-- +1 0 +0 +(5|7) \\w{3} \\d\\d "
                                               "\\d\\d:\\d\\d (a|b|c d)\\.txt\n){3}"
                                               "d[-rwx]{9} +2 \\d+ +\\d+ +\\d+ .* pub\n")))
      << dir;
  const std::string port = kPort;
  std::string listed = "150 Here comes the directory listing.\n";
  std::string sent = "226 Directory send OK.\n";
  // The server's type is known once SYST has named it: then a listing may go to a
  // local file, and the directory goes with LIST instead of CWD.
  EXPECT_EQ(output.substr(output.find("ftp> nlist\n")),
            "ftp> nlist\n" + port + listed + names + sent + "ftp> dir\n" + port + listed + dir +
                sent + "ftp> system\n215 UNIX Type: L8\n215 UNIX\nftp> dirx pub\n" + port + listed +
                sent + "ftp> ls . c:\\list.txt\n" + port + listed + sent +
                "ftp> nlist . c:\\names.txt\n" + port + listed + sent + "ftp> nlist nothere\n" +
                port + listed + sent + "ftp> bye\n221 Goodbye.\n");
  // To a file the lines are the ones the controller got, with CR LF ends.
  EXPECT_EQ(ReadFile(drive_ + "/list.txt"), std::regex_replace(dir, std::regex("\n"), "\r\n"));
  EXPECT_EQ(ReadFile(drive_ + "/names.txt"), std::regex_replace(names, std::regex("\n"), "\r\n"));
}

// The controller's own commands: the size it expects, the byte counts as they
// grow, and names that are made unique on either side.
TEST_F(RealTransfers, ProgressNumbersAddUpToTheFileAndUniqueNamesKeepBothCopies) {
  if (!StartVsftpd()) GTEST_SKIP() << "vsftpd cannot run here";
  std::string big = RandomBytes(kBigSize, 2);
  ASSERT_TRUE(WriteFile(Served("big.bin"), big));
  ASSERT_EQ(mkdir((drive_ + "/tmp").c_str(), 0755), 0);
  StartSlave();
  Commands({"open 127.0.0.1 2121", "user anonymous guest@", "binary"});
  std::string size = "(" + std::to_string(kBigSize) + ")";
  std::vector<Events> transfers;
  for (const std::string& command :
       {"getx /big.bin " + size + " c:\\ 0", "getx /big.bin " + size + " c:\\ 1",
        "putx c:\\big.bin " + size + " /pub 1", "putx c:\\big.bin " + size + " /pub 1",
        std::string("gettmp /big.bin 0 c:\\tmp\\copy.bin")})
    transfers.push_back(Commands({command}, 60000));
  for (const Events& events : transfers) {
    SCOPED_TRACE(events[0]);
    bool controllerSize = events[0].rfind("ftp> gettmp", 0) != 0;
    EXPECT_EQ(hopwiretest::Count(events, "515=0"), controllerSize ? 1u : 0u);
    EXPECT_EQ(hopwiretest::Count(events, "507=102400"), controllerSize ? 1u : 0u);
    // Each count 514 then 508; the last pair, before the seconds (509), is the file's size.
    int64_t remainder = -1, last = -1, previous = 0;
    bool seconds = false;
    for (const std::string& event : events) {
      if (event.rfind("514=", 0) == 0) remainder = std::stoll(event.substr(4));
      if (event.rfind("508=", 0) == 0) {
        ASSERT_GE(remainder, 0);
        last = std::stoll(event.substr(4)) * 1024 + remainder;
        EXPECT_GE(last, previous);
        EXPECT_LE(last, kBigSize);
        previous = last;
        remainder = -1;
      }
      seconds |= event.rfind("509=", 0) == 0;
    }
    EXPECT_TRUE(seconds);
    EXPECT_EQ(last, kBigSize);
  }
  EXPECT_EQ(hopwiretest::Count(transfers[1],
                               "Converting Unix filename big.bin to MS-DOS "
                               "big.bin.000.\n"),
            1u);
  EXPECT_EQ(hopwiretest::Count(transfers[2], "150 FILE: big.bin\n"), 1u);
  EXPECT_EQ(hopwiretest::Count(transfers[3], "150 FILE: big.bin.1\n"), 1u);
  EXPECT_EQ(transfers[4].back(), "600 Retrieve file big.bin success");
  for (const std::string& copy :
       {drive_ + "/big.bin", drive_ + "/big.bin.000", drive_ + "/tmp/copy.bin",
        Served("pub/big.bin"), Served("pub/big.bin.1")})
    EXPECT_TRUE(ReadFile(copy) == big) << copy;
}

TEST_F(RealTransfers, CtrlCEndsADownloadAtTheNextBlockAndTheSessionGoesOn) {
  if (!StartVsftpd("anon_max_rate=2000000\n")) GTEST_SKIP() << "vsftpd cannot run here";
  std::string big = RandomBytes(32 << 20, 3);
  ASSERT_TRUE(WriteFile(Served("big.bin"), big));
  std::string rest =
      KorftpInterrupted(std::string(kLogin) + "binary; get big.bin; pwd; bye", "150 Opening", 500);
  std::smatch received;
  ASSERT_TRUE(std::regex_match(
      rest, received,
      std::regex("550 Cancelling file transfer426 Failure writing network stream\\.\n"
                 "225 No transfer to ABOR\\.\n"
                 "Received (\\d+) bytes in S seconds\\. Transfer rate R Kb/s\n"
                 "ftp> pwd\n257 \"/\" is the current directory\nftp> bye\n221 Goodbye\\.\n")))
      << rest;
  // A binary retrieval counts exactly what it wrote.
  std::string partial = ReadFile(drive_ + "/big.bin");
  EXPECT_EQ(std::to_string(partial.size()), received[1].str());
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LT(partial.size(), big.size());
  EXPECT_TRUE(big.compare(0, partial.size(), partial) == 0);
}

TEST_F(RealTransfers, CtrlCEndsTheWaitForTheDataConnection) {
  FakeFtpServer server;
  ASSERT_TRUE(
      server.Start("greet 220 UNIX fake\\r\\n\non USER 331 Password\\r\\n\non PASS 230 In\\r\\n\n"
                   "on PORT 200 PORT ok\\r\\n\non RETR 150 Opening\\r\\n\ndata RETR none\n"
                   "on ABOR 426 Aborted\\r\\n226 Abort done\\r\\n\non PWD 257 \"/\"\\r\\n\n"
                   "on QUIT 221 Bye\\r\\n\n"));
  EXPECT_EQ(KorftpInterrupted(
                "open 127.0.0.1 " + std::to_string(server.port()) + "; user a b; get f; pwd; bye",
                "150 Opening", 200),
            "515 data connection accept error: Interrupted system call426 Aborted\n"
            "226 Abort done\n"
            "ftp> pwd\n257 \"/\"\nftp> bye\n221 Bye\n");
  EXPECT_EQ(hopwiretest::Count(server.Received(), "\\xff\\xf4\\xf2ABOR\\x0d\\x0a"), 1u);
  EXPECT_EQ(ReadFile(drive_ + "/f"), "<missing>");
}

TEST_F(RealTransfers, AFullLocalDiskEndsTheDownloadAndHarmsNothingElse) {
  if (!StartVsftpd()) GTEST_SKIP() << "vsftpd cannot run here";
  ASSERT_TRUE(nettest::MountSmallDisk(drive_, 1 << 20));
  ASSERT_TRUE(WriteFile(drive_ + "/keep.txt", "kept"));
  std::string big = RandomBytes(32 << 20, 4);
  ASSERT_TRUE(WriteFile(Served("big.bin"), big));
  std::string output = Korftp(std::string(kLogin) + "binary; get big.bin; pwd; bye");
  std::smatch received;
  ASSERT_TRUE(std::regex_search(
      output, received,
      std::regex("150 Opening BINARY mode[^\n]*\n"
                 "800 ERROR: No space left on local disk\\. Transfer aborted\n"
                 // The server may have sent everything while the drain read it.
                 "(?:426 Failure writing network stream|226 Transfer complete)\\.\n"
                 "225 No transfer to ABOR\\.\n"
                 "Received (\\d+) bytes in S seconds\\. Transfer rate R Kb/s\n"
                 "ftp> pwd\n257 \"/\" is the current directory\n")))
      << output;
  // The file holds what the disk took; the count is of the blocks written whole.
  std::string partial = ReadFile(drive_ + "/big.bin");
  EXPECT_GE(partial.size(), std::stoull(received[1].str()));
  EXPECT_LE(partial.size(), 1u << 20);
  EXPECT_TRUE(big.compare(0, partial.size(), partial) == 0);
  EXPECT_EQ(ReadFile(drive_ + "/keep.txt"), "kept");
}

TEST_F(RealTransfers, APyftpdlibSessionMovesFilesBothWays) {
  PyftpdServer server;
  ASSERT_TRUE(server.Start("tester", "secret"));
  std::string data = RandomBytes(3 << 20, 5);
  ASSERT_TRUE(WriteFile(drive_ + "/up.bin", data));
  std::string output = Korftp("open 127.0.0.1 " + std::to_string(server.port()) +
                              "; user tester secret; binary; put up.bin; append up.bin; "
                              "get up.bin down.bin; nlist; bye");
  EXPECT_NE(
      output.find("ftp> nlist\n200 Type set to: ASCII.\n200 Active data connection established.\n"
                  "125 Data connection already open. Transfer starting.\nup.bin\n"
                  "226 Transfer complete.\n"),
      std::string::npos)
      << output;
  EXPECT_TRUE(ReadFile(server.root() + "/up.bin") == data + data);
  EXPECT_TRUE(ReadFile(drive_ + "/down.bin") == data + data);
}

}  // namespace
