// How the slave ends: the watchdog finds the controller gone, or the window is
// destroyed. Nothing waits for a peer on the way out: every network wait from then
// on is cancelled, so a silent server or a vanished controller cannot keep the
// process alive.
#pragma once

// Stops the watchdog, cancels the network wait in progress, ends the session (at
// once, or when the running request has unwound) and posts the quit message.
void EndSlave();

// Ends the session with every network wait cancelled; for the end of the last
// request once the slave is ending.
void EndSessionOnTheWayOut();
