// The one wait of a process: poll(2) over every descriptor that can produce a
// message (sockets with asynchronous notification, the desktop endpoint, the
// display connection, signals). GetMessage, the blocking socket calls and the
// nested loops of SendMessage all sleep here, so nothing ever busy-waits.
// Handlers are level-triggered hints: a nested Wait may already have consumed
// what made a descriptor ready, so handlers read without blocking.
#pragma once

#include <poll.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace plat::win {

class Reactor {
 public:
  using Handler = std::function<void(short revents)>;

  // Registers (or replaces) the handler of fd; events 0 keeps it but stops polling it.
  void Watch(int fd, short events, Handler handler);
  void SetEvents(int fd, short events);
  void Unwatch(int fd);
  bool IsWatched(int fd) const;

  // Runs before every wait that may sleep. A display connection uses it to flush
  // its drawing and to handle events its library has already read off the
  // socket (poll would not see those); true means there is work now, and the
  // wait then only looks without sleeping.
  void SetBeforeSleep(std::function<bool()> hook) { beforeSleep_ = std::move(hook); }

  // Sleeps until a watched descriptor or one of `extra` is ready, or timeoutMs passes
  // (-1: no limit). Runs the handlers of the ready watched descriptors, fills the
  // revents of `extra` and returns how many of them are ready (0 on timeout, or
  // when a signal interrupted the wait); -1 with errno when poll failed otherwise.
  int Wait(int timeoutMs, pollfd* extra = nullptr, size_t extraCount = 0);

  // Tests put a failing poll in place; nullptr puts the system's back.
  using PollProcedure = int (*)(pollfd* fds, nfds_t count, int timeoutMs);
  void SetPollProcedure(PollProcedure procedure) { poll_ = procedure ? procedure : ::poll; }

 private:
  struct Entry {
    int fd;
    short events;
    uint64_t serial;  // tells a re-registered descriptor from the one that was polled
    Handler handler;
  };
  Entry* Find(int fd);

  std::vector<Entry> entries_;
  std::function<bool()> beforeSleep_;
  uint64_t nextSerial_ = 1;
  PollProcedure poll_ = ::poll;
};

Reactor& TheReactor();

}  // namespace plat::win
