// Anchors by export slot, each opened on first use and opened again when the
// slot's path changed or, checked at most once a second, its directory went.
#include "nfs/export_anchor.h"

#include <cstring>

#include "platform/path_anchor.h"

namespace {

constexpr DWORD kRecheckMs = 1000;

struct HeldAnchor {
  BOOL open;
  HANDLE anchor;
  DWORD checked;
  char path[MAX_PATH];
};

HeldAnchor held[kExportSlots];

void Close(HeldAnchor* slot) {
  if (slot->open) ClosePathAnchor(slot->anchor);
  slot->open = FALSE;
}

BOOL Current(HeldAnchor* slot, const ExportEntry* entry, DWORD now) {
  if (!slot->open || strcmp(slot->path, entry->path) != 0) return FALSE;
  if (now - slot->checked < kRecheckMs) return TRUE;
  if (PathAnchorGone(slot->anchor)) return FALSE;
  slot->checked = now;
  return TRUE;
}

}  // namespace

BOOL ConfineToExport(const ExportEntry* entry) {
  if (!entry || entry->slot >= kExportSlots || strlen(entry->path) >= MAX_PATH) return FALSE;
  HeldAnchor* slot = &held[entry->slot];
  DWORD now = GetTickCount();
  if (!Current(slot, entry, now)) {
    Close(slot);
    HANDLE anchor = OpenPathAnchor(entry->path);
    if (anchor == INVALID_HANDLE_VALUE) return FALSE;
    *slot = {TRUE, anchor, now, ""};
    strcpy(slot->path, entry->path);
  }
  SetPathAnchor(slot->anchor);
  return TRUE;
}

void EndConfinement() {
  SetPathAnchor(INVALID_HANDLE_VALUE);
}

void CloseExportAnchors() {
  for (HeldAnchor& slot : held)
    Close(&slot);
}

void CloseExportAnchor(int slot) {
  if (slot >= 0 && slot < kExportSlots) Close(&held[slot]);
}
