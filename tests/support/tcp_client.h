// A plain TCP client for tests of the port mapper's stream side, on POSIX
// sockets in a translation unit of its own. Every wait is bounded and keeps
// dispatching this process's messages, so a server in the same process runs
// meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

class TcpClient {
 public:
  // Connects to 127.0.0.1:port. A receiveBuffer above 0 shrinks the socket's
  // receive buffer first, for a peer that is to fall behind quickly.
  explicit TcpClient(uint16_t port, int receiveBuffer = 0);
  ~TcpClient();
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  bool connected() const { return connected_; }
  // Writes every byte; false when the connection failed or the time ran out.
  bool Write(const std::vector<uint8_t>& bytes, int timeoutMs = 2000);
  // The payloads of one record's fragments, joined; false at the end of the
  // stream, on a reset, or after the timeout.
  bool ReadRecord(std::vector<uint8_t>* record, int timeoutMs = 2000);
  // True once the other side has closed or reset the connection (what it sent
  // before is skipped), false when it is still open after the timeout.
  bool ClosedByPeer(int timeoutMs = 2000);

 private:
  bool ReadExactly(uint8_t* into, size_t count, unsigned deadline);
  int fd_ = -1;
  bool connected_ = false;
};

// The call as one record of one fragment.
std::vector<uint8_t> AsRecord(const std::vector<uint8_t>& call);

}  // namespace testsupport
