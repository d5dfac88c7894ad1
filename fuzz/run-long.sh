#!/bin/sh
# Longer fuzzing of the RPC decoders: fuzz/run-long.sh [seconds], 600 by default.
# Findings (crash-*, leak-*) and the growing corpus stay in the build directory
# (fuzz/), kept between runs.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${BUILD_DIR:-$root/build/test}
cmake --build "$build" --target rpc_decode_fuzz -j2
corpus="$build/fuzz/corpus-rpc-long"
mkdir -p "$corpus"
exec "$build/fuzz/rpc_decode_fuzz" -max_total_time="${1:-600}" -max_len=9217 \
  -print_final_stats=1 -artifact_prefix="$build/fuzz/" "$corpus" "$root/fuzz/corpus/rpc"
