// Messages between real processes on a desktop of the test's own.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "ipc/global_memory.h"
#include "ipc/records.h"
#include "platform/dde.h"
#include "platform/windows.h"
#include "tests/support/desktop_peers.h"
#include "win/reactor.h"

namespace {

constexpr UINT kAdd = WM_USER + 1;
constexpr UINT kCallBack = WM_USER + 2;
constexpr UINT kAnswer = WM_USER + 3;
constexpr UINT kPostBack = WM_USER + 4;
constexpr UINT kPosted = WM_USER + 5;
constexpr UINT kCrossLater = WM_USER + 6;
constexpr UINT kIdleSelect = WM_USER + 7;
constexpr UINT kCancel = WM_USER + 8;
constexpr UINT kBounce = WM_USER + 9;

std::vector<WPARAM> postedBack;
HWND bounceTarget = nullptr;
HWND ddeServer = nullptr;
std::vector<std::pair<WORD, WORD>> ddeAcks;  // status, handle
bool ddeTerminated = false;

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kAnswer:
      return (LRESULT)wParam * 10;
    case kPosted:
      postedBack.push_back(wParam);
      return 0;
    case kBounce: {
      LRESULT deeper = SendMessage(bounceTarget, kBounce, wParam + 1, 0);
      return deeper > (LRESULT)wParam ? deeper : (LRESULT)wParam;
    }
    case WM_DDE_ACK:
      if (!ddeServer) {
        ddeServer = (HWND)lParam;
      } else {
        ddeAcks.push_back({LOWORD(wParam), HIWORD(wParam)});
      }
      return 0;
    case WM_DDE_TERMINATE:
      ddeTerminated = true;
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

using testsupport::ChildProgram;
using testsupport::ServeUntil;

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(desktop_.joined());
    WNDCLASS wc{};
    wc.lpfnWndProc = TestProc;
    wc.lpszClassName = "IpcTest";
    RegisterClass(&wc);
    window_ = CreateWindow("IpcTest", "test", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }

  ChildProgram& Start(const std::string& arguments) {
    peers_.push_back(std::make_unique<ChildProgram>(IPC_PEER, arguments));
    return *peers_.back();
  }

  testsupport::PrivateDesktop desktop_;
  HWND window_ = nullptr;
  std::vector<std::unique_ptr<ChildProgram>> peers_;
};

TEST_F(Desktop, SentMessagesReturnTheOtherProcesssAnswer) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("ipcpeer", nullptr);
  ASSERT_NE(remote, nullptr);
  EXPECT_TRUE(IsWindow(remote));
  EXPECT_EQ(SendMessage(remote, kAdd, 2, 3), 5);
  EXPECT_EQ(FindWindow("IpcPeer", "peer"), remote);
  EXPECT_EQ(FindWindow("IpcPeer", "other"), nullptr);

  char title[16];
  EXPECT_EQ(GetWindowText(remote, title, sizeof title), 4);
  EXPECT_STREQ(title, "peer");
  ASSERT_TRUE(SetWindowText(remote, "renamed"));
  EXPECT_EQ(FindWindow("IpcPeer", "renamed"), remote);
}

TEST_F(Desktop, AProcessWaitingForAnAnswerServesMessagesSentToIt) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  // The peer sends to us while we wait for its answer.
  EXPECT_EQ(SendMessage(remote, kCallBack, 4, 0), 41);
}

TEST_F(Desktop, TwoProcessesSendingToEachOtherAtOnceDoNotDeadlock) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  PostMessage(remote, kCrossLater, 0, 0);
  Sleep(50);  // the peer is now inside its handler, about to send to us
  EXPECT_EQ(SendMessage(remote, kAdd, 1, 1), 2);
  EXPECT_EQ(peer.Line(), "cross 50");
}

TEST_F(Desktop, AMessageFromAnotherProcessCancelsABlockingSelectAtOnce) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  PostMessage(remote, kIdleSelect, 0, 0);
  ASSERT_EQ(peer.Line(), "waiting");
  Sleep(100);                                        // the peer sleeps inside select now
  EXPECT_EQ(SendMessage(remote, kCancel, 0, 0), 0);  // WSACancelBlockingCall succeeded
  EXPECT_EQ(peer.Line(1000), "select -1 10004 after less than 5 s");  // WSAEINTR
}

TEST_F(Desktop, PostedMessagesCrossInOrder) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  postedBack.clear();
  for (WPARAM i = 1; i <= 3; ++i)
    ASSERT_TRUE(PostMessage(remote, kPostBack, i, 0));
  EXPECT_TRUE(ServeUntil([] { return postedBack.size() == 3; }));
  EXPECT_EQ(postedBack, (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(Desktop, MessagesWithPointersOfThisProcessDoNotCross) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  char text[] = "x";
  SetLastError(0);
  EXPECT_EQ(SendMessage(remote, WM_GETMINMAXINFO, 0, (LPARAM)text), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(PostMessage(remote, WM_SETTEXT, 0, (LPARAM)text));
  EXPECT_EQ(SendMessage(remote, kAdd, 20, 22), 42);  // and the peer is fine
}

TEST_F(Desktop, WindowsOfAKilledProcessAreNotFoundAndSendsToThemReturn) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  ASSERT_NE(remote, nullptr);
  kill(peer.pid(), SIGKILL);
  usleep(100 * 1000);  // killed but not reaped: still a zombie
  EXPECT_EQ(FindWindow("IpcPeer", nullptr), nullptr);
  EXPECT_FALSE(IsWindow(remote));
  DWORD start = GetTickCount();
  EXPECT_EQ(SendMessage(remote, kAdd, 1, 2), 0);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_FALSE(PostMessage(remote, kAdd, 1, 2));
  // The entry the dead process left was cleaned up.
  int entries = 0;
  std::string dir = desktop_.dir() + "/windows/69706370656572";  // "ipcpeer" in hexadecimal
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      entries += e->d_name[0] != '.';
    closedir(d);
  }
  EXPECT_EQ(entries, 0);
}

TEST_F(Desktop, ASenderWhosePeerDiesWhileAnsweringGetsZero) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  PostMessage(remote, kCrossLater, 0, 0);  // keeps the peer busy for 150 ms
  pid_t killer = fork();
  if (killer == 0) {
    usleep(60 * 1000);
    kill(peer.pid(), SIGKILL);
    _exit(0);
  }
  Sleep(20);
  DWORD start = GetTickCount();
  EXPECT_EQ(SendMessage(remote, kAdd, 1, 2), 0);
  EXPECT_LT(GetTickCount() - start, 1500u);
  waitpid(killer, nullptr, 0);
}

TEST_F(Desktop, ADdeConversationCarriesTheBytesAndLeaksNoBlockOnEitherSide) {
  ChildProgram& peer = Start("dde-server refuse");
  ASSERT_EQ(peer.Line(), "ready");
  HWND server = FindWindow("DdeServer", nullptr);
  ASSERT_NE(server, nullptr);
  ATOM application = GlobalAddAtom("wexoraconsole");
  ATOM topic = GlobalAddAtom("console_log");
  ddeServer = nullptr;
  ddeAcks.clear();
  SendMessage(server, WM_DDE_INITIATE, (WPARAM)window_, MAKELPARAM(application, topic));
  EXPECT_EQ(ddeServer, server);  // answered during the send
  GlobalDeleteAtom(application);

  std::vector<WORD> posted;
  for (int i = 0; i < 4; ++i) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 8);
    unsigned char line[8] = {0x00, 0x20, 0x01, 0x00, (unsigned char)('a' + i), 0, 0xFF, 0x7F};
    memcpy(GlobalLock(block), line, sizeof line);
    GlobalUnlock(block);
    posted.push_back((WORD)(uintptr_t)block);
    ASSERT_TRUE(
        PostMessage(server, WM_DDE_POKE, (WPARAM)window_, MAKELPARAM(posted.back(), topic)));
  }
  // The server refuses every second line.
  EXPECT_EQ(peer.Line(), "poke 002001006100ff7f accepted");
  EXPECT_EQ(peer.Line(), "poke 002001006200ff7f refused");
  EXPECT_EQ(peer.Line(), "poke 002001006300ff7f accepted");
  EXPECT_EQ(peer.Line(), "poke 002001006400ff7f refused");
  ASSERT_TRUE(ServeUntil([] { return ddeAcks.size() == 4; }));
  for (int i = 0; i < 4; ++i) {
    bool refused = i % 2 == 1;
    EXPECT_EQ(ddeAcks[i].first == 0, refused);
    if (refused) {
      // A refused block comes back under the poster's own handle, to be freed by it.
      EXPECT_EQ(ddeAcks[i].second, posted[i]);
      EXPECT_TRUE(plat::ipc::IsLiveBlock((HGLOBAL)(uintptr_t)ddeAcks[i].second));
      EXPECT_EQ(GlobalFree((HGLOBAL)(uintptr_t)ddeAcks[i].second), nullptr);
    }
  }
  // Accepted blocks with the release flag belong to the receiver: nothing is left here.
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);

  ddeTerminated = false;
  PostMessage(server, WM_DDE_TERMINATE, (WPARAM)window_, 0);
  EXPECT_EQ(peer.Line(), "blocks 0");
  EXPECT_TRUE(ServeUntil([] { return ddeTerminated; }));
  GlobalDeleteAtom(topic);
}

TEST_F(Desktop, TerminateFreesBlocksStillLentWithTheReleaseFlag) {
  ChildProgram& peer = Start("dde-server");
  ASSERT_EQ(peer.Line(), "ready");
  HWND server = FindWindow("DdeServer", nullptr);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 4);
  ((unsigned char*)GlobalLock(block))[1] = 0x20;
  GlobalUnlock(block);
  ASSERT_TRUE(PostMessage(server, WM_DDE_POKE, (WPARAM)window_, (LPARAM)(uintptr_t)block));
  PostMessage(server, WM_DDE_TERMINATE, (WPARAM)window_, 0);  // before any acknowledge
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);
  EXPECT_EQ(peer.Line(), "poke 00200000 accepted");
  EXPECT_EQ(peer.Line(), "blocks 0");
}

TEST_F(Desktop, ANamedSectionWrittenByOneProcessIsReadByTheOther) {
  ChildProgram& peer = Start("section FtpChannel2 hello-there");
  ASSERT_EQ(peer.Line(), "created new");
  ASSERT_EQ(peer.Line(), "ready");
  HANDLE section = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, "FtpChannel2");
  ASSERT_NE(section, nullptr);
  char* view = (char*)MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 512);
  ASSERT_NE(view, nullptr);
  EXPECT_STREQ(view, "hello-there");

  HANDLE again =
      CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 512, "FtpChannel2");
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  CloseHandle(again);

  PostMessage(FindWindow("SectionPeer", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(peer.Wait(), 0);
  EXPECT_STREQ(view, "hello-there");  // a view keeps the section alive
  UnmapViewOfFile(view);
  CloseHandle(section);
  EXPECT_EQ(OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, "FtpChannel2"), nullptr);
  HANDLE fresh =
      CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 512, "FtpChannel2");
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
  char* zero = (char*)MapViewOfFile(fresh, FILE_MAP_ALL_ACCESS, 0, 0, 512);
  EXPECT_EQ(zero[0], 0);
  UnmapViewOfFile(zero);
  CloseHandle(fresh);
}

TEST_F(Desktop, GlobalAtomsAreSharedAndCounted) {
  ATOM atom = GlobalAddAtom("Console_Log");
  ASSERT_GE(atom, 0xC000);
  EXPECT_EQ(GlobalAddAtom("console_log"), atom);  // count 2
  pid_t child = fork();
  if (child == 0) {
    char name[32];
    bool same = GlobalFindAtom("CONSOLE_LOG") == atom &&
                GlobalGetAtomName(atom, name, sizeof name) == 11 &&
                strcmp(name, "Console_Log") == 0;
    _exit(same ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtom("console_log"), atom);
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtom("console_log"), 0);
  EXPECT_EQ(GlobalAddAtom("#42"), 42);
  EXPECT_EQ(GlobalAddAtom(""), 0);
}

namespace {

int SocketTo(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (connect(fd, (sockaddr*)&address, sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

plat::ipc::RecordHeader PostRecord(HWND hwnd, UINT message, WPARAM wParam) {
  plat::ipc::RecordHeader r{};
  r.magic = plat::ipc::kRecordMagic;
  r.version = plat::ipc::kRecordVersion;
  r.kind = plat::ipc::kPost;
  r.senderPid = (uint32_t)getpid();
  r.hwnd = (uint64_t)(uintptr_t)hwnd;
  r.message = message;
  r.wParam = wParam;
  return r;
}

}  // namespace

TEST_F(Desktop, MalformedRecordsAreDroppedWithoutHarm) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  int fd = SocketTo(plat::ipc::EndpointPath(peer.pid()));
  ASSERT_GE(fd, 0);
  plat::ipc::RecordHeader good = PostRecord(remote, kPostBack, 9);
  std::vector<std::vector<unsigned char>> garbage;
  garbage.push_back({});
  garbage.push_back({1, 2, 3});
  std::vector<unsigned char> whole((unsigned char*)&good, (unsigned char*)&good + sizeof good);
  auto bad = whole;
  bad[0] ^= 1;  // magic
  garbage.push_back(bad);
  bad = whole;
  ((plat::ipc::RecordHeader*)bad.data())->payloadLength = 100;  // claims bytes it lacks
  garbage.push_back(bad);
  bad = whole;
  ((plat::ipc::RecordHeader*)bad.data())->senderPid = 1;  // lies about its sender
  garbage.push_back(bad);
  bad = whole;
  ((plat::ipc::RecordHeader*)bad.data())->kind = 77;
  garbage.push_back(bad);
  for (auto& g : garbage)
    (void)!send(fd, g.data(), g.size(), 0);
  close(fd);

  postedBack.clear();
  EXPECT_EQ(SendMessage(remote, kAdd, 3, 4), 7);
  PostMessage(remote, kPostBack, 1, 0);
  EXPECT_TRUE(ServeUntil([] { return !postedBack.empty(); }));
  EXPECT_EQ(postedBack, (std::vector<WPARAM>{1}));  // none of the forged ones
}

TEST_F(Desktop, AnotherUserCanNeitherReachTheDesktopNorPostThroughAnOpenedSocket) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  std::string path = plat::ipc::EndpointPath(peer.pid());
  pid_t child = fork();
  if (child == 0) {
    int early = SocketTo(path);  // opened while still this user
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    if (SocketTo(path) >= 0) _exit(3);  // the directory is private
    plat::ipc::RecordHeader forged = PostRecord(remote, kPostBack, 66);
    forged.senderPid = (uint32_t)getpid();
    (void)!send(early, &forged, sizeof forged, 0);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  postedBack.clear();
  PostMessage(remote, kPostBack, 1, 0);
  EXPECT_TRUE(ServeUntil([] { return !postedBack.empty(); }));
  EXPECT_EQ(postedBack, (std::vector<WPARAM>{1}));  // the other user's post was dropped
}

namespace {

std::string Hex(uint64_t value) {
  char text[24];
  snprintf(text, sizeof text, "%llx", (unsigned long long)value);
  return text;
}

uint64_t Words(WORD low, WORD high) {
  return (uint64_t)high << 16 | low;
}

struct DdeSeen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::vector<unsigned char> bytes;  // of the block the low word of lParam names
};
std::vector<DdeSeen> ddeSeen;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_DDE_INITIATE || message > WM_DDE_EXECUTE)
    return DefWindowProc(hwnd, message, wParam, lParam);
  DdeSeen seen{message, wParam, lParam, {}};
  HGLOBAL block = (HGLOBAL)(uintptr_t)LOWORD(lParam);
  if (const unsigned char* bytes = block ? (const unsigned char*)GlobalLock(block) : nullptr) {
    seen.bytes.assign(bytes, bytes + GlobalSize(block));
    GlobalUnlock(block);
  }
  ddeSeen.push_back(seen);
  return 0;
}

}  // namespace

class HostileDesktop : public Desktop {
 protected:
  ChildProgram& Hostile(const std::string& arguments) {
    peers_.push_back(std::make_unique<ChildProgram>(HOSTILE_PEER, arguments));
    return *peers_.back();
  }
};

TEST_F(HostileDesktop, DdeHandlesFromAnotherProcessNameOnlyBlocksThatCrossed) {
  WNDCLASS wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.lpszClassName = "DdeProbe";
  RegisterClass(&wc);
  HWND probe = CreateWindow("DdeProbe", "", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, nullptr, nullptr,
                            nullptr, nullptr);
  // A block of this process that no peer was ever lent, like the server's own record.
  HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  WORD handle = (WORD)(uintptr_t)mine;
  struct Case {
    const char* what;
    const char* verb;
    UINT message;
    uint64_t wParam;
    uint64_t lParam;
    const char* block;  // bytes that travel with the record, in hexadecimal
    bool delivered;
  };
  const Case cases[] = {
      {"a refusal naming our block", "post", WM_DDE_ACK, Words(0, handle), 0, nullptr, true},
      {"a sent refusal naming our block", "send", WM_DDE_ACK, Words(0, handle), 0, nullptr, true},
      {"a poke naming our block", "post", WM_DDE_POKE, 0, Words(handle, 0xC001), nullptr, true},
      {"data naming our block", "post", WM_DDE_DATA, 0, Words(handle, 0xC001), nullptr, true},
      {"a poke whose block is shorter than its header", "post", WM_DDE_POKE, 0,
       Words(handle, 0xC001), "0020", false},
      {"a poke with a whole block", "post", WM_DDE_POKE, 0, Words(handle, 0xC001), "0020010041",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ddeSeen.clear();
    std::string arguments = std::string(c.verb) + " " + Hex((uintptr_t)probe) + " " +
                            Hex(c.message) + " " + Hex(c.wParam) + " " + Hex(c.lParam);
    if (c.block) arguments += std::string(" ") + c.block;
    ChildProgram& peer = Hostile(arguments);
    EXPECT_NE(peer.Line(), "<timeout>");  // "posted", or the reply to the send
    ServeUntil([] { return !ddeSeen.empty(); }, c.delivered ? 3000 : 300);
    ASSERT_EQ(ddeSeen.size(), c.delivered ? 1u : 0u);
    EXPECT_TRUE(plat::ipc::IsLiveBlock(mine));
    if (!c.delivered) continue;
    const DdeSeen& seen = ddeSeen[0];
    EXPECT_EQ(seen.message, c.message);
    if (c.message == WM_DDE_ACK) {
      EXPECT_EQ(HIWORD(seen.wParam), 0) << "a handle word that names no lent block is zeroed";
    } else if (!c.block) {
      EXPECT_EQ(LOWORD(seen.lParam), 0);
      EXPECT_EQ(HIWORD(seen.lParam), 0xC001);
    } else {
      EXPECT_NE(LOWORD(seen.lParam), handle);  // a copy under a handle of its own
      EXPECT_EQ(seen.bytes, (std::vector<unsigned char>{0x00, 0x20, 0x01, 0x00, 0x41}));
    }
  }
  GlobalFree(mine);
}

TEST_F(HostileDesktop, BlocksLentToOrReceivedFromAPeerAreCappedAndReleasedWhenItEnds) {
  const size_t before = plat::ipc::LiveBlockCount();
  // Sixty-kilobyte pokes that nobody here accepts: the copies stay within a
  // megabyte for that peer, and go when it does.
  ChildProgram& flood = Hostile("flood IpcTest 200 61440");
  ASSERT_EQ(flood.Line(30000), "flooded");
  ServeUntil([] { return false; }, 200);
  size_t held = plat::ipc::LiveBlockCount() - before;
  EXPECT_GT(held, 0u);
  EXPECT_LE(held * 61440, 1u << 20);
  kill(flood.pid(), SIGKILL);
  EXPECT_TRUE(ServeUntil([&] { return plat::ipc::LiveBlockCount() == before; }));

  // Lines poked at a peer that reads them and never acknowledges one.
  ChildProgram& sink = Hostile("silent DdeSink");
  ASSERT_EQ(sink.Line(), "ready");
  HWND sinkWindow = FindWindow("DdeSink", nullptr);
  ASSERT_NE(sinkWindow, nullptr);
  for (int i = 0; i < 3; ++i) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 8);
    ((unsigned char*)GlobalLock(block))[1] = 0x20;  // the receiver would free it
    GlobalUnlock(block);
    ASSERT_TRUE(PostMessage(sinkWindow, WM_DDE_POKE, (WPARAM)window_,
                            MAKELPARAM((WORD)(uintptr_t)block, 0)));
  }
  EXPECT_EQ(plat::ipc::LiveBlockCount(), before + 3);
  kill(sink.pid(), SIGKILL);
  EXPECT_TRUE(ServeUntil([&] { return plat::ipc::LiveBlockCount() == before; }));
}

TEST_F(HostileDesktop, APeerThatDoesNotReadLosesRecordsInsteadOfStallingTheSender) {
  ChildProgram& deaf = Hostile("deaf Deaf");
  ASSERT_EQ(deaf.Line(), "ready");
  HWND deafWindow = FindWindow("Deaf", nullptr);
  ASSERT_NE(deafWindow, nullptr);
  int accepted = 0;
  DWORD refusal = 0;
  for (int i = 0; i < 200; ++i) {
    if (PostMessage(deafWindow, kPosted, (WPARAM)i, 0)) {
      accepted++;
    } else {
      refusal = GetLastError();
    }
  }
  EXPECT_GT(accepted, 0);
  EXPECT_LT(accepted, 200);
  EXPECT_EQ(refusal, (DWORD)ERROR_NOT_ENOUGH_QUOTA);
  DWORD_PTR result = 0;
  EXPECT_EQ(SendMessageTimeout(deafWindow, kAdd, 1, 2, SMTO_ABORTIFHUNG, 600000, &result), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_TIMEOUT);

  // A peer that asks and never reads the answers: this process answers each
  // without waiting and goes on serving everybody else.
  ChildProgram& echo = Start("echo");
  ASSERT_EQ(echo.Line(), "ready");
  ChildProgram& asker = Hostile("ask-deaf " + Hex((uintptr_t)window_) + " 200");
  ASSERT_EQ(asker.Line(30000), "asked");
  EXPECT_EQ(SendMessage(FindWindow("IpcPeer", nullptr), kAdd, 2, 3), 5);
}

// Peers that ask and never read the answers can't take every link this process
// keeps: with answers waiting on each of them, a new peer is still reached.
TEST_F(HostileDesktop, PeersHoldingUnreadAnswersNeverTakeTheLastLink) {
  std::vector<ChildProgram*> askers;
  for (int i = 0; i < 40; ++i)
    askers.push_back(&Hostile("ask-deaf " + Hex((uintptr_t)window_) + " 30"));
  for (ChildProgram* asker : askers)
    ASSERT_EQ(asker->Line(30000), "asked");
  ServeUntil([] { return false; }, 300);
  ChildProgram& echo = Start("echo");
  ASSERT_EQ(echo.Line(), "ready");
  EXPECT_EQ(SendMessage(FindWindow("IpcPeer", nullptr), kAdd, 2, 3), 5);
}

TEST_F(HostileDesktop, ARecordNamingAThirdProcesssWindowIsAnsweredWithoutAskingIt) {
  ChildProgram& silent = Hostile("silent Silent");  // would never answer a question
  ASSERT_EQ(silent.Line(), "ready");
  HWND thirds = FindWindow("Silent", nullptr);
  ASSERT_NE(thirds, nullptr);
  ChildProgram& asker =
      Hostile("ask-about " + Hex((uint64_t)getpid()) + " " + Hex((uintptr_t)thirds));
  EXPECT_EQ(asker.Line(), "answers 0 0");
  EXPECT_EQ(silent.Line(300), "<timeout>") << "the third process was asked";
}

TEST_F(HostileDesktop, AnUnansweredSendGivesUpAndServesOtherProcessesMeanwhile) {
  ChildProgram& silent = Hostile("silent Silent");
  ASSERT_EQ(silent.Line(), "ready");
  ChildProgram& echo = Start("echo");
  ASSERT_EQ(echo.Line(), "ready");
  HWND silentWindow = FindWindow("Silent", nullptr);
  ASSERT_NE(silentWindow, nullptr);
  PostMessage(FindWindow("IpcPeer", nullptr), kCrossLater, 0, 0);  // sends to us while we wait
  SetLastError(0);
  EXPECT_EQ(SendMessage(silentWindow, kAdd, 1, 2), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_TIMEOUT);
  EXPECT_EQ(echo.Line(), "cross 50");

  // Once a send went unanswered, SMTO_ABORTIFHUNG gives up at once, however long
  // it would wait; without it a send waits its time-out again.
  DWORD_PTR result = 99;
  EXPECT_EQ(SendMessageTimeout(silentWindow, kAdd, 1, 2, SMTO_ABORTIFHUNG, 600000, &result), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_TIMEOUT);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(SendMessageTimeout(silentWindow, kAdd, 1, 2, SMTO_NORMAL, 100, &result), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_TIMEOUT);
  // Windows that answer do so through SendMessageTimeout as through SendMessage.
  HWND answering = FindWindow("IpcPeer", nullptr);
  EXPECT_EQ(SendMessageTimeout(answering, kAdd, 20, 22, SMTO_ABORTIFHUNG, 5000, &result), 1);
  EXPECT_EQ(result, 42u);
  EXPECT_EQ(SendMessageTimeout(window_, kAnswer, 3, 0, SMTO_NORMAL, 0, &result), 1);
  EXPECT_EQ(result, 30u);
}

TEST_F(Desktop, APollFailureEndsACrossProcessSendWithItsErrorNotATimeOut) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND remote = FindWindow("IpcPeer", nullptr);
  plat::win::TheReactor().SetPollProcedure([](pollfd*, nfds_t, int) {
    errno = ENOMEM;
    return -1;
  });
  DWORD_PTR result = 0;
  EXPECT_EQ(SendMessageTimeout(remote, kAdd, 1, 2, SMTO_NORMAL, 600000, &result), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_ENOUGH_MEMORY);
  plat::win::TheReactor().SetPollProcedure(nullptr);
  EXPECT_EQ(SendMessage(remote, kAdd, 1, 2), 3);
}

TEST_F(Desktop, NestedSendsBetweenTwoProcessesStopAtAFixedDepth) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  bounceTarget = FindWindow("IpcPeer", nullptr);
  // Each side answers a bounce by bouncing back one level deeper, until a send fails.
  LRESULT deepest = SendMessage(bounceTarget, kBounce, 1, 0);
  EXPECT_GE(deepest, 64);
  EXPECT_LE(deepest, 128);
  EXPECT_EQ(SendMessage(bounceTarget, kAdd, 2, 3), 5);  // both sides came back whole
}

TEST_F(Desktop, AWindowTextFromAnotherProcessIsCutToTheAskersBuffer) {
  ChildProgram& peer = Start("echo");
  ASSERT_EQ(peer.Line(), "ready");
  HWND liar = FindWindow("IpcLiar", nullptr);  // its WM_GETTEXT claims 100000 characters
  ASSERT_NE(liar, nullptr);
  char small[8];
  memset(small, 'x', sizeof small);
  EXPECT_EQ(GetWindowText(liar, small, sizeof small), 7);
  EXPECT_STREQ(small, "a title");
  char one[1] = {'x'};
  EXPECT_EQ(SendMessage(liar, WM_GETTEXT, sizeof one, (LPARAM)one), 0);
  EXPECT_EQ(one[0], 0);
}

TEST(DesktopDirectory, AProgramRefusesADesktopAnotherUserCouldReach) {
  char base[] = "/tmp/desktop-squat-XXXXXX";
  ASSERT_NE(mkdtemp(base), nullptr);
  std::string root = base;
  struct Case {
    const char* what;
    std::string environment;  // how the program is told where its desktop is
    std::function<bool(const std::string& dir)> make;
    const char* reason;
  };
  const Case cases[] = {
      {"open to others", "PLATFORM_DESKTOP=" + root + "/open",
       [](const std::string& dir) { return mkdir(dir.c_str(), 0755) == 0; }, "mode 0755"},
      {"a symbolic link", "PLATFORM_DESKTOP=" + root + "/link",
       [&](const std::string& dir) {
         return mkdir((root + "/real").c_str(), 0700) == 0 &&
                symlink((root + "/real").c_str(), dir.c_str()) == 0;
       },
       "symbolic link"},
      {"another user's", "PLATFORM_DESKTOP=" + root + "/theirs",
       [](const std::string& dir) {
         return geteuid() == 0 && mkdir(dir.c_str(), 0700) == 0 &&
                chown(dir.c_str(), 65534, 65534) == 0;
       },
       "user 65534"},
      {"the default place, taken", "XDG_RUNTIME_DIR=" + root + "/run",
       [&](const std::string& dir) {
         return mkdir((root + "/run").c_str(), 0700) == 0 && mkdir(dir.c_str(), 0777) == 0 &&
                chmod(dir.c_str(), 0777) == 0;
       },
       "mode 0777"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string dir = c.environment.substr(c.environment.find('=') + 1);
    if (c.environment.rfind("XDG", 0) == 0) dir += "/platform-desktop";
    if (!c.make(dir)) {
      if (geteuid() != 0) continue;  // only root can give a directory to another user
      ADD_FAILURE() << "can't prepare " << dir;
      continue;
    }
    int status = 0;
    std::string output = testsupport::Shell(
        "env -u PLATFORM_DESKTOP " + c.environment + " timeout 5 " IPC_PEER " echo", &status);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 124) << "it ran on instead of refusing";
    EXPECT_EQ(output.find("ready"), std::string::npos);
    EXPECT_NE(output.find(dir), std::string::npos) << output;
    EXPECT_NE(output.find(c.reason), std::string::npos) << output;
    EXPECT_NE(output.find("PLATFORM_DESKTOP"), std::string::npos) << output;
  }
  testsupport::Shell("rm -rf " + root);
}

}  // namespace
