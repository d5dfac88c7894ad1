// Storage of classes and windows. Slots are reused, their generation grows on each
// reuse; the generation of a new slot starts at a per-process random value so that
// a handle of a dead process is unlikely to name a window of its pid's next owner.
#include "win/window_table.h"

#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <memory>

#include "win/system_metrics.h"

namespace plat::win {

namespace {

struct Slot {
  std::unique_ptr<Window> window;
  uint16_t generation = 0;
};

// Never destroyed: a process ends with its windows still there, as in Win32,
// and what their words point at (control records, program records) must stay
// reachable rather than be torn down by static destructors.
auto& classes = *new std::vector<std::unique_ptr<WindowClass>>;
auto& slots = *new std::vector<Slot>;
auto& freeSlots = *new std::vector<size_t>;

uint16_t FirstGeneration() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return (uint16_t)((now.tv_nsec >> 10) ^ getpid());
}

uint32_t ProcessId() {
  static const uint32_t pid = (uint32_t)getpid();
  return pid;
}

HWND MakeHandle(size_t index, uint16_t generation) {
  uint64_t value = ((uint64_t)ProcessId() << 32) | ((uint64_t)generation << 16) | (index + 1);
  return (HWND)(uintptr_t)value;
}

}  // namespace

WindowClass* FindClass(const char* name) {
  if (!name) return nullptr;
  for (auto& c : classes) {
    if (strcasecmp(c->name.c_str(), name) == 0) return c.get();
  }
  // The system classes appear the first time a class is missed, as if they had
  // always been there.
  static bool systemRegistered = false;
  if (!systemRegistered && Hooks().registerSystemClasses) {
    systemRegistered = true;
    Hooks().registerSystemClasses();
    return FindClass(name);
  }
  return nullptr;
}

WindowClass* AddClass(const WNDCLASS& wc, bool system) {
  auto c = std::make_unique<WindowClass>();
  c->name = wc.lpszClassName;
  c->wc = wc;
  c->wc.lpszClassName = c->name.c_str();
  // A menu name below 65536 is an integer resource id, not a string.
  if (wc.lpszMenuName && (uintptr_t)wc.lpszMenuName >= 0x10000) {
    c->menuName = wc.lpszMenuName;
    c->wc.lpszMenuName = c->menuName.c_str();
  }
  c->extra.assign(wc.cbClsExtra > 0 ? (size_t)wc.cbClsExtra : 0, 0);
  c->system = system;
  classes.push_back(std::move(c));
  return classes.back().get();
}

bool RemoveClass(const char* name) {
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (strcasecmp((*it)->name.c_str(), name) == 0) {
      if ((*it)->windows > 0) return false;
      classes.erase(it);
      return true;
    }
  }
  return false;
}

bool IsLocalHandle(HWND hwnd) {
  return ((uint64_t)(uintptr_t)hwnd >> 32) == ProcessId();
}

Window* FindWindowRecord(HWND hwnd) {
  uint64_t value = (uint64_t)(uintptr_t)hwnd;
  if (!hwnd || (value >> 32) != ProcessId()) return nullptr;
  size_t index = (size_t)(value & 0xffff);
  if (index == 0 || index > slots.size()) return nullptr;
  Slot& s = slots[index - 1];
  if (!s.window || s.generation != (uint16_t)(value >> 16)) return nullptr;
  return s.window.get();
}

Window* NewWindowRecord() {
  size_t index;
  if (!freeSlots.empty()) {
    index = freeSlots.back();
    freeSlots.pop_back();
    slots[index].generation++;
  } else {
    if (slots.size() >= 0xffff) return nullptr;
    index = slots.size();
    slots.push_back(Slot{nullptr, (uint16_t)(FirstGeneration() + index)});
  }
  if (slots[index].generation == 0) slots[index].generation = 1;
  slots[index].window = std::make_unique<Window>();
  slots[index].window->handle = MakeHandle(index, slots[index].generation);
  return slots[index].window.get();
}

void FreeWindowRecord(Window* w) {
  size_t index = (size_t)((uint64_t)(uintptr_t)w->handle & 0xffff) - 1;
  slots[index].window.reset();
  freeSlots.push_back(index);
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> result;
  for (auto& s : slots) {
    if (s.window && !(s.window->style & WS_CHILD) && !s.window->destroying)
      result.push_back(s.window->handle);
  }
  return result;
}

RECT NonClientInsets(const Window& w) {
  RECT in{0, 0, 0, 0};
  int frame = 0;
  if (w.style & WS_THICKFRAME) {
    frame = kFrameWidth;
  } else if ((w.style & WS_CAPTION) == WS_CAPTION || (w.style & WS_DLGFRAME)) {
    frame = kDialogFrameWidth;
  } else if (w.style & WS_BORDER) {
    frame = kBorderWidth;
  }
  in.left = in.right = in.top = in.bottom = frame;
  if ((w.style & WS_CAPTION) == WS_CAPTION) in.top += kCaptionHeight;
  if (w.menu && !(w.style & WS_CHILD)) in.top += kMenuHeight;
  return in;
}

}  // namespace plat::win
