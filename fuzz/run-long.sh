#!/bin/sh
# Longer fuzzing of one target: fuzz/run-long.sh TARGET [SECONDS], 600 seconds by
# default; TARGET is any libFuzzer target of fuzz/CMakeLists.txt (with or without
# its "_fuzz" ending). Findings (crash-*, leak-*) and the growing corpus stay in
# the build directory (fuzz/), kept between runs. `fuzz/run-long.sh list` names them.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${BUILD_DIR:-$root/build/test}

targets() { sed -n 's/^ *add_executable(\([a-z_]*_fuzz\)\b.*/\1/p; s/^ *add_store_fuzz(\([a-z_]*\) .*/\1_fuzz/p' \
  "$root/fuzz/CMakeLists.txt"; }
usage() { echo "usage: $0 TARGET [SECONDS]; targets: $(targets | tr '\n' ' ')" >&2; exit 2; }

# The earlier form: run-long.sh [seconds] [rpc|listing].
case "${1:-}" in
  ''|[0-9]*) set -- "$([ "${2:-rpc}" = listing ] && echo listing_fuzz || echo rpc_decode_fuzz)" "${1:-600}" ;;
  list) targets; exit 0 ;;
esac
target=${1%_fuzz}_fuzz
seconds=${2:-600}
targets | grep -qx "$target" || usage

# Seeds and the longest input worth trying, where a target wants other than the
# defaults (no seeds, 4096 bytes).
max_len=4096 seeds=
case "$target" in
  rpc_decode_fuzz) max_len=9217 seeds=rpc ;;
  handle_table_fuzz) seeds=hsh ;;
  settings_fuzz) seeds=ini ;;
  listing_fuzz) seeds=listing ;;
  record_marking_fuzz) max_len=20000 seeds=record ;;
  control_fuzz) seeds=control ;;
esac

cmake --build "$build" --target "$target" -j2
corpus="$build/fuzz/corpus-${target%_fuzz}-long"
mkdir -p "$corpus"
exec "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$build/fuzz/" "$corpus" ${seeds:+"$root/fuzz/corpus/$seeds"}
