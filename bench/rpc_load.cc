// An RPC load client for UDP: keeps a window of calls in flight, gives each its own
// xid and checks every reply against the calls outstanding. Calls whose replies
// don't come within the timeout are counted lost and replaced.
//   rpc_load PORT null|getport|set|echo [SECONDS] [WINDOW]
// null: port mapper NULL; getport: GETPORT (100003, 2, udp); set: registers
// (100003, 2, udp, 2049) once and exits; echo: NULL calls to a plain echo
// responder (only the xid is checked). Prints "<calls/s> <lost>".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <unordered_map>
#include <vector>

namespace {

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

void Put(std::vector<uint8_t>* out, uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back((uint8_t)(word >> shift));
}

uint32_t Get(const uint8_t* bytes, int index) {
  const uint8_t* p = bytes + 4 * index;
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

enum Mode { kNull, kGetPort, kSet, kEcho };

std::vector<uint8_t> Call(uint32_t xid, Mode mode) {
  std::vector<uint8_t> call;
  uint32_t procedure = mode == kGetPort ? 3 : mode == kSet ? 1 : 0;
  for (uint32_t w : {xid, 0u, 2u, 100000u, 2u, procedure, 0u, 0u, 0u, 0u})
    Put(&call, w);
  if (mode == kGetPort || mode == kSet)
    for (uint32_t w : {100003u, 2u, 17u, 2049u})
      Put(&call, w);
  return call;
}

// An accepted, successful reply to this call: xid, REPLY, MSG_ACCEPTED, null verifier, SUCCESS.
bool GoodReply(const uint8_t* bytes, ssize_t length, Mode mode) {
  if (mode == kEcho) return length >= 4;
  if (length < 24 || Get(bytes, 1) != 1 || Get(bytes, 2) != 0 || Get(bytes, 5) != 0) return false;
  return mode != kGetPort || (length == 28 && Get(bytes, 6) == 2049);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: rpc_load PORT null|getport|set|echo [SECONDS] [WINDOW]\n");
    return 2;
  }
  int port = atoi(argv[1]);
  Mode mode = !strcmp(argv[2], "getport") ? kGetPort
              : !strcmp(argv[2], "set")   ? kSet
              : !strcmp(argv[2], "echo")  ? kEcho
                                          : kNull;
  double seconds = argc > 3 ? atof(argv[3]) : 3.0;
  size_t window = argc > 4 ? (size_t)atoi(argv[4]) : 32;
  if (mode == kSet) window = 1;

  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  int size = 4 << 20;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons((uint16_t)port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  std::unordered_map<uint32_t, double> outstanding;  // xid -> sent at
  uint32_t nextXid = (uint32_t)getpid() << 12;
  long answered = 0, lost = 0, wrong = 0;
  double start = Now(), end = start + (mode == kSet ? 1.0 : seconds);
  uint8_t reply[9240];
  while (Now() < end) {
    while (outstanding.size() < window) {
      uint32_t xid = nextXid++;
      std::vector<uint8_t> call = Call(xid, mode);
      if (sendto(fd, call.data(), call.size(), 0, (sockaddr*)&to, sizeof to) < 0) break;
      outstanding[xid] = Now();
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) == 1) {
      ssize_t n;
      while ((n = recv(fd, reply, sizeof reply, MSG_DONTWAIT)) >= 4) {
        auto it = outstanding.find(Get(reply, 0));
        if (it == outstanding.end()) continue;  // a late reply to a call counted lost
        outstanding.erase(it);
        if (GoodReply(reply, n, mode)) {
          answered++;
        } else {
          wrong++;
        }
      }
    }
    double now = Now();
    for (auto it = outstanding.begin(); it != outstanding.end();) {
      if (now - it->second > 0.2) {
        lost++;
        it = outstanding.erase(it);
      } else {
        ++it;
      }
    }
    if (mode == kSet && answered) break;
  }
  double elapsed = Now() - start;
  printf("%.0f %ld %ld\n", answered / elapsed, lost, wrong);
  return wrong ? 1 : 0;
}
