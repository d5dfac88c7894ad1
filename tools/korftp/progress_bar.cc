// Redrawn in place with a carriage return; its own line ends when the transfer's
// seconds (509) arrive, and it is erased whenever a text line must go out first.
#include "progress_bar.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>

#include "platform/winbase.h"

namespace {

constexpr int kBarWidth = 30;
constexpr DWORD kProgressPeriodMs = 1000;

void Draw(ProgressBar* bar, LONG seconds) {
  char cells[kBarWidth + 1];
  char percent[8] = "";
  if (bar->expected > 0) {
    int64_t done = std::min<int64_t>(bar->bytes, bar->expected);
    int filled = (int)(done * kBarWidth / bar->expected);
    for (int i = 0; i < kBarWidth; ++i)
      cells[i] = i < filled ? '#' : '.';
    snprintf(percent, sizeof percent, "%3d%%", (int)(done * 100 / bar->expected));
  } else {
    // Size unknown: a marker that moves with every report.
    int at = (int)(bar->updates % (2 * (kBarWidth - 3)));
    if (at >= kBarWidth - 3) at = 2 * (kBarWidth - 3) - at;
    for (int i = 0; i < kBarWidth; ++i)
      cells[i] = i >= at && i < at + 3 ? "<=>"[i - at] : ' ';
    snprintf(percent, sizeof percent, "   ?");
  }
  cells[kBarWidth] = 0;
  double elapsed = seconds >= 0
                       ? (seconds ? seconds : 1)
                       : std::max<double>((GetTickCount() - bar->startTick) / 1000.0, 0.001);
  fprintf(stderr, "\r\033[K[%s] %s %lld bytes %.1f KB/s", cells, percent, (long long)bar->bytes,
          bar->bytes / 1024.0 / elapsed);
  if (seconds >= 0) fprintf(stderr, " in %ld s", (long)seconds);
  fflush(stderr);
  bar->visible = true;
}

}  // namespace

void InitProgressBar(ProgressBar* bar) {
  *bar = ProgressBar{};
  bar->enabled = isatty(2);
}

void ProgressNumber(ProgressBar* bar, WORD code, LONG value) {
  switch (code) {
    case 515:
      bar->expectedRemainder = value;
      return;
    case 507:
      bar->expected = (int64_t)value * 1024 + bar->expectedRemainder;
      return;
    case 514:
      bar->remainder = value;
      return;
    case 508:
      if (!bar->active) {
        // The first count comes a progress period after the transfer began.
        bar->active = true;
        bar->startTick = GetTickCount() - kProgressPeriodMs;
      }
      bar->bytes = (int64_t)value * 1024 + bar->remainder;
      bar->updates++;
      if (bar->enabled) Draw(bar, -1);
      return;
    case 509: {
      if (bar->enabled && bar->active) {
        Draw(bar, value);
        fputc('\n', stderr);
      }
      bool enabled = bar->enabled;
      *bar = ProgressBar{};
      bar->enabled = enabled;
      return;
    }
  }
}

void HideProgressBar(ProgressBar* bar) {
  if (!bar->visible) return;
  fputs("\r\033[K", stderr);
  fflush(stderr);
  bar->visible = false;
}

void RedrawProgressBar(ProgressBar* bar) {
  if (bar->enabled && bar->active && !bar->visible) Draw(bar, -1);
}
