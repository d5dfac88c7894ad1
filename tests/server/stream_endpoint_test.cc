// The port mapper over TCP, in this process, inside a private network namespace:
// record marking as clients really cut it, and the bounds that keep hostile or
// careless peers from holding the one thread or the connection slots.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "portmap/portmap_table.h"
#include "rpc/rpc_programs.h"
#include "rpc/stream_endpoint.h"
#include "rpc/udp_endpoint.h"
#include "support/call_builder.h"
#include "tests/support/tcp_client.h"
#include "tests/support/udp_client.h"

namespace {

using testsupport::AsRecord;
using testsupport::TcpClient;

std::vector<std::string> logLines;

void PortMapLog(int, const char* text) {
  logLines.push_back(text);
}
void MountLog(int, const char* text) {
  logLines.push_back(std::string("Mount Daemon: ") + text);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPortMapRequestReady) {
    ServeNextRequest(SERVICE_PORTMAP);
    return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

std::vector<uint8_t> GetPortCall(uint32_t xid, uint32_t program, uint32_t version,
                                 uint32_t protocol) {
  return CallBuilder::Call(xid, 100000, 2, 3).Null().Words({program, version, protocol, 0}).bytes();
}

// The reply to GETPORT (100005, 1, UDP): the mount daemon's port.
std::vector<uint32_t> MountPortReply(uint32_t xid) {
  return {xid, 1, 0, 0, 0, 0, 1058};
}

std::vector<uint8_t> Fragment(const std::vector<uint8_t>& bytes, size_t from, size_t to,
                              bool last) {
  uint32_t mark = (last ? 0x80000000u : 0) | (uint32_t)(to - from);
  std::vector<uint8_t> out{(uint8_t)(mark >> 24), (uint8_t)(mark >> 16), (uint8_t)(mark >> 8),
                           (uint8_t)mark};
  out.insert(out.end(), bytes.begin() + (long)from, bytes.begin() + (long)to);
  return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

class PortMapperOverTcp : public ::testing::Test {
 protected:
  void SetUp() override {
    logLines.clear();
    WNDCLASS wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "StreamTest";
    RegisterClass(&wc);
    HWND main = CreateWindow("StreamTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
    ClearPortMapTable();
    EndpointParameters portmap{PortMapLog, main, kPortMapRequestReady, FALSE, RegisterCallback, 0};
    ASSERT_EQ(OpenServiceEndpoint(SERVICE_PORTMAP, &portmap), ENDPOINT_OPEN);
    EndpointParameters mount{MountLog, main, kMountRequestReady, FALSE, nullptr, 0};
    ASSERT_EQ(OpenServiceEndpoint(SERVICE_MOUNT, &mount), ENDPOINT_OPEN);
  }
  void TearDown() override {
    CloseServiceEndpoint(SERVICE_MOUNT);
    CloseServiceEndpoint(SERVICE_PORTMAP);
  }

  // A fresh connection is served: the sign that a bound hit one peer, not the service.
  void ExpectServed(uint32_t xid) {
    TcpClient fresh(111);
    ASSERT_TRUE(fresh.Write(AsRecord(GetPortCall(xid, 100005, 1, 17))));
    std::vector<uint8_t> reply;
    ASSERT_TRUE(fresh.ReadRecord(&reply));
    EXPECT_EQ(ReplyWords(reply), MountPortReply(xid));
  }
};

TEST_F(PortMapperOverTcp, AnswersCallsHoweverTheirRecordsAreCut) {
  std::vector<uint8_t> call = GetPortCall(41, 100005, 1, 17);
  std::vector<uint8_t> second = GetPortCall(42, 100005, 1, 17);
  struct Case {
    const char* how;
    std::vector<uint8_t> bytes;
    bool byteByByte;
    std::vector<uint32_t> xids;
  } cases[] = {
      {"one fragment", AsRecord(call), false, {41}},
      {"three fragments and an empty one, byte by byte",
       Join({Fragment(call, 0, 5, false), Fragment(call, 5, 5, false), Fragment(call, 5, 30, false),
             Fragment(call, 30, call.size(), true)}),
       true,
       {41}},
      {"two calls in one write, an empty record between",
       Join({AsRecord(call), AsRecord({}), AsRecord(second)}),
       false,
       {41, 42}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    TcpClient client(111);
    ASSERT_TRUE(client.connected());
    if (c.byteByByte) {
      for (uint8_t byte : c.bytes)
        ASSERT_TRUE(client.Write({byte}));
    } else {
      ASSERT_TRUE(client.Write(c.bytes));
    }
    for (uint32_t xid : c.xids) {
      std::vector<uint8_t> reply;
      ASSERT_TRUE(client.ReadRecord(&reply));
      EXPECT_EQ(ReplyWords(reply), MountPortReply(xid));
    }
  }
  EXPECT_TRUE(logLines.empty());
}

TEST_F(PortMapperOverTcp, TellsWhereItListensOverTcpButKeepsNoSlotForIt) {
  testsupport::UdpClient udp;
  std::vector<uint32_t> tcp = ReplyWords(udp.Call(111, GetPortCall(7, 100000, 2, 6)));
  std::vector<uint32_t> datagram = ReplyWords(udp.Call(111, GetPortCall(8, 100000, 2, 17)));
  EXPECT_EQ(tcp, (std::vector<uint32_t>{7, 1, 0, 0, 0, 0, 111}));
  EXPECT_EQ(datagram, (std::vector<uint32_t>{8, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(PortMapSlot(1)->program, 0u);  // the mount daemon's slot is the only one

  CloseServiceEndpoint(SERVICE_MOUNT);
  CloseServiceEndpoint(SERVICE_PORTMAP);
  TcpClient refused(111);
  EXPECT_FALSE(refused.connected());
}

TEST_F(PortMapperOverTcp, ClosesAConnectionWhoseCallOutgrowsTheReceiveBuffer) {
  std::vector<uint8_t> big(5000, 0);
  struct Case {
    const char* how;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"one header announcing 9217 bytes", Fragment(std::vector<uint8_t>(9217, 0), 0, 9217, true)},
      {"two fragments of 5000 bytes",
       Join({Fragment(big, 0, 5000, false), Fragment(big, 0, 5000, true)})},
  };
  uint32_t xid = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    logLines.clear();
    TcpClient client(111);
    client.Write(c.bytes);  // the server may close before it has taken all
    EXPECT_TRUE(client.ClosedByPeer());
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_NE(logLines[0].find("a call of more than 9216 bytes"), std::string::npos) << logLines[0];
    ExpectServed(xid++);
  }
  // 9216 bytes exactly still fit: the call's arguments are decoded and answered.
  std::vector<uint8_t> largest = GetPortCall(9, 100005, 1, 17);
  largest.resize(9216, 0);
  TcpClient client(111);
  ASSERT_TRUE(client.Write(AsRecord(largest)));
  std::vector<uint8_t> reply;
  ASSERT_TRUE(client.ReadRecord(&reply));
  EXPECT_EQ(ReplyWords(reply), MountPortReply(9));
}

TEST_F(PortMapperOverTcp, ANewConnectionBeyondTheLimitClosesTheOneQuietLongest) {
  std::vector<std::unique_ptr<TcpClient>> clients;
  for (int i = 0; i < kStreamConnections; ++i) {
    clients.push_back(std::make_unique<TcpClient>(111));
    ASSERT_TRUE(clients.back()->connected());
  }
  // Every connection but the first makes a call, so the first is the quietest.
  for (int i = 1; i < kStreamConnections; ++i) {
    ASSERT_TRUE(clients[i]->Write(AsRecord(GetPortCall(i, 100005, 1, 17))));
    std::vector<uint8_t> reply;
    ASSERT_TRUE(clients[i]->ReadRecord(&reply));
  }
  ExpectServed(50);
  EXPECT_TRUE(clients[0]->ClosedByPeer());
  for (int i = 1; i < kStreamConnections; ++i) {
    ASSERT_TRUE(clients[i]->Write(AsRecord(GetPortCall(60 + i, 100005, 1, 17))));
    std::vector<uint8_t> reply;
    ASSERT_TRUE(clients[i]->ReadRecord(&reply)) << "connection " << i;
    EXPECT_EQ(ReplyWords(reply), MountPortReply(60 + i));
  }
}

TEST_F(PortMapperOverTcp, AConnectionThatCompletesNoCallIsClosedWhenIdle) {
  SetStreamIdleLimit(200, 20);
  TcpClient idle(111);
  TcpClient trickling(111);
  // Half a header, and never the rest: bytes alone don't count as a call.
  ASSERT_TRUE(trickling.Write({0x80, 0}));
  EXPECT_TRUE(idle.ClosedByPeer(5000));
  EXPECT_TRUE(trickling.ClosedByPeer(5000));
  ExpectServed(70);
  SetStreamIdleLimit(kStreamIdleMs, kStreamIdleCheckMs);
}

TEST_F(PortMapperOverTcp, APeerThatReadsNoRepliesIsDroppedWithoutStallingOthers) {
  TcpClient deaf(111, 4096);
  std::vector<uint8_t> calls;
  for (uint32_t xid = 1; xid <= 200; ++xid) {
    std::vector<uint8_t> one = AsRecord(CallBuilder::Call(xid, 100000, 2, 0).Null().bytes());
    calls.insert(calls.end(), one.begin(), one.end());
  }
  // Until a write fails: the server closed the connection it could not answer.
  bool dropped = false;
  for (int batch = 0; batch < 2000 && !dropped; ++batch)
    dropped = !deaf.Write(calls, 500);
  EXPECT_TRUE(dropped);
  bool told = false;
  for (const std::string& line : logLines)
    told |= line.find("its replies pile up unread") != std::string::npos;
  EXPECT_TRUE(told);
  ExpectServed(80);
}

}  // namespace
