#!/bin/sh
# The NFS service under load, beside a single-threaded UDP echo responder (the
# practical limit of one request/reply loop here) in the same network
# namespace: GETATTR and LOOKUP calls/s against echo calls/s; READ and WRITE of
# 8 KiB blocks in MB/s against echo moving 8 KiB datagrams; CREATE+REMOVE pairs/s;
# READDIR of whole directories of 1,000, 10,000 and 100,000 names in 4 KiB pages,
# names/s on the first listing (records made) and on a later one.
#   bench/nfs-bench.sh [seconds per measurement] [calls in flight]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-3}
window=${2:-32}
build=build/release
bench/release-tree.sh tolmid nfs_load udp_echo
load=$PWD/$build/bench/nfs_load
echo_server=$PWD/$build/bench/udp_echo
tolmid=$PWD/$build/server/shell/tolmid

run=$(mktemp -d /tmp/nfs-bench-XXXXXX)
trap 'rm -rf "$run"' EXIT
mkdir -p "$run/export"
head -c $((8 << 20)) /dev/zero > "$run/export/bench.dat"
for n in 1000 10000 100000; do
  mkdir "$run/export/d$n"
  (cd "$run/export/d$n" && seq -f "name%06g.dat" 1 $n | xargs touch)
done
printf '[tolmid]\r\nportmapenabled=ON\r\nenabled=ON\r\npreftransfersize=8192\r\n%s' \
  '[TOLmid_user_01]
username=bench
uid=500
gid=100
[TOLmid_export_00]
dir=d:\export
owner=bench
access=rwxr-xr-x
' > "$run/TOLMID.INI"

results=$(unshare -n sh -c "ip link set lo up
  export PLATFORM_DESKTOP=\$(mktemp -d) PLATFORM_DRIVES='d=$run' TCPAPPS_DIR='d:\\' PLATFORM_DISPLAY=headless
  $echo_server 7000 & echo_pid=\$!
  $tolmid >/dev/null 2>&1 & server_pid=\$!
  sleep 1
  $load 7000 echo $seconds $window 100
  $load /d/export getattr $seconds $window
  $load /d/export lookup $seconds $window
  $load 7000 echo $seconds $window 8192
  $load /d/export read $seconds $window
  $load /d/export write $seconds $window
  $load /d/export pairs $seconds $window
  for n in 1000 10000 100000; do $load /d/export readdir d\$n 2; done
  kill \$server_pid \$echo_pid")

echo "$results" | awk '
  { rate[NR] = $1; lost += $2; wrong += $3 }
  END {
    mb = 8192 / 1048576
    printf "UDP echo, small datagrams:  %9.0f calls/s\n", rate[1]
    printf "GETATTR:                    %9.0f calls/s  (%.2f of echo; goal >= 0.50)\n", rate[2], rate[2] / rate[1]
    printf "LOOKUP:                     %9.0f calls/s  (%.2f of echo)\n", rate[3], rate[3] / rate[1]
    printf "UDP echo, 8 KiB datagrams:  %9.1f MB/s\n", rate[4] * mb
    printf "READ 8 KiB:                 %9.1f MB/s  (%.2f of echo; goal >= 0.40)\n", rate[5] * mb, rate[5] / rate[4]
    printf "WRITE 8 KiB:                %9.1f MB/s  (%.2f of echo)\n", rate[6] * mb, rate[6] / rate[4]
    printf "CREATE+REMOVE:              %9.0f pairs/s\n", rate[7]
    printf "READDIR 1,000 names:        %9.0f names/s first, %9.0f later\n", rate[8], rate[9]
    printf "READDIR 10,000 names:       %9.0f names/s first, %9.0f later\n", rate[10], rate[11]
    printf "READDIR 100,000 names:      %9.0f names/s first, %9.0f later\n", rate[12], rate[13]
    printf "cost per name, 100,000 vs 1,000 (later listings): %.2f  (goal <= 2)\n", rate[9] / rate[13]
    printf "calls lost %d, wrong %d\n", lost, wrong
  }'
