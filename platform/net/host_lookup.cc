// The child writes one reply and exits: a status word (0 or a WinSock error),
// then the name's length and bytes, then the address count and the addresses.
// The parent reads to end of file and always reaps the child.
#include "net/host_lookup.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "net/blocking_call.h"
#include "net/net_errors.h"
#include "net/ws_constants.h"

namespace plat::net {

namespace {

constexpr size_t kMaxReply = 64 * 1024;

int WsaErrorFromLookup(int rc) {
  switch (rc) {
    case EAI_NONAME:
      return ws::kHostNotFound;
    case EAI_AGAIN:
      return ws::kTryAgain;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return ws::kNoData;
    default:
      return ws::kNoRecovery;
  }
}

void Put32(std::string& out, uint32_t v) {
  out.append((const char*)&v, sizeof v);
}

bool Get32(const std::string& in, size_t* at, uint32_t* v) {
  if (in.size() - *at < sizeof *v) return false;
  memcpy(v, in.data() + *at, sizeof *v);
  *at += sizeof *v;
  return true;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

std::string Resolve(const char* name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one result per address, not one per socket type
  hints.ai_flags = AI_CANONNAME;
  addrinfo* results = nullptr;
  std::string reply;
  int rc = getaddrinfo(name, nullptr, &hints, &results);
  if (rc != 0) {
    Put32(reply, (uint32_t)WsaErrorFromLookup(rc));
    return reply;
  }
  std::string official = results->ai_canonname ? results->ai_canonname : name;
  std::vector<uint32_t> addresses;
  for (addrinfo* a = results; a; a = a->ai_next) {
    uint32_t address = ((const sockaddr_in*)a->ai_addr)->sin_addr.s_addr;
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
      addresses.push_back(address);
  }
  freeaddrinfo(results);
  Put32(reply, 0);
  Put32(reply, (uint32_t)official.size());
  reply += official;
  Put32(reply, (uint32_t)addresses.size());
  for (uint32_t address : addresses)
    Put32(reply, address);
  return reply;
}

[[noreturn]] void RunChild(const char* name, int out) {
  // Only the pipe stays open: the child must not keep the parent's sockets alive.
  if (out != 3) {
    dup2(out, 3);
    out = 3;
  }
  close_range(4, ~0u, 0);
  _exit(WriteAll(out, Resolve(name)) ? 0 : 1);
}

bool ParseReply(const std::string& reply, HostEntry* entry) {
  size_t at = 0;
  uint32_t status, length, count;
  if (!Get32(reply, &at, &status)) return FailWsa(ws::kNoRecovery), false;
  if (status != 0) return FailWsa((int)status), false;
  if (!Get32(reply, &at, &length) || reply.size() - at < length)
    return FailWsa(ws::kNoRecovery), false;
  entry->name.assign(reply, at, length);
  at += length;
  if (!Get32(reply, &at, &count)) return FailWsa(ws::kNoRecovery), false;
  entry->addresses.clear();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t address;
    if (!Get32(reply, &at, &address)) return FailWsa(ws::kNoRecovery), false;
    entry->addresses.push_back(address);
  }
  if (entry->addresses.empty()) return FailWsa(ws::kNoData), false;
  return true;
}

}  // namespace

bool LookUpHost(const char* name, HostEntry* entry) {
  BlockingCall call;
  if (!call.Entered()) return false;
  int p[2];
  if (pipe2(p, O_CLOEXEC) != 0) return FailErrno(ENOBUFS), false;
  pid_t child = fork();
  if (child == 0) RunChild(name, p[1]);
  close(p[1]);
  if (child < 0) {
    close(p[0]);
    return FailErrno(ENOBUFS), false;
  }
  fcntl(p[0], F_SETFL, O_NONBLOCK);
  std::string reply;
  WaitResult waited = WaitResult::kReady;
  for (;;) {
    char buffer[512];
    ssize_t n = read(p[0], buffer, sizeof buffer);
    if (n > 0 && reply.size() + (size_t)n <= kMaxReply) {
      reply.append(buffer, (size_t)n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n >= 0 || errno != EAGAIN) break;  // the end of the reply, an error, or too much
    pollfd pf{p[0], POLLIN, 0};
    if ((waited = call.Wait(&pf, 1, kNoDeadline)) != WaitResult::kReady) break;
  }
  close(p[0]);
  if (waited != WaitResult::kReady) kill(child, SIGKILL);
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (waited != WaitResult::kReady)
    return FailErrno(waited == WaitResult::kCancelled ? EINTR : ENOBUFS), false;
  return ParseReply(reply, entry);
}

int HostName(char* buffer, int length) {
  char name[256 + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return FailErrno(errno);
  size_t size = strlen(name);
  if (!buffer || length < 0 || (size_t)length < size + 1) return FailErrno(EFAULT);
  memcpy(buffer, name, size + 1);
  return 0;
}

}  // namespace plat::net
