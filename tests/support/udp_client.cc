#include "tests/support/udp_client.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/windows.h"

namespace testsupport {

namespace {

sockaddr_in Address(uint32_t host, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(host);
  return address;
}

}  // namespace

UdpClient::UdpClient(uint16_t localPort) : peer_(INADDR_LOOPBACK) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Address(localPort ? INADDR_ANY : INADDR_LOOPBACK, localPort);
  bind(fd_, (sockaddr*)&address, sizeof address);
}

UdpClient::UdpClient(uint16_t localPort, uint32_t address) : peer_(address) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in local = Address(address, localPort);
  bind(fd_, (sockaddr*)&local, sizeof local);
}

UdpClient::~UdpClient() {
  close(fd_);
}

bool UdpClient::Send(uint16_t port, const std::vector<uint8_t>& datagram) {
  sockaddr_in to = Address(peer_, port);
  return sendto(fd_, datagram.data(), datagram.size(), 0, (sockaddr*)&to, sizeof to) ==
         (ssize_t)datagram.size();
}

bool UdpClient::Receive(std::vector<uint8_t>* datagram, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 1) == 1) {
      datagram->assign(65536, 0);
      ssize_t n = recv(fd_, datagram->data(), datagram->size(), 0);
      datagram->resize(n > 0 ? (size_t)n : 0);
      return n >= 0;
    }
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessage(&msg);
    if (GetTickCount() - start >= (DWORD)timeoutMs) return false;
  }
}

bool UdpClient::ReceiveFromAnotherProcess(std::vector<uint8_t>* datagram, int timeoutMs) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) != 1) return false;
  datagram->assign(65536, 0);
  ssize_t n = recv(fd_, datagram->data(), datagram->size(), 0);
  datagram->resize(n > 0 ? (size_t)n : 0);
  return n >= 0;
}

std::vector<uint8_t> UdpClient::Call(uint16_t port, const std::vector<uint8_t>& datagram,
                                     int timeoutMs) {
  std::vector<uint8_t> answer;
  if (!Send(port, datagram) || !Receive(&answer, timeoutMs)) answer.clear();
  return answer;
}

bool UdpPortFree(uint16_t port) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  bool free = bind(fd, (sockaddr*)&address, sizeof address) == 0;
  close(fd);
  return free;
}

}  // namespace testsupport
