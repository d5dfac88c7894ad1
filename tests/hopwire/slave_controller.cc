#include "tests/hopwire/slave_controller.h"

#include <string.h>

#include <algorithm>

namespace hopwiretest {

namespace {

constexpr WORD kReportLow = 546;
SlaveController* current = nullptr;

}  // namespace

SlaveController::SlaveController() {
  current = this;
  WNDCLASS wc{};
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = "KORFTP-Main";
  RegisterClass(&wc);
  window_ = CreateWindow("KORFTP-Main", "controller", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                         nullptr, nullptr, nullptr);
  const char* names[2] = {"FtpChannel1", "FtpChannel2"};
  for (int i = 0; i < 2; ++i) {
    sections_[i] =
        CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 512, names[i]);
    if (sections_[i])
      views_[i] = (char*)MapViewOfFile(sections_[i], FILE_MAP_ALL_ACCESS, 0, 0, 512);
  }
}

SlaveController::~SlaveController() {
  child_.reset();
  for (int i = 0; i < 2; ++i) {
    if (views_[i]) UnmapViewOfFile(views_[i]);
    if (sections_[i]) CloseHandle(sections_[i]);
  }
  CloseWindow();
  current = nullptr;
}

LRESULT CALLBACK SlaveController::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message != WM_COMMAND || !current) return DefWindowProc(hwnd, message, wParam, lParam);
  WORD low = LOWORD(wParam), code = HIWORD(wParam);
  std::string event;
  if (low != kReportLow) {
    event = std::to_string(wParam);
  } else if (code == 503 || code == 511) {
    const char* view = current->views_[1];
    event = !lParam ? "lost" : view ? std::string(view, strnlen(view, 512)) : "<no channel>";
    if (code == 511) event = "511:" + event;
  } else {
    event = std::to_string(code) + "=" + std::to_string((LONG)lParam);
  }
  current->events_.push_back(event);
  return 0;
}

bool SlaveController::Start(const char* program, const std::string& arguments) {
  child_.reset();  // a slave started before is gone before the next one is looked for
  slave_ = nullptr;
  child_ = std::make_unique<testsupport::ChildProgram>(program, arguments);
  testsupport::ServeUntil([this] { return (slave_ = FindWindow("KORFTP-Slave", nullptr)); }, 10000);
  return slave_ != nullptr;
}

void SlaveController::WriteRequestText(const std::string& text) {
  std::string bytes = text.substr(0, 511);
  bytes.push_back(0);
  WriteRequestBytes(bytes);
}

void SlaveController::WriteRequestBytes(const std::string& bytes) {
  if (views_[0]) memcpy(views_[0], bytes.data(), std::min<size_t>(bytes.size(), 512));
}

void SlaveController::Send(WORD code, const std::string& text) {
  if (code == 500 || code == 503 || code == 511) WriteRequestText(text);
  SendMessage(slave_, WM_COMMAND, MAKEWPARAM(kReportLow, code), 0);
}

Events SlaveController::Run(WORD code, const std::string& text, int timeoutMs) {
  size_t mark = Mark();
  Send(code, text);
  ServeUntil(
      mark, [](const Events& e) { return Count(e, "548") > 0; }, timeoutMs);
  return Since(mark);
}

Events SlaveController::Command(const std::string& text, int timeoutMs) {
  return Run(503, text, timeoutMs);
}

bool SlaveController::ServeUntil(size_t mark, const std::function<bool(const Events&)>& done,
                                 int timeoutMs) {
  return testsupport::ServeUntil([&] { return done(Since(mark)); }, timeoutMs);
}

Events SlaveController::Since(size_t mark) const {
  return Events(events_.begin() + (long)std::min(mark, events_.size()), events_.end());
}

void SlaveController::CloseWindow() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

size_t Count(const Events& events, const std::string& event) {
  return (size_t)std::count(events.begin(), events.end(), event);
}

}  // namespace hopwiretest
