// The silence a transfer allows its peer.
#include "transfer/data_waits.h"

#include <stdlib.h>

namespace {

constexpr long kPeerSilenceMs = 60000;

}  // namespace

long PeerSilenceLimitMs() {
  static const long limit = [] {
    const char* text = getenv("HOPWIRE_DATA_WAIT_MS");
    long ms = text ? strtol(text, nullptr, 10) : 0;
    return ms > 0 && ms <= kPeerSilenceMs ? ms : kPeerSilenceMs;
  }();
  return limit;
}
