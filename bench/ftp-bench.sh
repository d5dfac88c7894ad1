#!/bin/sh
# hopwire through korftp beside curl, against the same vsftpd on loopback in a
# network namespace of its own, active mode (PORT) for both: downloads and uploads
# of a 100 MiB file (five in one session), a LIST of 10,000 names (every line
# reported to korftp through the channel) and a login with a tiny file. Each
# figure is the median of several whole sessions; the transfers' time is their
# session less the login + tiny-file session of the same client, so start-up and
# login count for neither.
#   bench/ftp-bench.sh [trials]
set -eu
cd "$(dirname "$0")/.."
trials=${1:-5}
build=build/release
bench/release-tree.sh hopwire korftp
korftp=$PWD/$build/bin/korftp
hopwire=$PWD/$build/bin/hopwire

run=$(mktemp -d /tmp/ftp-bench-XXXXXX)
trap 'rm -rf "$run"' EXIT
chmod 755 "$run"
root=$run/root
mkdir -p "$root/pub" "$root/many" "$run/empty" "$run/local" "$run/desktop"
chmod 700 "$run/desktop"
head -c $((100 << 20)) /dev/urandom > "$root/big.bin"
echo tiny > "$root/tiny.txt"
(cd "$root/many" && seq -f "name%06g.dat" 1 10000 | xargs touch)
chmod -R a+rX "$root"
chown ftp:ftp "$root/pub"
chmod 555 "$root"
cp "$root/big.bin" "$run/local/up.bin"
cat > "$run/vsftpd.conf" <<EOF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=2121
background=NO
anonymous_enable=YES
local_enable=NO
anon_root=$root
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
secure_chroot_dir=$run/empty
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
xferlog_enable=NO
EOF

# Milliseconds of one session; its output goes to /dev/null.
cat > "$run/time.sh" <<'EOF'
start=$(date +%s%N)
"$@" >/dev/null 2>&1
end=$(date +%s%N)
echo $(((end - start) / 1000000))
EOF

results=$(unshare -n sh -c "ip link set lo up
  export PLATFORM_DESKTOP=$run/desktop PLATFORM_DRIVES='c=$run/local'
  /usr/sbin/vsftpd $run/vsftpd.conf & server=\$!
  sleep 1
  url=ftp://127.0.0.1:2121
  session='open 127.0.0.1 2121; user anonymous bench@'
  k() { sh $run/time.sh $korftp -s $hopwire -c \"\$session; \$1; bye\"; }
  c() { sh $run/time.sh curl -s -P 127.0.0.1 \"\$@\"; }
  gets= puts= kgets= kputs=
  for n in 1 2 3 4 5; do
    gets=\"\$gets -o $run/local/c\$n.bin \$url/big.bin\"
    puts=\"\$puts -T $run/local/up.bin \$url/pub/c\$n.bin\"
    kgets=\"\$kgets get big.bin k\$n.bin;\"
    kputs=\"\$kputs put up.bin k\$n.bin;\"
  done
  i=0
  while [ \$i -lt $trials ]; do
    echo curl-tiny \$(c -o $run/local/c.txt \$url/tiny.txt)
    echo korftp-tiny \$(k 'get tiny.txt k.txt')
    echo curl-get \$(c \$gets)
    echo korftp-get \$(k \"binary; \$kgets\")
    echo curl-put \$(c \$puts)
    echo korftp-put \$(k \"binary; cd pub; \$kputs\")
    echo curl-list \$(c \$url/many/)
    echo korftp-list \$(k 'dir many')
    i=\$((i + 1))
  done
  cmp -s $root/big.bin $run/local/k5.bin && cmp -s $root/big.bin $root/pub/k5.bin && echo same 1
  kill \$server")

echo "$results" | grep -q '^same 1$' || echo "warning: a transferred file differs from its source"
median() { echo "$results" | awk -v key="$1" '$1 == key { print $2 }' | sort -n |
  awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
set -- $(median curl-tiny) $(median korftp-tiny) $(median curl-get) $(median korftp-get) \
  $(median curl-put) $(median korftp-put) $(median curl-list) $(median korftp-list)
awk -v ct="$1" -v kt="$2" -v cg="$3" -v kg="$4" -v cp="$5" -v kp="$6" -v cl="$7" -v kl="$8" \
  -v trials="$trials" 'BEGIN {
  mib = 500
  cgt = cg - ct > 0 ? cg - ct : 1; kgt = kg - kt > 0 ? kg - kt : 1
  cpt = cp - ct > 0 ? cp - ct : 1; kpt = kp - kt > 0 ? kp - kt : 1
  printf "login + tiny file:      curl %6d ms   korftp %6d ms   (%.2f x curl)\n", ct, kt, kt / ct
  printf "download 5 x 100 MiB:   curl %6.0f MB/s korftp %6.0f MB/s (%.2f of curl; goal >= 0.9)\n",
    mib * 1048.576 / cgt, mib * 1048.576 / kgt, cgt / kgt
  printf "upload 5 x 100 MiB:     curl %6.0f MB/s korftp %6.0f MB/s (%.2f of curl; goal >= 0.9)\n",
    mib * 1048.576 / cpt, mib * 1048.576 / kpt, cpt / kpt
  printf "LIST of 10,000 names:   curl %6d ms   korftp %6d ms   (%.2f x curl; goal <= 5)\n",
    cl, kl, kl / cl
  printf "(whole sessions, medians of %d; transfers less the login + tiny-file session)\n", trials
}'
