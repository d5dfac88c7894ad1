// Test support: a thread that swaps pairs of host names with renameat2
// RENAME_EXCHANGE (a directory and a symbolic link, say) over and over, a
// bounded number of times, until it is stopped.
#pragma once

#include <fcntl.h>
#include <stdio.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class SwapLoop {
 public:
  SwapLoop(std::vector<std::pair<std::string, std::string>> pairs, long rounds)
      : pairs_(std::move(pairs)), thread_([this, rounds] {
          for (long i = 0; i < rounds && !stop_; ++i) {
            for (const auto& [a, b] : pairs_) {
              if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0)
                ++swaps_;
            }
          }
        }) {}
  ~SwapLoop() { Stop(); }

  // Stops the loop; the number of swaps done.
  long Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return swaps_;
  }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::atomic<bool> stop_{false};
  long swaps_ = 0;
  std::thread thread_;
};
