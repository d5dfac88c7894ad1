// Lines per second from the slave to its controller: each line is one synchronous
// cross-process WM_COMMAND with the text in the shared channel, as the slave must
// report. Measured three ways in one run, on a desktop of its own, medians of
// alternating trials:
//   - the layer's raw cross-process SendMessage round trips to the slave's window
//     (a WM_COMMAND it ignores), the floor of any one-message-per-line design;
//   - lines reported by the slave to this process playing the controller;
//   - lines through korftp to /dev/null, start-up taken out by a run with no lines.
// Usage: report_lines_bench [PROBE KORFTP] (default: the ones built beside it)
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ipc/desktop.h"
#include "platform/windows.h"

namespace {

constexpr int kLines = 20000;
constexpr int kTrials = 5;
constexpr int kKorftpTrials = 3;

long linesSeen = 0;
bool requestDone = false;
char* outputView = nullptr;
char lastLine[512];

double Seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

LRESULT CALLBACK ControllerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND) return DefWindowProc(hwnd, message, wParam, lParam);
  if (wParam == 548) {
    requestDone = true;
    PostMessage(hwnd, WM_NULL, 0, 0);  // a sent message leaves GetMessage waiting: wake it
  }
  if (LOWORD(wParam) == 546 && HIWORD(wParam) == 503 && lParam && outputView) {
    size_t n = strnlen(outputView, sizeof lastLine - 1);  // what a controller does with it
    memcpy(lastLine, outputView, n);
    lastLine[n] = 0;
    linesSeen++;
  }
  return 0;
}

void ServeUntilDone() {
  MSG msg;
  while (!requestDone && GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
}

double RawSends(HWND slave) {
  double start = Seconds();
  for (int i = 0; i < kLines; ++i)
    SendMessage(slave, WM_COMMAND, MAKEWPARAM(0, 0), 0);
  return kLines / (Seconds() - start);
}

double ReportedLines(HWND slave, char* requestView) {
  snprintf(requestView, 512, "probe lines %d", kLines);
  linesSeen = 0;
  requestDone = false;
  double start = Seconds();
  SendMessage(slave, WM_COMMAND, MAKEWPARAM(546, 503), 0);
  ServeUntilDone();
  double elapsed = Seconds() - start;
  if (linesSeen != kLines + 1) fprintf(stderr, "saw %ld lines\n", linesSeen);
  return kLines / elapsed;
}

double KorftpRun(const char* korftp, const char* probe, const char* desktop, int lines) {
  std::string command = std::string("PLATFORM_DESKTOP=") + desktop + "/korftp " + korftp + " -s " +
                        probe + " -c 'probe lines " + std::to_string(lines) + "' >/dev/null 2>&1";
  double start = Seconds();
  if (system(command.c_str()) != 0) fprintf(stderr, "korftp failed\n");
  return Seconds() - start;
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  const char* probe = argc == 3 ? argv[1] : PROBE;
  const char* korftp = argc == 3 ? argv[2] : KORFTP;
  if (argc != 1 && argc != 3) {
    fprintf(stderr, "usage: report_lines_bench [PROBE KORFTP]\n");
    return 2;
  }
  char dir[] = "/tmp/bench-desktop-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("PLATFORM_DESKTOP", dir, 1);
  if (!plat::ipc::JoinDesktop()) return 1;
  WNDCLASS wc{};
  wc.lpfnWndProc = ControllerProc;
  wc.lpszClassName = "KORFTP-Main";
  RegisterClass(&wc);
  CreateWindow("KORFTP-Main", "", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, nullptr, nullptr, nullptr,
               nullptr);
  HANDLE sections[2];
  char* views[2];
  const char* names[2] = {"FtpChannel1", "FtpChannel2"};
  for (int i = 0; i < 2; ++i) {
    sections[i] =
        CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 512, names[i]);
    views[i] = (char*)MapViewOfFile(sections[i], FILE_MAP_ALL_ACCESS, 0, 0, 512);
  }
  outputView = views[1];

  pid_t child = fork();
  if (child == 0) {
    execl(probe, probe, (char*)nullptr);
    _exit(127);
  }
  HWND slave = nullptr;
  for (int i = 0; i < 1000 && !(slave = FindWindow("KORFTP-Slave", nullptr)); ++i)
    usleep(10 * 1000);
  if (!slave) return 1;

  std::vector<double> raws, lines;
  for (int trial = 0; trial < kTrials; ++trial) {
    raws.push_back(RawSends(slave));
    lines.push_back(ReportedLines(slave, views[0]));
  }
  PostMessage(slave, WM_CLOSE, 0, 0);
  waitpid(child, nullptr, 0);

  // korftp needs a desktop without this controller on it.
  std::string korftpDesktop = std::string(dir) + "/korftp";
  mkdir(korftpDesktop.c_str(), 0700);
  std::vector<double> korftpRates;
  for (int trial = 0; trial < kKorftpTrials; ++trial) {
    double empty = KorftpRun(korftp, probe, dir, 0);
    double full = KorftpRun(korftp, probe, dir, kLines);
    korftpRates.push_back(kLines / std::max(full - empty, 1e-6));
  }
  nftw(dir, RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);

  double raw = Median(raws), reported = Median(lines), viaKorftp = Median(korftpRates);
  printf("raw cross-process SendMessage:      %10.0f round trips/s\n", raw);
  printf("lines reported to a controller:     %10.0f lines/s (%.2f of raw)\n", reported,
         raw > 0 ? reported / raw : 0);
  printf("lines through korftp to /dev/null:  %10.0f lines/s (%.2f of raw)\n", viaKorftp,
         raw > 0 ? viaKorftp / raw : 0);
  printf("(%d lines a trial; medians of %d, %d trials)\n", kLines, kTrials, kKorftpTrials);
  return 0;
}
