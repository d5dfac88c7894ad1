// An NFS load client for UDP: mounts an export, then keeps a window of calls
// in flight, each with its own xid, and checks every reply's status.
//   nfs_load EXPORT getattr|lookup|read|write|pairs SECONDS WINDOW
//   nfs_load EXPORT readdir DIRECTORY PASSES
//   nfs_load PORT echo SECONDS WINDOW BYTES
// getattr/lookup/read/write work on the file "bench.dat" of the export (read and
// write in 8 KiB blocks); pairs creates and removes a name per window slot.
// readdir lists DIRECTORY whole in pages of 4 KiB, PASSES times.
// Prints "<calls/s> <lost> <wrong>" ("<names/s> ..." for readdir, one line per pass;
// "<pairs/s> ..." for pairs); echo sends BYTES-byte datagrams.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr uint32_t kBlock = 8192;
constexpr uint32_t kFileBlocks = 1024;  // bench.dat is 8 MiB

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

struct Xdr {
  std::vector<uint8_t> bytes;
  Xdr& Word(uint32_t w) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back((uint8_t)(w >> shift));
    return *this;
  }
  Xdr& Opaque(const void* data, size_t n) {
    bytes.insert(bytes.end(), (const uint8_t*)data, (const uint8_t*)data + n);
    while (bytes.size() % 4)
      bytes.push_back(0);
    return *this;
  }
  Xdr& String(const std::string& s) { return Word((uint32_t)s.size()).Opaque(s.data(), s.size()); }
};

uint32_t Get(const uint8_t* bytes, int index) {
  const uint8_t* p = bytes + 4 * index;
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

Xdr Header(uint32_t xid, uint32_t program, uint32_t version, uint32_t procedure) {
  Xdr x;
  x.Word(xid).Word(0).Word(2).Word(program).Word(version).Word(procedure);
  // AUTH_UNIX: stamp, machine "bench", uid 500, gid 100, no groups; null verifier.
  x.Word(1).Word(28).Word(1).String("bench").Word(500).Word(100).Word(0);
  return x.Word(0).Word(0);
}

struct Client {
  int fd;
  sockaddr_in to;
};

Client Connect(int port) {
  Client c{socket(AF_INET, SOCK_DGRAM, 0), {}};
  int size = 8 << 20;
  setsockopt(c.fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  setsockopt(c.fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  c.to.sin_family = AF_INET;
  c.to.sin_port = htons((uint16_t)port);
  c.to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return c;
}

// One call and its reply, for the set-up steps; the result words after the header.
std::vector<uint8_t> CallOnce(const Client& c, const Xdr& call) {
  sendto(c.fd, call.bytes.data(), call.bytes.size(), 0, (const sockaddr*)&c.to, sizeof c.to);
  uint8_t reply[9240];
  pollfd p{c.fd, POLLIN, 0};
  for (;;) {
    if (poll(&p, 1, 5000) != 1) return {};
    ssize_t n = recv(c.fd, reply, sizeof reply, 0);
    if (n >= 24 && Get(reply, 0) == Get(call.bytes.data(), 0))
      return std::vector<uint8_t>(reply + 24, reply + n);
  }
}

std::string g_handle;  // the file's handle
std::string g_root;    // the export's handle
uint32_t g_xid = (uint32_t)getpid() << 12;

std::string LookupHandle(const Client& nfs, const std::string& dir, const std::string& name) {
  Xdr call = Header(g_xid++, 100003, 2, 4);
  call.Opaque(dir.data(), 32).String(name);
  std::vector<uint8_t> r = CallOnce(nfs, call);
  if (r.size() < 36 || Get(r.data(), 0) != 0) return "";
  return std::string((const char*)r.data() + 4, 32);
}

enum Mode { kGetAttr, kLookup, kRead, kWrite, kPairs, kEcho };

struct Slot {
  int step;  // pairs: 0 create, 1 remove
  uint32_t number;
};

Xdr MakeCall(Mode mode, uint32_t xid, uint32_t sequence, Slot* slot, uint32_t echoBytes) {
  static const std::string block(kBlock, 'w');
  if (mode == kEcho) {
    Xdr x;
    x.Word(xid);
    x.bytes.resize(echoBytes, 0);
    return x;
  }
  uint32_t offset = (sequence % kFileBlocks) * kBlock;
  switch (mode) {
    case kGetAttr:
      return Header(xid, 100003, 2, 1).Opaque(g_handle.data(), 32);
    case kLookup:
      return Header(xid, 100003, 2, 4).Opaque(g_root.data(), 32).String("bench.dat");
    case kRead:
      return Header(xid, 100003, 2, 6).Opaque(g_handle.data(), 32).Word(offset).Word(kBlock).Word(
          kBlock);
    case kWrite:
      return Header(xid, 100003, 2, 8)
          .Opaque(g_handle.data(), 32)
          .Word(offset)
          .Word(offset)
          .Word(kBlock)
          .String(block);
    default: {
      std::string name = "pair" + std::to_string(slot->number);
      if (slot->step == 0) {
        Xdr x = Header(xid, 100003, 2, 9).Opaque(g_root.data(), 32).String(name);
        for (int i = 0; i < 8; i++)
          x.Word(~0u);
        return x;
      }
      return Header(xid, 100003, 2, 10).Opaque(g_root.data(), 32).String(name);
    }
  }
}

int Load(const Client& c, Mode mode, double seconds, size_t window, uint32_t echoBytes) {
  struct Outstanding {
    double sent;
    size_t slot;
  };
  std::unordered_map<uint32_t, Outstanding> outstanding;
  std::vector<Slot> slots(window);
  for (size_t i = 0; i < window; i++)
    slots[i] = {0, (uint32_t)i};
  std::vector<bool> busy(window, false);
  long answered = 0, lost = 0, wrong = 0;
  uint32_t sequence = 0;
  double start = Now(), end = start + seconds;
  uint8_t reply[9240];
  while (Now() < end) {
    for (size_t i = 0; i < window; i++) {
      if (busy[i]) continue;
      uint32_t xid = g_xid++;
      Xdr call = MakeCall(mode, xid, sequence++, &slots[i], echoBytes);
      if (sendto(c.fd, call.bytes.data(), call.bytes.size(), 0, (const sockaddr*)&c.to,
                 sizeof c.to) < 0)
        break;
      outstanding[xid] = {Now(), i};
      busy[i] = true;
    }
    pollfd p{c.fd, POLLIN, 0};
    if (poll(&p, 1, 20) == 1) {
      ssize_t n;
      while ((n = recv(c.fd, reply, sizeof reply, MSG_DONTWAIT)) >= 4) {
        auto it = outstanding.find(Get(reply, 0));
        if (it == outstanding.end()) continue;
        size_t i = it->second.slot;
        outstanding.erase(it);
        busy[i] = false;
        bool good = mode == kEcho ? n == (ssize_t)echoBytes
                                  : n >= 28 && Get(reply, 5) == 0 && Get(reply, 6) == 0;
        if (mode == kRead && good) good = n == 24 + 4 + 68 + 4 + kBlock;
        if (!good) {
          wrong++;
          continue;
        }
        if (mode == kPairs) {
          slots[i].step ^= 1;
          if (slots[i].step == 1) continue;  // a pair counts once removed
        }
        answered++;
      }
    }
    double now = Now();
    for (auto it = outstanding.begin(); it != outstanding.end();) {
      if (now - it->second.sent > 2.0) {
        lost++;
        busy[it->second.slot] = false;
        it = outstanding.erase(it);
      } else {
        ++it;
      }
    }
  }
  printf("%.0f %ld %ld\n", answered / (Now() - start), lost, wrong);
  return wrong ? 1 : 0;
}

// Lists a directory whole, one call at a time as a client's reader does.
int ListDirectory(const Client& nfs, const std::string& dir, int passes) {
  for (int pass = 0; pass < passes; pass++) {
    double start = Now();
    long names = 0;
    uint32_t cookie = 0;
    for (;;) {
      Xdr call = Header(g_xid++, 100003, 2, 16);
      call.Opaque(dir.data(), 32).Word(cookie).Word(4096);
      std::vector<uint8_t> r = CallOnce(nfs, call);
      if (r.size() < 12 || Get(r.data(), 0) != 0) {
        printf("0 0 1\n");
        return 1;
      }
      size_t at = 4;
      while (at + 4 <= r.size() && Get(r.data() + at, 0) == 1) {
        uint32_t length = Get(r.data() + at, 2);
        at += 12 + ((length + 3) & ~3u);
        cookie = Get(r.data() + at, 0);
        at += 4;
        names++;
      }
      if (at + 8 > r.size()) return 1;
      if (Get(r.data() + at, 1)) break;  // the end flag
    }
    printf("%.0f 0 0\n", names / (Now() - start));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: nfs_load EXPORT MODE ...  (see the file's header)\n");
    return 2;
  }
  std::string mode = argv[2];
  if (mode == "echo") {
    Client c = Connect(atoi(argv[1]));
    return Load(c, kEcho, atof(argv[3]), (size_t)atoi(argv[4]), (uint32_t)atoi(argv[5]));
  }
  Client mount = Connect(1058), nfs = Connect(2049);
  Xdr mnt = Header(g_xid++, 100005, 1, 1);
  mnt.String(argv[1]);
  std::vector<uint8_t> r = CallOnce(mount, mnt);
  if (r.size() < 36 || Get(r.data(), 0) != 0) {
    fprintf(stderr, "nfs_load: MNT %s failed\n", argv[1]);
    return 1;
  }
  g_root.assign((const char*)r.data() + 4, 32);
  if (mode == "readdir") {
    std::string dir = LookupHandle(nfs, g_root, argv[3]);
    if (dir.empty()) return 1;
    return ListDirectory(nfs, dir, atoi(argv[4]));
  }
  g_handle = LookupHandle(nfs, g_root, "bench.dat");
  if (g_handle.empty()) {
    fprintf(stderr, "nfs_load: no bench.dat in %s\n", argv[1]);
    return 1;
  }
  Mode m = mode == "getattr" ? kGetAttr
           : mode == "lookup" ? kLookup
           : mode == "read"   ? kRead
           : mode == "write"  ? kWrite
                              : kPairs;
  return Load(nfs, m, atof(argv[3]), (size_t)atoi(argv[4]), 0);
}
