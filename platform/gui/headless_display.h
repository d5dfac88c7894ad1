// The backend without a display, which tests use too: message boxes recorded,
// written to standard error and confirmed; beeps, open-file requests (answered
// as scripted, else cancelled) and drawing recorded; scripted person actions
// run one per idle moment of a modal dialog, as a person acts once it settles.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/display.h"

namespace plat::gui {

class HeadlessDisplay : public Display {
 public:
  struct MessageBoxSeen {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    int answer;
  };
  struct OpenFileSeen {
    HWND owner;
    std::string title;
    std::string initialDir;
    std::string initialFile;
    std::vector<std::pair<std::string, std::string>> filters;  // (description, pattern)
    DWORD flags;
  };

  bool MessageBox(HWND owner, const char* text, const char* caption, UINT type,
                  int* answer) override;
  void Beep(UINT type) override;
  BOOL GetOpenFileName(OPENFILENAME* ofn) override;
  void Drawn(HWND hwnd, const plat::gdi::DrawList& ops) override;
  void WindowDestroyed(HWND hwnd) override;
  void ModalLoopIdle(HWND dialog) override;

  // What a person chooses in the next open-file dialog; nullopt cancels it.
  void AnswerOpenFile(std::optional<std::string> path);
  // What a person does in the next idle moment of a modal dialog.
  void WhenDialogIdle(std::function<void(HWND dialog)> action);
  bool HasPendingActions() const { return !actions_.empty(); }

  const std::vector<MessageBoxSeen>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<UINT>& Beeps() const { return beeps_; }
  const std::vector<OpenFileSeen>& OpenFileDialogs() const { return openFiles_; }
  // The drawing sessions of a window (newest last, the last kKeptSessions),
  // and the picture they leave.
  std::vector<plat::gdi::DrawList> Sessions(HWND hwnd) const;
  plat::gdi::DrawList Picture(HWND hwnd) const;
  void Forget();  // drops every record and script

  static constexpr size_t kKeptSessions = 32;
  static constexpr size_t kKeptRecords = 1000;

 private:
  struct Drawing {
    std::deque<plat::gdi::DrawList> sessions;
    plat::gdi::RetainedPicture picture;
  };

  std::vector<MessageBoxSeen> messageBoxes_;
  std::vector<UINT> beeps_;
  std::vector<OpenFileSeen> openFiles_;
  std::deque<std::optional<std::string>> openFileAnswers_;
  std::deque<std::function<void(HWND)>> actions_;
  std::map<HWND, Drawing> drawing_;
};

// The headless backend instance; installed until another backend is.
HeadlessDisplay& Headless();

}  // namespace plat::gui
