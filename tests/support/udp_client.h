// A plain UDP client for tests of the server's endpoints, on POSIX sockets in a
// translation unit of its own (the programs' WinSock header can't share one with
// them). Waiting for an answer keeps dispatching this process's messages, so a
// server running in the same process answers meanwhile.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

class UdpClient {
 public:
  // Bound to localPort on every address, or to an ephemeral port on 127.0.0.1.
  explicit UdpClient(uint16_t localPort = 0);
  // Bound to address:localPort (host order) and talking to that same address,
  // so the server sees this address as the sender.
  UdpClient(uint16_t localPort, uint32_t address);
  ~UdpClient();
  UdpClient(const UdpClient&) = delete;
  UdpClient& operator=(const UdpClient&) = delete;

  bool Send(uint16_t port, const std::vector<uint8_t>& datagram);
  // The next datagram, or false after the timeout.
  bool Receive(std::vector<uint8_t>* datagram, int timeoutMs = 2000);
  // The same, sleeping in poll alone: for a server in another process.
  bool ReceiveFromAnotherProcess(std::vector<uint8_t>* datagram, int timeoutMs);
  // Send, then the answer (empty when none came).
  std::vector<uint8_t> Call(uint16_t port, const std::vector<uint8_t>& datagram,
                            int timeoutMs = 2000);

 private:
  int fd_ = -1;
  uint32_t peer_;  // host order
};

// True when nothing on this host holds the UDP port.
bool UdpPortFree(uint16_t port);

}  // namespace testsupport
