// The UDP endpoints for real, in this process, inside a private network namespace:
// binding the fixed ports, registering with the port mapper, the receive path.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "portmap/portmap_table.h"
#include "rpc/rpc_programs.h"
#include "rpc/udp_endpoint.h"
#include "support/call_builder.h"
#include "tests/support/udp_client.h"

namespace {

std::vector<std::string> logLines;

void PortMapLog(int, const char* text) {
  logLines.push_back(std::string("Port Mapper: ") + text);
}
void MountLog(int, const char* text) {
  logLines.push_back(std::string("Mount Daemon: ") + text);
}
void NfsLog(int, const char* text) {
  logLines.push_back(std::string("NFS: ") + text);
}
void PcnfsLog(int, const char* text) {
  logLines.push_back(std::string("PCNFS: ") + text);
}

struct ServiceRow {
  ServiceId id;
  UINT ready;
  LogCallback log;
};
const ServiceRow kRows[] = {
    {SERVICE_NFS, kNfsRequestReady, NfsLog},
    {SERVICE_PORTMAP, kPortMapRequestReady, PortMapLog},
    {SERVICE_MOUNT, kMountRequestReady, MountLog},
    {SERVICE_PCNFSD, kPcnfsRequestReady, PcnfsLog},
};

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const ServiceRow& row : kRows) {
    if (message != row.ready) continue;
    ServeNextRequest(row.id);
    return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

constexpr uint32_t kGetPort = 3;

std::vector<uint8_t> GetPortCall(uint32_t xid, uint32_t program, uint32_t version,
                                 uint32_t protocol) {
  return CallBuilder::Call(xid, 100000, 2, kGetPort)
      .Null()
      .Words({program, version, protocol, 0})
      .bytes();
}

class Endpoints : public ::testing::Test {
 protected:
  void SetUp() override {
    logLines.clear();
    WNDCLASS wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "EndpointTest";
    RegisterClass(&wc);
    main_ = CreateWindow("EndpointTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                         nullptr, nullptr);
  }
  void TearDown() override {
    for (ServiceId s : {SERVICE_MOUNT, SERVICE_PCNFSD, SERVICE_NFS, SERVICE_PORTMAP})
      CloseServiceEndpoint(s);
  }

  int Open(ServiceId service) {
    for (const ServiceRow& row : kRows) {
      if (row.id != service) continue;
      if (service == SERVICE_PORTMAP) ClearPortMapTable();
      EndpointParameters parameters{row.log, main_, row.ready, FALSE, RegisterCallback, 1024};
      return OpenServiceEndpoint(service, &parameters);
    }
    return -1;
  }

  uint32_t RemoteGetPort(uint32_t program, uint32_t version, uint32_t protocol) {
    std::vector<uint32_t> words =
        ReplyWords(client_.Call(111, GetPortCall(77, program, version, protocol)));
    return words.size() == 7 ? words[6] : 0xFFFFFFFF;
  }

  HWND main_ = nullptr;
  testsupport::UdpClient client_;
};

TEST_F(Endpoints, EveryServiceRegistersItsPortInStartOrder) {
  unsetenv("PLATFORM_SERVICES");
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_NFS), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_MOUNT), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_PCNFSD), ENDPOINT_OPEN);
  struct Row {
    uint32_t program, version, port;
    const char* name;
  } expected[] = {{100003, 2, 2049, "NFS File Service"},
                  {100005, 1, 1058, "NFS Mount Service"},
                  {150001, 1, 1525, "PCNFS Daemon"},
                  {150001, 2, 1525, "PCNFS Daemon"}};
  for (int i = 0; i < 4; ++i) {
    const PortMapping* slot = PortMapSlot(i);
    EXPECT_EQ(slot->program, expected[i].program);
    EXPECT_EQ(slot->version, expected[i].version);
    EXPECT_EQ(slot->protocol, 17u);
    EXPECT_EQ(slot->port, expected[i].port);
    EXPECT_STREQ(slot->name, expected[i].name);
  }
  EXPECT_EQ(PortMapSlot(4)->program, 0u);
  // Without a "pcnfsd" service entry the daemon takes 1525 and says so.
  EXPECT_EQ(logLines,
            (std::vector<std::string>{
                "PCNFS: pcnfsd getservbyname error (11004) - will use default port 1525."}));

  EXPECT_EQ(RemoteGetPort(100005, 1, 17), 1058u);
  EXPECT_EQ(RemoteGetPort(100003, 2, 6), 0u);
  EXPECT_FALSE(testsupport::UdpPortFree(2049));
}

TEST_F(Endpoints, SetAndUnsetAreRefusedUnlessTheCallerIsLocalAndPrivileged) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root for the privileged source port";
  // A second address of this (private) host: the sender is then not loopback.
  const uint32_t kLoopback = 0x7F000001, kSecond = 0x0A0B0C0D;  // 10.11.12.13
  ASSERT_EQ(system("ip addr add 10.11.12.13/32 dev lo"), 0);
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_NFS), ENDPOINT_OPEN);
  auto call = [](uint32_t xid, uint32_t procedure, uint32_t port) {
    return CallBuilder::Call(xid, 100000, 2, procedure).Null().Words({100003, 2, 17, port}).bytes();
  };
  struct Case {
    const char* who;
    uint32_t address;
    uint16_t port;
    uint32_t answer;
  } cases[] = {
      {"loopback, an ephemeral port", kLoopback, 0, 0},
      {"the second address, a privileged port", kSecond, 700, 0},
      {"loopback, a privileged port", kLoopback, 700, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.who);
    testsupport::UdpClient client(c.port, c.address);
    std::vector<uint32_t> unset = ReplyWords(client.Call(111, call(1, 2, 2049)));
    std::vector<uint32_t> set = ReplyWords(client.Call(111, call(2, 1, 5555)));
    ASSERT_EQ(unset.size(), 7u);
    ASSERT_EQ(set.size(), 7u);
    EXPECT_EQ(unset[6], c.answer);
    EXPECT_EQ(set[6], c.answer);
    EXPECT_EQ(RemoteGetPort(100003, 2, 17), c.answer ? 5555u : 2049u);
    EXPECT_EQ(PortMapSlot(0)->port, c.answer ? 5555u : 2049u);
  }
}

TEST_F(Endpoints, AServiceCantStartWithoutThePortMapperAndLeavesItsPortUnbound) {
  EXPECT_EQ(Open(SERVICE_NFS), ENDPOINT_FAILED);
  EXPECT_EQ(logLines, (std::vector<std::string>{"NFS: Warning: NFS Can't register port (2049)."}));
  EXPECT_TRUE(testsupport::UdpPortFree(2049));
  EXPECT_EQ(ServiceEndpoints[SERVICE_NFS], nullptr);
}

TEST_F(Endpoints, APortInUseGivesTheBindFailureWithItsErrorCode) {
  testsupport::UdpClient holder(111);
  EXPECT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_FAILED);
  EXPECT_EQ(logLines, (std::vector<std::string>{
                          "Port Mapper: Can't bind Port Mapper socket (10048).",
                          "Port Mapper: Port 111 is in use: another program (perhaps another port "
                          "mapper) holds it."}));
  EXPECT_EQ(ServiceEndpoints[SERVICE_PORTMAP], nullptr);
}

TEST_F(Endpoints, APrivilegedPortWithoutPrivilegesSaysWhatToDo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to drop the privilege";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    Open(SERVICE_PORTMAP);
    for (const std::string& line : logLines)
      (void)!write(out[1], (line + "\n").data(), line.size() + 1);
    _exit(0);
  }
  close(out[1]);
  std::string said;
  char chunk[256];
  ssize_t n;
  while ((n = read(out[0], chunk, sizeof chunk)) > 0)
    said.append(chunk, (size_t)n);
  close(out[0]);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(said,
            "Port Mapper: Can't bind Port Mapper socket (10013).\n"
            "Port Mapper: Port 111 is privileged: run the server as root or grant it "
            "CAP_NET_BIND_SERVICE.\n");
}

TEST_F(Endpoints, PcnfsdTakesItsPortFromTheServicesEntry) {
  char path[] = "/tmp/services-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << "pcnfsd\t1600/udp\t# test\n";
  setenv("PLATFORM_SERVICES", path, 1);
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_PCNFSD), ENDPOINT_OPEN);
  EXPECT_EQ(RemoteGetPort(150001, 2, 17), 1600u);
  EXPECT_TRUE(logLines.empty());
  unsetenv("PLATFORM_SERVICES");
  unlink(path);
}

TEST_F(Endpoints, StoppingAndRestartingPcnfsdLeavesOneRegistrationOfEachVersion) {
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_PCNFSD), ENDPOINT_OPEN);
  CloseServiceEndpoint(SERVICE_PCNFSD);
  EXPECT_EQ(RemoteGetPort(150001, 1, 17), 0u);
  ASSERT_EQ(Open(SERVICE_PCNFSD), ENDPOINT_OPEN);
  int versions[3] = {};
  for (int i = 0; i < kPortMapSlots; ++i) {
    const PortMapping* slot = PortMapSlot(i);
    if (slot->program == 150001 && slot->version <= 2) versions[slot->version]++;
  }
  EXPECT_EQ(versions[1], 1);
  EXPECT_EQ(versions[2], 1);
}

TEST_F(Endpoints, ZeroLengthDatagramsAreDroppedSilentlyAndCallsAreAnsweredInOrder) {
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_TRUE(client_.Send(111, {}));
  ASSERT_TRUE(client_.Send(111, CallBuilder::Call(1, 100000, 2, 0).Null().bytes()));
  ASSERT_TRUE(client_.Send(111, GetPortCall(2, 100000, 2, 17)));
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(client_.Receive(&first));
  ASSERT_TRUE(client_.Receive(&second));
  EXPECT_EQ(ReplyWords(first), (std::vector<uint32_t>{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ReplyWords(second), (std::vector<uint32_t>{2, 1, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(logLines.empty());
}

TEST_F(Endpoints, ANotificationLeftOverFromAStoppedServiceIsIgnored) {
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_EQ(Open(SERVICE_NFS), ENDPOINT_OPEN);
  SOCKET old = ServiceEndpoints[SERVICE_NFS]->socket;
  ASSERT_TRUE(client_.Send(2049, CallBuilder::Call(5, 100003, 2, 0).Null().bytes()));
  Sleep(20);
  MSG msg;
  PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the notification is queued now
  CloseServiceEndpoint(SERVICE_NFS);
  HWND hidden = FindWindow(kHiddenWindowClass, nullptr);
  ASSERT_NE(hidden, nullptr);
  SendMessage(hidden, 3024, (WPARAM)old, MAKELPARAM(FD_READ, 0));
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
  EXPECT_TRUE(logLines.empty());
}

TEST_F(Endpoints, RequestsQueuedWhenTheServiceStopsAreReleasedAndTheLateNoticeFindsNothing) {
  ASSERT_EQ(Open(SERVICE_PORTMAP), ENDPOINT_OPEN);
  ASSERT_TRUE(client_.Send(111, GetPortCall(9, 100000, 2, 17)));
  Sleep(20);
  HWND hidden = FindWindow(kHiddenWindowClass, nullptr);
  MSG msg;
  // Only the socket notification: the request is decoded and queued, not served.
  ASSERT_TRUE(PeekMessage(&msg, hidden, 0, 0, PM_REMOVE));
  DispatchMessage(&msg);
  ASSERT_NE(ServiceEndpoints[SERVICE_PORTMAP]->queueHead, nullptr);
  CloseServiceEndpoint(SERVICE_PORTMAP);  // releases it (ASan would see a leak)
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
  std::vector<uint8_t> none;
  EXPECT_FALSE(client_.Receive(&none, 100));
}

}  // namespace
