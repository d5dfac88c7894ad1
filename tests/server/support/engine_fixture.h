// A running engine without sockets: all four endpoint records in their slots,
// log lines captured, replies and notices recorded by the test transport.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portmap/portmap_table.h"
#include "rpc/rpc_alloc.h"
#include "rpc/rpc_programs.h"
#include "rpc/rpc_request.h"
#include "support/bounded_datagram.h"
#include "support/call_builder.h"
#include "support/recording_transport.h"

inline constexpr uint32_t kPortMapProgram = 100000;
inline constexpr uint32_t kNfsProgram = 100003;
inline constexpr uint32_t kMountProgram = 100005;
inline constexpr uint32_t kPcnfsProgram = 150001;

inline constexpr uint32_t kClientAddress = 0xC0A80107;  // 192.168.1.7
inline constexpr uint16_t kClientPort = 871;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTransport();
    ClearPortMapTable();
    Log().clear();
    for (int s = 0; s < SERVICE_COUNT; s++) {
      ServiceEndpoint* endpoint = CreateEndpointRecord((ServiceId)s);
      ASSERT_NE(endpoint, nullptr);
      endpoint->logCallback = CaptureLog;
    }
  }
  void TearDown() override {
    RpcFailAllocationAfter(-1);
    for (int s = 0; s < SERVICE_COUNT; s++)
      DestroyEndpointRecord((ServiceId)s);
  }

  static std::vector<std::string>& Log() {
    static std::vector<std::string> lines;
    return lines;
  }
  static void CaptureLog(int, const char* text) { Log().push_back(text); }

  static void Deliver(ServiceId service, const std::vector<uint8_t>& bytes) {
    ReceiveBuffer* buffer =
        MakeReceiveBuffer(bytes.data(), bytes.size(), kClientAddress, kClientPort);
    ASSERT_NE(buffer, nullptr);
    DecodeServiceCall(service, ServiceEndpoints[service], buffer);
  }
  static void Deliver(ServiceId service, const CallBuilder& call) {
    Deliver(service, call.bytes());
  }

  // What the main window does for each request-ready notice.
  static void ServeAll(ServiceId service) {
    while (RpcRequest* request = NextRequest(service))
      DispatchServiceRequest(service, request);
  }

  static int Queued(ServiceId service) {
    int count = 0;
    for (RpcRequest* r = ServiceEndpoints[service]->queueHead; r; r = r->next)
      count++;
    return count;
  }
  static std::vector<uint32_t> LastReply() {
    if (Transport().replies.empty()) return {};
    return ReplyWords(Transport().replies.back().bytes);
  }
};
