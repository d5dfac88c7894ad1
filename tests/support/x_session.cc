#include "tests/support/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <set>

namespace testsupport {

namespace {

long long NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

uint32_t Big32(const unsigned char* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

}  // namespace

bool HaveTool(const char* tool) {
  std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return system(command.c_str()) == 0;
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, p))
      out += buffer;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
    out.pop_back();
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t nl = text.find('\n', at);
    lines.push_back(text.substr(at, nl - at));
    at = nl == std::string::npos ? text.size() : nl + 1;
  }
  return lines;
}

Pixels ReadXwdPixels(const std::string& path) {
  Pixels pixels;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return pixels;
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  if (bytes.size() < 100) return pixels;
  auto field = [&](int i) { return Big32(&bytes[(size_t)i * 4]); };
  uint32_t header = field(0), bpp = field(11), stride = field(12), ncolors = field(19);
  int width = (int)field(4), height = (int)field(5);
  size_t data = header + (size_t)ncolors * 12;
  if (bpp != 32 || data + (size_t)stride * height > bytes.size()) return pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.rgb.reserve((size_t)width * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &bytes[data + (size_t)y * stride + (size_t)x * 4];
      pixels.rgb.push_back((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16);
    }
  }
  return pixels;
}

Screenshot ReadXwd(const std::string& path) {
  Screenshot shot;
  Pixels pixels = ReadXwdPixels(path);
  shot.width = pixels.width;
  shot.height = pixels.height;
  shot.colors = std::set<uint32_t>(pixels.rgb.begin(), pixels.rgb.end()).size();
  return shot;
}

bool XSession::Available() {
  return HaveTool("Xvfb") && HaveTool("xdotool") && HaveTool("xwd") && HaveTool("xwininfo");
}

// A display number of this test's own, tried until one is free: servers left to
// choose race each other when tests start together.
void XSession::Start() {
  for (int attempt = 0; attempt < 20 && display_.empty(); ++attempt) {
    int number = 200 + (getpid() + attempt * 37) % 700;
    std::string name = ":" + std::to_string(number);
    if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_ = fork();
    if (xvfb_ == 0) {
      close(fds[0]);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", (char*)nullptr);
      _exit(127);
    }
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    char written[16] = {};
    bool ready = poll(&p, 1, 10000) > 0 && read(fds[0], written, sizeof written - 1) > 0;
    close(fds[0]);
    // A server that lost the race for the number ends; another's must not be taken.
    ready = ready && waitpid(xvfb_, nullptr, WNOHANG) == 0 && atoi(written) == number;
    // Taken only once a client connects.
    for (long long end = NowMs() + 5000; ready && NowMs() < end; usleep(100000)) {
      std::string probe = "DISPLAY=" + name + " xdotool getdisplaygeometry >/dev/null 2>&1";
      if (system(probe.c_str()) == 0) {
        display_ = name;
        break;
      }
    }
    if (!display_.empty()) break;
    kill(xvfb_, SIGKILL);
    waitpid(xvfb_, nullptr, 0);
    xvfb_ = -1;
  }
  if (display_.empty()) return;
  setenv("DISPLAY", display_.c_str(), 1);
  shots_ = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/display-shots-" +
           std::to_string(getpid());
  mkdir(shots_.c_str(), 0755);
  printf("screenshots in %s (display %s)\n", shots_.c_str(), display_.c_str());
}

XSession::~XSession() {
  if (xvfb_ > 0) {
    kill(xvfb_, SIGTERM);
    waitpid(xvfb_, nullptr, 0);
  }
}

std::string XSession::WindowNamed(const std::string& title, bool visible, int timeoutMs) {
  long long end = NowMs() + timeoutMs;
  while (NowMs() < end) {
    std::string id = Output("xdotool search " + std::string(visible ? "--onlyvisible " : "") +
                            "--name '^" + title + "$' 2>/dev/null | head -1");
    if (!id.empty()) return id;
    usleep(50000);
  }
  return "";
}

bool XSession::Viewable(const std::string& id) {
  return Output("xwininfo -id " + id + " | grep 'Map State'").find("IsViewable") !=
         std::string::npos;
}

Geometry XSession::GeometryOf(const std::string& id) {
  Geometry g;
  std::string out = Output("xwininfo -id " + id);
  auto value = [&](const char* key) {
    size_t at = out.find(key);
    return at == std::string::npos ? 0 : atoi(out.c_str() + at + strlen(key));
  };
  g.x = value("Absolute upper-left X:");
  g.y = value("Absolute upper-left Y:");
  g.width = value("Width:");
  g.height = value("Height:");
  return g;
}

Screenshot XSession::Shoot(const std::string& id, const std::string& name) {
  usleep(300000);  // the last drawing reaches the server
  std::string path = shots_ + "/" + name + ".xwd";
  Output("xwd -silent -id " + id + " -out " + path);
  if (access("/usr/bin/convert", X_OK) == 0)
    Output("/usr/bin/convert " + path + " " + shots_ + "/" + name + ".png");
  return ReadXwd(path);
}

void XSession::Xdo(const std::string& arguments) {
  Output("xdotool " + arguments);
}

void XSession::Click(int x, int y) {
  Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

void XSession::Settle() {
  usleep(300000);
}

}  // namespace testsupport
