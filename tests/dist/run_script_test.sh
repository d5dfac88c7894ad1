#!/bin/sh
# run_script_test.sh BUILD_DIR: scripts/run as a new user meets it, on the built
# tree, in a private network namespace (tests/netns-run): one line once serving,
# rpcinfo -p answered, a start that finds port 111 taken says why and fails, a
# second start on the same desktop says so, and SIGTERM ends the server normally.
set -eu
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d /tmp/tolmid-run-XXXXXX)
first=
cleanup() {
  [ -n "$first" ] && kill -KILL "$first" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

mkdir -m 700 "$scratch/desktop" "$scratch/other-desktop"
export TOLMID_BUILD_DIR="$build" PLATFORM_DISPLAY=headless PLATFORM_DESKTOP="$scratch/desktop"
unset DISPLAY TCPAPPS_DIR PLATFORM_DRIVES || true

TOLMID_RUN_DIR="$scratch/run" "$source_dir/scripts/run" >"$scratch/out" 2>&1 &
first=$!
for i in $(seq 200); do
  grep -q '^tolmid: serving' "$scratch/out" && break
  kill -0 "$first" 2>/dev/null || fail "scripts/run ended: $(cat "$scratch/out")"
  sleep 0.1
done
[ "$(wc -l <"$scratch/out")" -eq 1 ] || fail "not one line: $(cat "$scratch/out")"
grep -q '^tolmid: serving on ports 111 (port mapper, also TCP), 2049 (NFS), 1058 (mount), 1525 (PCNFSD); pid [0-9]*;' \
  "$scratch/out" || fail "the line: $(cat "$scratch/out")"
if command -v rpcinfo >/dev/null; then
  rpcinfo -p 127.0.0.1 | grep -q '100003    2   udp   2049' || fail "rpcinfo -p: $(rpcinfo -p 127.0.0.1 2>&1)"
fi

# Another desktop: no window to find, so the start reaches port 111 and fails there.
status=0
PLATFORM_DESKTOP="$scratch/other-desktop" TOLMID_RUN_DIR="$scratch/other" \
  "$source_dir/scripts/run" >"$scratch/busy" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a start on a busy port ended with $status: $(cat "$scratch/busy")"
grep -q "^tolmid: start-up failed (status 1); from $scratch/other/tolmid.log:" "$scratch/busy" &&
  grep -qx '  Port Mapper: Port 111 is in use: another program (perhaps another port mapper) holds it.' \
    "$scratch/busy" || fail "the reason: $(cat "$scratch/busy")"

status=0
TOLMID_RUN_DIR="$scratch/run" "$source_dir/scripts/run" >"$scratch/second" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "a second start ended with $status"
grep -qx 'tolmid: a server is already running; its window was brought to the front' \
  "$scratch/second" || fail "the second start: $(cat "$scratch/second")"

kill -TERM "$first"
status=0
wait "$first" || status=$?
first=
[ "$status" -eq 0 ] || fail "scripts/run ended with $status after SIGTERM: $(cat "$scratch/out")"
tr -d '\r' <"$scratch/run/tolmid.log" | grep -q 'Port Mapper stopped\.$' ||
  fail "no normal stop in the log"
echo "one line, the reason, the second start, the normal stop"
