#!/bin/sh
# Calls per second of the server's port mapper (NULL and GETPORT) against, in the
# same run, a single-threaded UDP echo responder (the practical limit of one
# request/reply loop here) and Debian's rpcbind answering the same GETPORT. Each
# server runs in a network namespace of its own, with the load client beside it.
#   bench/rpc-bench.sh [seconds per measurement] [calls in flight]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-3}
window=${2:-32}
build=build/release
bench/release-tree.sh rpc_load udp_echo rpc_host
load=$PWD/$build/bench/rpc_load
echo_server=$PWD/$build/bench/udp_echo
host=$PWD/$build/tests/server/rpc_host

in_namespace() { unshare -n -m sh -c "ip link set lo up; $1"; }

echo_rate=$(in_namespace "$echo_server 7000 & sleep 0.3; $load 7000 echo $seconds $window; kill \$!")
ours=$(in_namespace "export PLATFORM_DESKTOP=\$(mktemp -d); $host portmap nfs >/dev/null & sleep 0.5;
  $load 111 null $seconds $window; $load 111 getport $seconds $window; kill \$!")
rpcbind=$(in_namespace "mount -t tmpfs tmpfs /run; mkdir -p /run/rpcbind; chown _rpc /run/rpcbind 2>/dev/null || true;
  rpcbind -f -i -w & sleep 0.5; $load 111 set >/dev/null; $load 111 getport $seconds $window; kill \$!")

echo $echo_rate $ours $rpcbind | awk '{
  echo = $1; null = $4; getport = $7; rpcbind = $10
  printf "UDP echo responder:        %9.0f calls/s\n", echo
  printf "port mapper NULL:          %9.0f calls/s  (%d lost, %d wrong)\n", null, $5, $6
  printf "port mapper GETPORT:       %9.0f calls/s  (%d lost, %d wrong)\n", getport, $8, $9
  printf "rpcbind GETPORT:           %9.0f calls/s  (%d lost, %d wrong)\n", rpcbind, $11, $12
  printf "NULL / echo:               %9.2f  (goal >= 0.80)\n", null / echo
  printf "GETPORT / rpcbind GETPORT: %9.2f  (goal >= 1.00)\n", getport / rpcbind
}'
