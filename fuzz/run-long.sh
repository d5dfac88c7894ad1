#!/bin/sh
# Longer fuzzing: fuzz/run-long.sh [seconds] [rpc|listing|control], 600 seconds of the
# RPC decoders by default. Findings (crash-*, leak-*) and the growing corpus
# stay in the build directory (fuzz/), kept between runs.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${BUILD_DIR:-$root/build/test}
case "${2:-rpc}" in
  rpc) target=rpc_decode_fuzz max_len=9217 seeds=rpc ;;
  listing) target=listing_fuzz max_len=4096 seeds=listing ;;
  control) target=control_fuzz max_len=4096 seeds=control ;;
  *) echo "usage: $0 [seconds] [rpc|listing|control]" >&2; exit 2 ;;
esac
cmake --build "$build" --target "$target" -j2
corpus="$build/fuzz/corpus-$seeds-long"
mkdir -p "$corpus"
exec "$build/fuzz/$target" -max_total_time="${1:-600}" -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$build/fuzz/" "$corpus" "$root/fuzz/corpus/$seeds"
