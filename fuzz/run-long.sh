#!/bin/sh
# Longer fuzzing of one target: fuzz/run-long.sh TARGET [SECONDS], 600 seconds by
# default; TARGET is any libFuzzer target of fuzz/CMakeLists.txt (with or without
# its "_fuzz" ending). Findings (crash-*, leak-*) and the growing corpus stay in
# the build directory (fuzz/), kept between runs. `fuzz/run-long.sh list` names them.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${BUILD_DIR:-$root/build/test}

targets() { sed -n 's/^ *add_fuzz(\([a-z_]*\)\b.*/\1_fuzz/p' "$root/fuzz/CMakeLists.txt"; }
usage() { echo "usage: $0 TARGET [SECONDS]; targets: $(targets | tr '\n' ' ')" >&2; exit 2; }

# The earlier form: run-long.sh [seconds] [rpc|listing].
case "${1:-}" in
  ''|[0-9]*) set -- "$([ "${2:-rpc}" = listing ] && echo listing_fuzz || echo rpc_decode_fuzz)" "${1:-600}" ;;
  list) targets; exit 0 ;;
esac
target=${1%_fuzz}_fuzz
seconds=${2:-600}
targets | grep -qx "$target" || usage

cmake --build "$build" --target "$target" -j2
# The longest input worth trying and the seeds, as the build gives them.
read -r max_len seeds <"$build/fuzz/$target.args"
corpus="$build/fuzz/corpus-${target%_fuzz}-long"
mkdir -p "$corpus"
exec "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$build/fuzz/" "$corpus" $seeds
