// Cross-process SendMessage round trips per second, against a raw Unix datagram
// ping-pong between two processes measured in the same run (the floor of any
// design that crosses processes by messages). Prints both rates and their ratio.
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "platform/windows.h"

namespace {

constexpr UINT kEcho = WM_USER + 1;
constexpr int kRounds = 20000;
constexpr int kTrials = 5;  // alternating, so both sides see the same machine load

double Seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double RawPingPong() {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_DGRAM, 0, pair) != 0) return 0;
  pid_t child = fork();
  char byte[64] = {};
  if (child == 0) {
    close(pair[0]);
    while (recv(pair[1], byte, sizeof byte, 0) > 0)
      send(pair[1], byte, 64, 0);
    _exit(0);
  }
  close(pair[1]);
  double start = Seconds();
  for (int i = 0; i < kRounds; ++i) {
    send(pair[0], byte, 64, 0);
    recv(pair[0], byte, sizeof byte, 0);
  }
  double rate = kRounds / (Seconds() - start);
  send(pair[0], byte, 0, 0);  // an empty datagram ends the echo: datagrams have no end of file
  close(pair[0]);
  waitpid(child, nullptr, 0);
  return rate;
}

LRESULT CALLBACK PeerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEcho) return (LRESULT)wParam + 1;
  if (message == WM_CLOSE) PostQuitMessage(0);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

int Peer() {
  if (!plat::ipc::JoinDesktop()) return 1;
  WNDCLASS wc{};
  wc.lpfnWndProc = PeerProc;
  wc.lpszClassName = "BenchPeer";
  RegisterClass(&wc);
  CreateWindow("BenchPeer", "", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, nullptr, nullptr, nullptr,
               nullptr);
  printf("ready\n");
  fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  return 0;
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

double SendMessageRoundTrips(HWND peer) {
  double start = Seconds();
  LRESULT sum = 0;
  for (int i = 0; i < kRounds; ++i)
    sum += SendMessage(peer, kEcho, (WPARAM)i, 0);
  double rate = kRounds / (Seconds() - start);
  if (sum != (LRESULT)kRounds * (kRounds + 1) / 2) fprintf(stderr, "wrong answers\n");
  return rate;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "peer") == 0) return Peer();
  char dir[] = "/tmp/bench-desktop-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("PLATFORM_DESKTOP", dir, 1);
  int out[2];
  if (!plat::ipc::JoinDesktop() || pipe(out) != 0) return 1;
  pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    execl(argv[0], argv[0], "peer", (char*)nullptr);
    _exit(127);
  }
  char ready[8] = {};
  if (read(out[0], ready, 6) != 6) return 1;
  HWND peer = FindWindow("BenchPeer", nullptr);

  std::vector<double> raws, ours;
  for (int trial = 0; trial < kTrials; ++trial) {
    raws.push_back(RawPingPong());
    ours.push_back(SendMessageRoundTrips(peer));
  }
  PostMessage(peer, WM_CLOSE, 0, 0);
  waitpid(child, nullptr, 0);
  nftw(dir, RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);

  double raw = Median(raws);
  double mine = Median(ours);
  printf("raw Unix datagram ping-pong:     %10.0f round trips/s\n", raw);
  printf("cross-process SendMessage:       %10.0f round trips/s\n", mine);
  printf("ratio SendMessage / ping-pong:   %10.2f (target >= 0.50; medians of %d trials)\n",
         raw > 0 ? mine / raw : 0, kTrials);
  return 0;
}
