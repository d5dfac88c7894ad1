// Transfer progress for the data transfers and the controller's getx/putx: a
// progress timer reports the byte count at most once a second while a transfer
// runs, and the end of a transfer reports its totals. Nothing of this runs in list
// mode.
#pragma once

#include "platform/windef.h"

enum class PollResult { kGoOn, kAbort };

// Starts counting in session.transferBytes and starts the progress timer.
void TransferStarted();
// Stops the timer and reports 514 (bytes % 1024), 508 (bytes / 1024) and 509
// (milliseconds / 1000).
void TransferFinished(LONG bytes, LONG milliseconds);
// After every block of a transfer: services the timers that a long loop keeps
// from the message loop, and reports "550 Cancelling file transfer" and asks to
// abort once the controller has cancelled.
PollResult PollDuringTransfer();
// The size the controller announces, as "(<number>...": reports 515 and 507.
void ReportExpectedSize(const char* text);

// The progress timer's tick.
void ProgressTick();
