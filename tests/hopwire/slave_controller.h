// The controller's side of the slave's channel, played by the test process: a
// window of class "KORFTP-Main" on a desktop of the test's own that records every
// report, the two channels, and the slave as a child program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/support/desktop_peers.h"

namespace hopwiretest {

// One report as the controller's window received it, in a form tests compare:
// "547" and "548" for the notices, the text of a line report ("511:" before it in
// list mode, "lost" for one without text), "<code>=<value>" for numbers.
using Events = std::vector<std::string>;

class SlaveController {
 public:
  SlaveController();
  ~SlaveController();

  bool joined() const { return desktop_.joined(); }
  const std::string& desktopDir() const { return desktop_.dir(); }

  // Starts the slave (ending one started before) and waits for its window.
  bool Start(const char* program, const std::string& arguments = "");
  testsupport::ChildProgram& child() { return *child_; }
  HWND slave() const { return slave_; }

  // Writes the request channel: the text and its terminator, or raw bytes.
  void WriteRequestText(const std::string& text);
  void WriteRequestBytes(const std::string& bytes);
  // One request (546 in the low word); texts go into the channel first.
  void Send(WORD code, const std::string& text = "");
  // Sends and serves until the request's 548; the events since the send.
  Events Run(WORD code, const std::string& text = "", int timeoutMs = 10000);
  // A command line (503), with its events.
  Events Command(const std::string& text, int timeoutMs = 10000);

  // Serves until the events since `mark` satisfy `done`.
  bool ServeUntil(size_t mark, const std::function<bool(const Events&)>& done,
                  int timeoutMs = 10000);
  size_t Mark() const { return events_.size(); }
  Events Since(size_t mark) const;

  // The controller goes away (its window, so the slave no longer finds it).
  void CloseWindow();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  testsupport::PrivateDesktop desktop_;
  HWND window_ = nullptr;
  HWND slave_ = nullptr;
  HANDLE sections_[2] = {};
  char* views_[2] = {};
  std::unique_ptr<testsupport::ChildProgram> child_;
  Events events_;
};

// How many times `event` occurs.
size_t Count(const Events& events, const std::string& event);

}  // namespace hopwiretest
