// Non-blocking underneath, so no wait can outlast its time-out while a server in
// this process needs the thread to answer.
#include "tests/support/tcp_client.h"

#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/windows.h"

namespace testsupport {

namespace {

void ServeMessages() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
}

bool Expired(unsigned deadline) {
  return (int)(GetTickCount() - deadline) >= 0;
}

// Waits a millisecond for the events, serving messages; the poll's revents.
short WaitBriefly(int fd, short events) {
  pollfd p{fd, events, 0};
  if (poll(&p, 1, 1) == 1) return p.revents;
  ServeMessages();
  return 0;
}

}  // namespace

TcpClient::TcpClient(uint16_t port, int receiveBuffer) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (receiveBuffer > 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(int));
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, (sockaddr*)&to, sizeof to) == 0) {
    connected_ = true;
    return;
  }
  if (errno != EINPROGRESS) return;
  unsigned deadline = GetTickCount() + 2000;
  while (!Expired(deadline)) {
    if (WaitBriefly(fd_, POLLOUT) == 0) continue;
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
    connected_ = error == 0;
    return;
  }
}

TcpClient::~TcpClient() {
  close(fd_);
}

bool TcpClient::Write(const std::vector<uint8_t>& bytes, int timeoutMs) {
  unsigned deadline = GetTickCount() + (unsigned)timeoutMs;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += (size_t)n;
      continue;
    }
    if (n < 0 && errno != EAGAIN) return false;
    if (Expired(deadline)) return false;
    WaitBriefly(fd_, POLLOUT);
  }
  return true;
}

bool TcpClient::ReadExactly(uint8_t* into, size_t count, unsigned deadline) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = recv(fd_, into + done, count - done, 0);
    if (n > 0) {
      done += (size_t)n;
      continue;
    }
    if (n == 0 || errno != EAGAIN || Expired(deadline)) return false;
    WaitBriefly(fd_, POLLIN);
  }
  return true;
}

bool TcpClient::ReadRecord(std::vector<uint8_t>* record, int timeoutMs) {
  unsigned deadline = GetTickCount() + (unsigned)timeoutMs;
  record->clear();
  for (;;) {
    uint8_t mark[4];
    if (!ReadExactly(mark, 4, deadline)) return false;
    uint32_t word = (uint32_t)mark[0] << 24 | mark[1] << 16 | mark[2] << 8 | mark[3];
    size_t at = record->size();
    record->resize(at + (word & 0x7fffffffu));
    if (!ReadExactly(record->data() + at, word & 0x7fffffffu, deadline)) return false;
    if (word & 0x80000000u) return true;
  }
}

bool TcpClient::ClosedByPeer(int timeoutMs) {
  unsigned deadline = GetTickCount() + (unsigned)timeoutMs;
  for (;;) {
    uint8_t chunk[4096];
    ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
    if (n > 0) continue;
    if (Expired(deadline)) return false;
    WaitBriefly(fd_, POLLIN);
  }
}

std::vector<uint8_t> AsRecord(const std::vector<uint8_t>& call) {
  uint32_t mark = 0x80000000u | (uint32_t)call.size();
  std::vector<uint8_t> record{(uint8_t)(mark >> 24), (uint8_t)(mark >> 16), (uint8_t)(mark >> 8),
                              (uint8_t)mark};
  record.insert(record.end(), call.begin(), call.end());
  return record;
}

}  // namespace testsupport
