// poll(2) is O(n) in the registered descriptors; a process here watches a handful
// (a few sockets, the desktop endpoint, a display connection), so that is fine.
#include "win/reactor.h"

#include <errno.h>

#include <utility>

namespace plat::win {

Reactor& TheReactor() {
  static Reactor reactor;
  return reactor;
}

Reactor::Entry* Reactor::Find(int fd) {
  for (Entry& e : entries_) {
    if (e.fd == fd) return &e;
  }
  return nullptr;
}

void Reactor::Watch(int fd, short events, Handler handler) {
  if (Entry* e = Find(fd)) {
    e->events = events;
    e->serial = nextSerial_++;
    e->handler = std::move(handler);
    return;
  }
  entries_.push_back(Entry{fd, events, nextSerial_++, std::move(handler)});
}

void Reactor::SetEvents(int fd, short events) {
  if (Entry* e = Find(fd)) e->events = events;
}

void Reactor::Unwatch(int fd) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->fd == fd) {
      entries_.erase(it);
      return;
    }
  }
}

bool Reactor::IsWatched(int fd) const {
  for (const Entry& e : entries_) {
    if (e.fd == fd) return true;
  }
  return false;
}

int Reactor::Wait(int timeoutMs, pollfd* extra, size_t extraCount) {
  if (timeoutMs != 0 && beforeSleep_) {
    std::function<bool()> hook = beforeSleep_;  // the hook may wait again
    if (hook()) timeoutMs = 0;
  }
  std::vector<pollfd> fds;
  std::vector<uint64_t> serials;
  fds.reserve(entries_.size() + extraCount);
  for (size_t i = 0; i < extraCount; ++i) {
    extra[i].revents = 0;
    fds.push_back(extra[i]);
  }
  for (const Entry& e : entries_) {
    if (e.events == 0) continue;
    fds.push_back(pollfd{e.fd, e.events, 0});
    serials.push_back(e.serial);
  }
  int n = poll_(fds.data(), fds.size(), timeoutMs);
  if (n <= 0) return n < 0 && errno != EINTR ? -1 : 0;

  int readyExtra = 0;
  for (size_t i = 0; i < extraCount; ++i) {
    extra[i].revents = fds[i].revents;
    if (fds[i].revents) ++readyExtra;
  }
  // Handlers may watch, unwatch or wait again; each one is looked up afresh and
  // skipped if its registration changed since the poll.
  for (size_t i = extraCount; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    Entry* e = Find(fds[i].fd);
    if (!e || e->serial != serials[i - extraCount] || !(e->events & fds[i].events)) continue;
    Handler handler = e->handler;
    handler(fds[i].revents);
  }
  return readyExtra;
}

}  // namespace plat::win
