// The controller may write anything into "FtpChannel1", a missing terminator
// included: reading stops at the channel's end, never beyond.
#include "shell/channels.h"

#include <string.h>

#include "hopwire/session_state.h"

namespace {

char* MapChannel(const char* name, HANDLE* section) {
  *section =
      CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kChannelSize, name);
  if (!*section) return nullptr;
  return (char*)MapViewOfFile(*section, FILE_MAP_WRITE, 0, 0, kChannelSize);
}

void UnmapChannel(char** view, HANDLE* section) {
  if (*view) UnmapViewOfFile(*view);
  if (*section) CloseHandle(*section);
  *view = nullptr;
  *section = nullptr;
}

}  // namespace

void OpenChannels() {
  session.requestView = MapChannel("FtpChannel1", &session.requestSection);
  session.outputView = MapChannel("FtpChannel2", &session.outputSection);
}

void CloseChannels() {
  UnmapChannel(&session.requestView, &session.requestSection);
  UnmapChannel(&session.outputView, &session.outputSection);
}

HGLOBAL CopyRequestText() {
  if (!session.requestView) return nullptr;
  size_t length = strnlen(session.requestView, kMaxChannelText);
  HGLOBAL block = GlobalAlloc(GHND, length + 1);
  char* text = block ? (char*)GlobalLock(block) : nullptr;
  if (!text) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  memcpy(text, session.requestView, length);
  GlobalUnlock(block);
  return block;
}
