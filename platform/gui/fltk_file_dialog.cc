// The open-file dialog: FLTK's file chooser on host paths, shown while the
// layer's own loop keeps serving the program (the chooser runs no loop). Paths
// cross the drive map both ways: the initial directory is a Windows path, and
// the answer must lie on a mapped drive. A chosen path whose directory (or,
// with OFN_FILEMUSTEXIST, whose file) is missing is refused with a message box
// and the chooser shows again, as Win32's dialog stays open.
#include <FL/Fl_File_Chooser.H>
#include <stdio.h>
#include <string.h>

#include <string>

#include "fs/host_path.h"
#include "gui/fltk_display.h"
#include "platform/direct.h"
#include "platform/windows.h"

namespace plat::gui::fltk {

namespace {

// "Log Files(*.log)\0*.log\0" becomes "Log Files (*.log)"; "*.a;*.b" a {} choice.
std::string Filters(const char* list) {
  std::string out;
  while (list && *list) {
    std::string description = list;
    list += description.size() + 1;
    std::string pattern = list;
    list += pattern.size() + 1;
    size_t paren = description.find('(');
    if (paren != std::string::npos) description.erase(paren);
    while (!description.empty() && description.back() == ' ')
      description.pop_back();
    if (pattern.find(';') != std::string::npos) {
      for (char& c : pattern)
        c = c == ';' ? ',' : c;
      pattern = "{" + pattern + "}";
    }
    if (!out.empty()) out += '\t';
    out += description + " (" + pattern + ")";
  }
  return out;
}

std::string HostDirOf(const char* winDir) {
  std::string host;
  if (winDir && *winDir && plat::fs::DirectoryForChooser(winDir, &host)) return host;
  char cwd[MAX_PATH] = {};
  if (_getcwd(cwd, sizeof cwd) && plat::fs::DirectoryForChooser(cwd, &host)) return host;
  return "/";
}

// Why the path can't be taken, or null when it can. The chooser answers host
// text; once it is a Windows path the checks go through the layer like every
// later use of the file, so they see what the program will see.
const char* Refusal(const std::string& host, DWORD flags, std::string* winPath) {
  if (!plat::fs::WindowsPathOf(host, winPath)) return "The file is on no drive of this program.";
  std::string dir = winPath->substr(0, winPath->find_last_of('\\') + 1);
  DWORD dirAttributes = GetFileAttributes(dir.c_str());
  bool dirExists =
      dirAttributes != INVALID_FILE_ATTRIBUTES && (dirAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !dirExists)
    return "Path does not exist.\nCheck the path and try again.";
  if ((flags & OFN_FILEMUSTEXIST) && GetFileAttributes(winPath->c_str()) == INVALID_FILE_ATTRIBUTES)
    return "File not found.\nCheck the file name and try again.";
  return nullptr;
}

void Answer(OPENFILENAME* ofn, const std::string& path) {
  memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
  size_t name = path.find_last_of("\\/");
  name = name == std::string::npos ? 0 : name + 1;
  size_t dot = path.find('.', name);
  ofn->nFileOffset = (WORD)name;
  ofn->nFileExtension = (WORD)(dot == std::string::npos ? path.size() : dot + 1);
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0)
    snprintf(ofn->lpstrFileTitle, ofn->nMaxFileTitle, "%s", path.c_str() + name);
}

}  // namespace

BOOL FltkDisplay::GetOpenFileName(OPENFILENAME* ofn) {
  std::string directory = HostDirOf(ofn->lpstrInitialDir);
  Fl_File_Chooser chooser(
      directory.c_str(), Filters(ofn->lpstrFilter).c_str(),
      (ofn->Flags & OFN_FILEMUSTEXIST) ? Fl_File_Chooser::SINGLE : Fl_File_Chooser::CREATE,
      ofn->lpstrTitle ? ofn->lpstrTitle : "Open");
  chooser.preview(0);
  if (ofn->nFilterIndex > 0) chooser.filter_value((int)ofn->nFilterIndex - 1);
  HWND owner = ofn->hwndOwner;
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);
  BOOL result = FALSE;
  bool quit = false;
  while (!quit) {
    chooser.show();
    WakeWhen([&chooser] { return !chooser.shown(); });
    MSG msg;
    while (chooser.shown()) {
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        PostQuitMessage((int)msg.wParam);  // for the loop outside
        chooser.hide();
        quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    WakeWhen(nullptr);
    if (quit || !chooser.value()) break;
    std::string host = chooser.value();
    std::string winPath;
    if (const char* refusal = Refusal(host, ofn->Flags, &winPath)) {
      ::MessageBox(owner, refusal, ofn->lpstrTitle ? ofn->lpstrTitle : "Open",
                   MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    if (winPath.size() + 1 > ofn->nMaxFile) break;
    Answer(ofn, winPath);
    result = TRUE;
    break;
  }
  if (disabledOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
  return result;
}

}  // namespace plat::gui::fltk
