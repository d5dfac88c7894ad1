// The other processes this one has business with: blocks lent to them or
// received from them, records waiting on a link, sends waiting for an answer.
// Each such peer is watched through a pidfd, so the moment it ends everything
// held for it is released; a record that finds its endpoint gone does the same.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace plat::ipc {

// True when the peer's end will be noticed at once (it may have been already).
bool WatchPeer(pid_t pid);
void PeerGone(pid_t pid);

// A peer that left a send from here unanswered counts as hung until it answers
// that send or a later one (SMTO_ABORTIFHUNG then gives up at once).
void MarkUnanswering(pid_t pid, uint64_t serial);
void AnsweredBy(pid_t pid, uint64_t serial);
bool Unanswering(pid_t pid);

}  // namespace plat::ipc
