// Records of the headless backend. Records are capped so that a server running
// headless for months does not grow without end.
#include "gui/headless_display.h"

#include <stdio.h>
#include <string.h>

#include "platform/winuser.h"

namespace plat::gui {

namespace {

template <typename T>
void Keep(std::vector<T>* records, T record) {
  if (records->size() >= HeadlessDisplay::kKeptRecords) records->erase(records->begin());
  records->push_back(std::move(record));
}

int Confirmation(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_RETRYCANCEL:
      return IDRETRY;
    case MB_ABORTRETRYIGNORE:
      return IDIGNORE;
  }
  return IDOK;
}

std::vector<std::pair<std::string, std::string>> Filters(const char* list) {
  std::vector<std::pair<std::string, std::string>> filters;
  while (list && *list) {
    std::string description = list;
    list += description.size() + 1;
    std::string pattern = list;
    list += pattern.size() + 1;
    filters.emplace_back(description, pattern);
  }
  return filters;
}

}  // namespace

bool HeadlessDisplay::MessageBox(HWND owner, const char* text, const char* caption, UINT type,
                                 int* answer) {
  *answer = Confirmation(type);
  fprintf(stderr, "%s: %s\n", caption, text);
  fflush(stderr);
  Keep(&messageBoxes_, MessageBoxSeen{owner, text, caption, type, *answer});
  return true;
}

void HeadlessDisplay::Beep(UINT type) {
  Keep(&beeps_, type);
}

BOOL HeadlessDisplay::GetOpenFileName(OPENFILENAME* ofn) {
  Keep(&openFiles_, OpenFileSeen{ofn->hwndOwner, ofn->lpstrTitle ? ofn->lpstrTitle : "",
                                 ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "", ofn->lpstrFile,
                                 Filters(ofn->lpstrFilter), ofn->Flags});
  if (openFileAnswers_.empty()) return FALSE;
  std::optional<std::string> answer = openFileAnswers_.front();
  openFileAnswers_.pop_front();
  if (!answer || answer->size() + 1 > ofn->nMaxFile) return FALSE;
  memcpy(ofn->lpstrFile, answer->c_str(), answer->size() + 1);
  size_t name = answer->find_last_of("\\/");
  name = name == std::string::npos ? 0 : name + 1;
  size_t dot = answer->find('.', name);
  ofn->nFileOffset = (WORD)name;
  ofn->nFileExtension = (WORD)(dot == std::string::npos ? answer->size() : dot + 1);
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    snprintf(ofn->lpstrFileTitle, ofn->nMaxFileTitle, "%s", answer->c_str() + name);
  }
  return TRUE;
}

void HeadlessDisplay::Drawn(HWND hwnd, const plat::gdi::DrawList& ops) {
  Drawing& d = drawing_[hwnd];
  if (d.sessions.size() >= kKeptSessions) d.sessions.pop_front();
  d.sessions.push_back(ops);
  d.picture.Add(ops);
}

void HeadlessDisplay::WindowDestroyed(HWND hwnd) {
  drawing_.erase(hwnd);
}

void HeadlessDisplay::ModalLoopIdle(HWND dialog) {
  if (actions_.empty()) return;
  std::function<void(HWND)> action = std::move(actions_.front());
  actions_.pop_front();
  action(dialog);
}

void HeadlessDisplay::AnswerOpenFile(std::optional<std::string> path) {
  openFileAnswers_.push_back(std::move(path));
}

void HeadlessDisplay::WhenDialogIdle(std::function<void(HWND)> action) {
  actions_.push_back(std::move(action));
}

std::vector<plat::gdi::DrawList> HeadlessDisplay::Sessions(HWND hwnd) const {
  auto it = drawing_.find(hwnd);
  if (it == drawing_.end()) return {};
  return std::vector<plat::gdi::DrawList>(it->second.sessions.begin(), it->second.sessions.end());
}

plat::gdi::DrawList HeadlessDisplay::Picture(HWND hwnd) const {
  auto it = drawing_.find(hwnd);
  return it == drawing_.end() ? plat::gdi::DrawList{} : it->second.picture.Ops();
}

void HeadlessDisplay::Forget() {
  messageBoxes_.clear();
  beeps_.clear();
  openFiles_.clear();
  openFileAnswers_.clear();
  actions_.clear();
  drawing_.clear();
}

}  // namespace plat::gui
