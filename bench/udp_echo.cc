// The practical limit of one request/reply loop on this machine: a single-threaded
// UDP responder that sends every datagram back as it came.   udp_echo PORT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>

int main(int argc, char** argv) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons((uint16_t)(argc > 1 ? atoi(argv[1]) : 7));
  if (bind(fd, (sockaddr*)&address, sizeof address) != 0) return 1;
  char datagram[9216];
  for (;;) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t n = recvfrom(fd, datagram, sizeof datagram, 0, (sockaddr*)&from, &length);
    if (n >= 0) sendto(fd, datagram, (size_t)n, 0, (sockaddr*)&from, length);
  }
}
