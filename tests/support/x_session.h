// Test support for programs on a real display: an Xvfb server of the test's own
// (a display number nobody else holds), and what a person at it does and sees,
// through xdotool, xwininfo and xwd. Tests skip when the tools are missing.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

bool HaveTool(const char* tool);
// Standard output of a shell command, trailing blanks and line ends removed.
std::string Output(const std::string& command);
std::vector<std::string> SplitLines(const std::string& text);

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
};

struct Screenshot {
  int width = 0, height = 0;
  size_t colors = 0;  // how many different colours it holds
};

class XSession {
 public:
  // True when Xvfb, xdotool, xwd and xwininfo are there.
  static bool Available();
  // Starts the server, sets DISPLAY and makes the screenshot folder; display()
  // stays empty when no server could be started.
  void Start();
  ~XSession();

  const std::string& display() const { return display_; }
  const std::string& shots() const { return shots_; }

  // The X window with this title (a regular expression anchored at both ends).
  std::string WindowNamed(const std::string& title, bool visible = true, int timeoutMs = 5000);
  bool Viewable(const std::string& id);
  Geometry GeometryOf(const std::string& id);
  // Saves the window into the screenshot folder as name.xwd (and .png when
  // ImageMagick is there) and reads it back.
  Screenshot Shoot(const std::string& id, const std::string& name);
  void Xdo(const std::string& arguments);
  void Click(int x, int y);
  // Lets the program finish what a person's last gesture started (showing a
  // pop-up, taking the grab) before the next input comes.
  static void Settle();

 private:
  std::string display_;
  pid_t xvfb_ = -1;
  std::string shots_;
};

// An xwd dump (ZPixmap, 32 bits per pixel): its size and how many colours it holds.
Screenshot ReadXwd(const std::string& path);

// The pixels of an xwd dump, 0xRRGGBB row by row; empty when it can't be read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[(size_t)y * (size_t)width + (size_t)x]; }
};
Pixels ReadXwdPixels(const std::string& path);

}  // namespace testsupport
