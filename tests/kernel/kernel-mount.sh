#!/bin/sh
# A real Linux kernel's NFS version 2 client against tolmid: a Debian kernel
# boots under qemu (software emulation) with a small initramfs of our own,
# mounts tolmid's export over qemu's user-mode network and works on it; then
# the host checks the export against what the guest reported.
#
#   tests/kernel/kernel-mount.sh [--if-ready] [--tolmid PATH]
#
# On first use it installs what it lacks of qemu-system-x86, cpio, binutils,
# make and gcc-12 with apt-get, and unpacks a Debian kernel and busybox-static into build/kernel-mount/ (KMOUNT_DIR names
# another place), builds that kernel's nfs.ko again with the UDP transport
# (see build_udp_module), and builds build/release's tolmid unless --tolmid
# names one.
# --if-ready fetches and builds nothing: it exits 77 (skipped) when qemu or the
# unpacked kernel is missing. tolmid and qemu run together in a network
# namespace of the check's own, so the guest's 10.0.2.2 is that namespace's
# loopback. Exit 0 when every step passed; otherwise 1 and the failing steps.
# KMOUNT_TIMEOUT (seconds, default 600) bounds the guest; KMOUNT_CAPTURE=0
# skips the tshark capture of the namespace's loopback, which is otherwise
# checked with ../shared/tools/dissect.sh (KMOUNT_DISSECT names another).
set -eu

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
script=$source_dir/tests/kernel/kernel-mount.sh
work=${KMOUNT_DIR:-$source_dir/build/kernel-mount}
run=$work/run

say() { printf 'kernel-mount: %s\n' "$*"; }
die() { printf 'kernel-mount: FAIL %s\n' "$*" >&2; exit 1; }

# ---------------------------------------------------------------------------
# Inside the check's network namespace: the capture, tolmid and the guest.
# ---------------------------------------------------------------------------
if [ "${1:-}" = --in-netns ]; then
  ip link set lo up
  capture_pid="" server_pid=""
  if [ "${KMOUNT_CAPTURE:-1}" != 0 ] && command -v tshark >/dev/null 2>&1; then
    tshark -q -i lo -w "$run/lo.pcap" -f udp >"$run/tshark.out" 2>&1 &
    capture_pid=$!
    for _ in $(seq 100); do
      grep -q 'Capturing on' "$run/tshark.out" 2>/dev/null && break
      sleep 0.1
    done
  fi
  (cd "$run" && PLATFORM_DRIVES="d=$run" TCPAPPS_DIR='d:\' PLATFORM_DESKTOP="$run/desktop" \
    PLATFORM_DISPLAY=headless exec "$KMOUNT_TOLMID") >"$run/tolmid.out" 2>&1 &
  server_pid=$!
  # Port mapper, mount daemon and NFS: three UDP ports.
  for _ in $(seq 300); do
    [ "$(ss -Hlnup | grep -c "pid=$server_pid,")" -ge 3 ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ "$(ss -Hlnup | grep -c "pid=$server_pid,")" -lt 3 ]; then
    echo "KMOUNT HOST FAIL tolmid-start" >"$run/host.status"
    kill -TERM "$server_pid" 2>/dev/null || true
    [ -n "$capture_pid" ] && kill -INT "$capture_pid" 2>/dev/null
    exit 1
  fi
  echo "tolmid serving (pid $server_pid); booting the guest" >&2
  timeout "${KMOUNT_TIMEOUT:-600}" qemu-system-x86_64 -accel tcg -m 256 -smp 1 \
    -nodefaults -display none -no-reboot -monitor none -serial stdio \
    -kernel "$KMOUNT_KERNEL" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 loglevel=4 panic=-1" \
    -netdev user,id=n0,net=10.0.2.0/24,host=10.0.2.2 -device virtio-net-pci,netdev=n0 \
    </dev/null 2>&1 | tr -d '\r' | tee "$run/console.log" | sed -u 's/^/  guest| /' >&2
  status=ok
  if kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid"
    wait "$server_pid" || status="ended with status $?"
  else
    wait "$server_pid" || true
    status="gone before the guest finished"
  fi
  echo "KMOUNT HOST tolmid $status" >"$run/host.status"
  if [ -n "$capture_pid" ]; then
    kill -INT "$capture_pid" 2>/dev/null || true
    wait "$capture_pid" || true
  fi
  exit 0
fi

# ---------------------------------------------------------------------------
# Fetching and unpacking.
# ---------------------------------------------------------------------------
ready_only=0 tolmid=""
while [ $# -gt 0 ]; do
  case "$1" in
    --if-ready) ready_only=1 ;;
    --tolmid) tolmid=$2; shift ;;
    *) echo "usage: $0 [--if-ready] [--tolmid PATH]" >&2; exit 2 ;;
  esac
  shift
done
started=$(date +%s)

skip() { say "skipped: $*"; exit 77; }
need_packages() {
  missing=""
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"; done
  [ -z "$missing" ] && return 0
  say "installing$missing"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing >/dev/null ||
    { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends $missing >/dev/null; } ||
    die "fetch: apt-get install$missing"
}
# Unpacks a Debian package (optionally =VERSION) into DIR without installing it.
unpack() {
  u_package=$1 u_dir=$2 u_version=${3:-}
  mkdir -p "$work/debs"
  rm -f "$work/debs/${u_package}_"*.deb
  u_get="$u_package${u_version:+=$u_version}"
  (cd "$work/debs" && apt-get -o APT::Sandbox::User=root download "$u_get" >/dev/null 2>&1) ||
    { apt-get update >/dev/null &&
      (cd "$work/debs" && apt-get -o APT::Sandbox::User=root download "$u_get" >/dev/null); } ||
    die "fetch: apt-get download $u_get"
  mkdir -p "$u_dir"
  dpkg -x "$work/debs/${u_package}_"*.deb "$u_dir"
}
kernel_image() { ls "$work"/kernel/boot/vmlinuz-* 2>/dev/null | head -n1; }
kernel_config() { ls "$work"/kernel/boot/config-* 2>/dev/null | head -n1; }
kernel_has_nfs2() {
  config=$(kernel_config)
  [ -n "$config" ] && [ -n "$(find "$work/kernel/lib/modules" -name nfs.ko -print -quit)" ] &&
    { grep -q '^CONFIG_NFS_V2=y' "$config" ||
      [ -n "$(find "$work/kernel/lib/modules" -name nfsv2.ko -print -quit)" ]; }
}
# Debian builds its NFS client without the UDP transport (a build-time choice
# that only fs/nfs reads), and NFS version 2 here is UDP only: nfs.ko is built
# again from Debian's own source of the same version with that choice undone.
udp_refused() { grep -q '^CONFIG_NFS_DISABLE_UDP_SUPPORT=y' "$(kernel_config)"; }
udp_module=$work/nfs-udp/nfs.ko
build_udp_module() {
  release=$(basename "$(ls -d "$work"/kernel/lib/modules/*/ | head -n1)")
  version=$(cat "$work/kernel/.package-version")
  series=$(echo "$release" | cut -d. -f1,2)
  dir=$work/nfs-udp
  rm -rf "$dir" && mkdir -p "$dir/tree"
  say "building nfs.ko $release with the UDP transport from linux-source-$series $version"
  need_packages make gcc-12
  unpack "linux-headers-$release" "$dir/tree" "$version"
  common=$(dpkg-deb -f "$work/debs/linux-headers-${release}_"*.deb Depends |
    tr ',' '\n' | grep -o 'linux-headers-[^ ]*-common' | head -n1)
  [ -n "$common" ] || die "fetch: no common headers named by linux-headers-$release"
  unpack "$common" "$dir/tree" "$version"
  unpack "linux-kbuild-$series" "$dir/tree" "$version"
  # Of the whole source only fs/nfs is kept.
  unpack "linux-source-$series" "$dir/source" "$version"
  rm -f "$work/debs/"*.deb
  tar -xJf "$dir/source/usr/src/linux-source-$series.tar.xz" -C "$dir/source" \
    "linux-source-$series/fs/nfs" || die "fetch: fs/nfs from linux-source-$series"
  mv "$dir/source/linux-source-$series/fs/nfs" "$dir/src"
  rm -rf "$dir/source"
  printf '#undef CONFIG_NFS_DISABLE_UDP_SUPPORT\n' >"$dir/src/udp.h"
  sed -i '1i ccflags-y += -include $(src)/udp.h' "$dir/src/Makefile"
  headers=$dir/tree/usr/src/linux-headers-$release
  # The headers' Makefile names the common part by its installed path.
  sed -i "s|/usr/src/|$dir/tree/usr/src/|" "$headers/Makefile"
  make -C "$headers" M="$dir/src" -j"$(nproc)" CONFIG_NFS_V2= CONFIG_NFS_V3= CONFIG_NFS_V4= \
    CONFIG_PNFS_FILE_LAYOUT= CONFIG_PNFS_BLOCK= CONFIG_PNFS_FLEXFILE_LAYOUT= modules \
    >"$dir/build.log" 2>&1 || { tail -n 20 "$dir/build.log"; die "fetch: building nfs.ko"; }
  # Its exports must keep the stock symbol versions so Debian's nfsv2.ko loads on it.
  stock=$(awk '$3 ~ /fs\/nfs\/nfs$/ { print $1, $2 }' "$headers/Module.symvers" | sort)
  built=$(awk '{ print $1, $2 }' "$dir/src/Module.symvers" | sort)
  [ -n "$stock" ] && [ "$stock" = "$built" ] || die "fetch: rebuilt nfs.ko changed symbol versions"
  cp "$dir/src/nfs.ko" "$udp_module"
  rm -rf "$dir/tree" "$dir/src"
}

if [ "$ready_only" = 1 ]; then
  command -v qemu-system-x86_64 >/dev/null 2>&1 || skip "qemu-system-x86_64 is not installed"
  [ -n "$(kernel_image)" ] && kernel_has_nfs2 ||
    skip "no unpacked kernel in $work (run tests/kernel/kernel-mount.sh once to fetch it)"
  ! udp_refused || [ -f "$udp_module" ] || skip "no nfs.ko with the UDP transport in $work"
  [ -x "$work/busybox/bin/busybox" ] || skip "no unpacked busybox in $work"
  for tool in cpio objcopy; do
    command -v $tool >/dev/null 2>&1 || skip "$tool is not installed"
  done
else
  need_packages qemu-system-x86 cpio binutils
  if [ -z "$(kernel_image)" ] || ! kernel_has_nfs2 || [ ! -f "$work/kernel/.package-version" ]; then
    for flavour in linux-image-cloud-amd64 linux-image-amd64; do
      # The flavour's package only depends on the versioned image that holds the files.
      image=$(apt-cache depends "$flavour" 2>/dev/null | awk '/Depends: linux-image-/ { print $2; exit }')
      if [ -z "$image" ]; then
        apt-get update >/dev/null
        image=$(apt-cache depends "$flavour" | awk '/Depends: linux-image-/ { print $2; exit }')
      fi
      [ -n "$image" ] || continue
      say "unpacking $image"
      rm -rf "$work/kernel" "$work/nfs-udp"
      unpack "$image" "$work/kernel"
      dpkg-deb -f "$work/debs/${image}_"*.deb Version >"$work/kernel/.package-version"
      rm -f "$work/debs/${image}_"*.deb
      kernel_has_nfs2 && break
      say "$image has no NFS version 2 client"
    done
    kernel_has_nfs2 || die "fetch: no Debian kernel with the NFS version 2 client"
  fi
  if udp_refused && [ ! -f "$udp_module" ]; then build_udp_module; fi
  if [ ! -x "$work/busybox/bin/busybox" ]; then
    say "unpacking busybox-static"
    rm -rf "$work/busybox"
    unpack busybox-static "$work/busybox"
  fi
fi
rm -rf "$work/debs"
kernel=$(kernel_image)
modules=$(ls -d "$work"/kernel/lib/modules/*/ | head -n1)
modules=${modules%/}
say "kernel $(basename "$modules") ($kernel)"

if [ -z "$tolmid" ]; then
  tolmid=$source_dir/build/release/server/shell/tolmid
  if [ "$ready_only" = 0 ]; then
    say "building $tolmid"
    launcher=""
    command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    (cd "$source_dir" &&
      cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release $launcher \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
      cmake --build build/release --target tolmid >/dev/null) || die "build: tolmid"
  fi
fi
[ -x "$tolmid" ] || { [ "$ready_only" = 1 ] && skip "no tolmid at $tolmid"; die "build: no $tolmid"; }
# tolmid starts in its run directory.
tolmid=$(cd "$(dirname "$tolmid")" && pwd)/$(basename "$tolmid")

# ---------------------------------------------------------------------------
# The initramfs: busybox, the modules in load order, /init and the work script.
# ---------------------------------------------------------------------------
say "building the initramfs"
root=$work/initramfs
rm -rf "$root"
mkdir -p "$root/bin" "$root/etc" "$root/lib/modules" "$root/proc" "$root/sys" "$root/dev" \
  "$root/tmp" "$root/mnt"
cp "$work/busybox/bin/busybox" "$root/bin/busybox"
ln -s busybox "$root/bin/sh"

module_file() {
  # Module names use '_' where file names may use '-'.
  find "$modules/kernel" -name '*.ko' | awk -v want="$1" '
    { n = $0; sub(/.*\//, "", n); sub(/\.ko$/, "", n); gsub(/-/, "_", n)
      if (n == want) { print; exit } }'
}
module_deps() {
  objcopy -O binary --only-section=.modinfo "$1" "$work/modinfo.tmp"
  tr '\0' '\n' <"$work/modinfo.tmp" | sed -n 's/^depends=//p' | tr ',' ' '
}
loaded=" "
add_module() {
  name=$(printf '%s' "$1" | tr - _)
  case "$loaded" in *" $name "*) return 0 ;; esac
  file=$(module_file "$name")
  [ -n "$file" ] || die "initramfs: module $name not found (built in?)"
  for dep in $(module_deps "$file"); do add_module "$dep"; done
  # The recursion above may have changed $file and $name.
  name=$(printf '%s' "$1" | tr - _)
  case "$loaded" in *" $name "*) return 0 ;; esac
  if [ "$name" = nfs ] && udp_refused; then
    cp "$udp_module" "$root/lib/modules/nfs.ko"
  else
    cp "$(module_file "$name")" "$root/lib/modules/$name.ko"
  fi
  echo "$name" >>"$root/etc/modules.load"
  loaded="$loaded$name "
}
: >"$root/etc/modules.load"
for m in virtio_pci virtio_net sunrpc grace lockd nfs nfsv2; do
  # nfsv2 is built into some kernels.
  if [ "$m" = nfsv2 ] && [ -z "$(module_file nfsv2)" ]; then continue; fi
  add_module "$m"
done
rm -f "$work/modinfo.tmp"

printf 'root:x:0:0:root:/:/bin/sh\nbench:x:500:100:bench:/tmp:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\nusers:x:100:\n' >"$root/etc/group"

cat >"$root/init" <<'EOF'
#!/bin/sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs -o mode=1777 tmpfs /tmp
stop() { echo "KMOUNT DONE"; sync; poweroff -f; }
echo "KMOUNT INFO kernel $(uname -r)"
for m in $(cat /etc/modules.load); do
  insmod /lib/modules/$m.ko || { echo "KMOUNT FAIL modules $m"; stop; }
done
echo "KMOUNT OK modules"
ifc=$(ls /sys/class/net | grep -v '^lo$' | head -n1)
if ip link set lo up && ip link set "$ifc" up && ip addr add 10.0.2.15/24 dev "$ifc"; then
  echo "KMOUNT OK network $ifc 10.0.2.15"
else
  echo "KMOUNT FAIL network"; stop
fi
options=vers=2,proto=udp,mountproto=udp,mountport=1058,nolock,soft,timeo=30,retrans=4,addr=10.0.2.2
attach() {
  mount -t nfs -o "$options" 10.0.2.2:/d/export /mnt || return 1
  line=$(grep ' /mnt nfs ' /proc/mounts) || return 1
  echo "KMOUNT INFO mounted $line"
  case ",$(echo "$line" | cut -d' ' -f4)," in *,vers=2,*) ;; *) return 1 ;; esac
}
if attach; then echo "KMOUNT OK mount"; else echo "KMOUNT FAIL mount"; dmesg | tail -n 20; stop; fi
su bench -c "sh /etc/work.sh first"
if umount /mnt; then echo "KMOUNT OK umount"; else echo "KMOUNT FAIL umount"; fi
if attach; then echo "KMOUNT OK remount"; else echo "KMOUNT FAIL remount"; stop; fi
su bench -c "sh /etc/work.sh again"
if umount /mnt; then echo "KMOUNT OK umount2"; else echo "KMOUNT FAIL umount2"; fi
stop
EOF
chmod 755 "$root/init"

cat >"$root/etc/work.sh" <<'EOF'
# Runs as uid 500 (the export's owner) on the mounted export.
cd /tmp
step() {
  name=$1; shift
  if "$@" >/tmp/out 2>&1; then cat /tmp/out; echo "KMOUNT OK $name"
  else cat /tmp/out; echo "KMOUNT FAIL $name"; fi
}
sum() { md5sum "$1" | cut -d' ' -f1; }
list() {
  ls -a /mnt >/tmp/names && cat /tmp/names
  for n in hello.txt doomed.txt small.bin big-down.bin overwrite.txt mixedcase.txt; do
    grep -qix "$n" /tmp/names || { echo "missing $n"; return 1; }
  done
}
read_host_files() {
  [ "$(cat /mnt/hello.txt)" = "hello from the host" ] || return 1
  # Whatever case the listing gives the host's MixedCase.TXT, that name reads it.
  [ "$(cat "/mnt/$(grep -ix mixedcase.txt /tmp/names)")" = "mixed case" ] || return 1
  echo "KMOUNT SUM small.bin $(sum /mnt/small.bin)"
}
write_file() {
  dd if=/dev/urandom of=/tmp/guest.bin bs=1024 count=300 2>/dev/null &&
    cp /tmp/guest.bin /mnt/guest.bin && cmp /tmp/guest.bin /mnt/guest.bin &&
    echo "KMOUNT SUM guest.bin $(sum /tmp/guest.bin)"
}
make_dirs() { mkdir /mnt/newdir /mnt/emptydir && [ -d /mnt/newdir ] && [ -d /mnt/emptydir ]; }
rename_file() {
  mv /mnt/hello.txt /mnt/greeting.txt && [ ! -e /mnt/hello.txt ] &&
    [ "$(cat /mnt/greeting.txt)" = "hello from the host" ]
}
move_file() {
  mv /mnt/guest.bin /mnt/newdir/moved.bin && [ ! -e /mnt/guest.bin ] &&
    cmp /tmp/guest.bin /mnt/newdir/moved.bin
}
link_file() {
  ln /mnt/newdir/moved.bin /mnt/linked.bin && cmp /tmp/guest.bin /mnt/linked.bin
}
remove_file() { rm /mnt/doomed.txt && [ ! -e /mnt/doomed.txt ]; }
remove_dir() { rmdir /mnt/emptydir && [ ! -e /mnt/emptydir ]; }
overwrite() { echo replaced >/mnt/overwrite.txt && [ "$(cat /mnt/overwrite.txt)" = replaced ]; }
set_time() {
  touch -d '2001-02-03 04:05:06' /mnt/greeting.txt &&
    echo "KMOUNT MTIME greeting.txt $(stat -c %Y /mnt/greeting.txt)"
}
read_only() { chmod 444 /mnt/small.bin && [ "$(stat -c %a /mnt/small.bin)" = 444 ]; }
attributes() {
  ls -ln /mnt /mnt/newdir || return 1
  stat -c 'KMOUNT STAT %n %s %u %g %a %F' /mnt/small.bin /mnt/big-down.bin /mnt/greeting.txt \
    /mnt/overwrite.txt /mnt/newdir/moved.bin /mnt/newdir >/tmp/stats || return 1
  cat /tmp/stats
  # Every file below the export shows the export owner's uid and gid.
  ! awk '$5 != 500 || $6 != 100' /tmp/stats | grep -q .
}
big_down() {
  cp /mnt/big-down.bin /tmp/big-down.bin && echo "KMOUNT SUM big-down.bin $(sum /tmp/big-down.bin)"
}
big_up() {
  dd if=/dev/urandom of=/tmp/big-up.bin bs=65536 count=96 2>/dev/null &&
    cp /tmp/big-up.bin /mnt/big-up.bin && echo "KMOUNT SUM big-up.bin $(sum /tmp/big-up.bin)"
}
free_space() { df -k /mnt; }
reread() {
  ls -l /mnt /mnt/newdir &&
    cmp /tmp/big-up.bin /mnt/big-up.bin && cmp /tmp/guest.bin /mnt/newdir/moved.bin &&
    cmp /tmp/big-down.bin /mnt/big-down.bin && cmp /tmp/guest.bin /mnt/linked.bin &&
    [ "$(stat -c %a /mnt/small.bin)" = 444 ] && [ ! -e /mnt/doomed.txt ]
}
if [ "$1" = first ]; then
  step list list
  step read read_host_files
  step write write_file
  step mkdir make_dirs
  step rename rename_file
  step move move_file
  step link link_file
  step remove remove_file
  step rmdir remove_dir
  step overwrite overwrite
  step touch set_time
  step chmod read_only
  step attributes attributes
  step big-down big_down
  step big-up big_up
  step statfs free_space
else
  step reread reread
fi
EOF

(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1 >"$work/initramfs.gz")
say "initramfs: $(tr '\n' ' ' <"$root/etc/modules.load")($(du -k "$work/initramfs.gz" | cut -f1) KB)"

# ---------------------------------------------------------------------------
# The host side: an export with files the guest reads, renames and removes.
# ---------------------------------------------------------------------------
rm -rf "$run"
mkdir -p "$run/export"
mkdir -m 700 "$run/desktop"
printf 'hello from the host' >"$run/export/hello.txt"
printf 'remove me\n' >"$run/export/doomed.txt"
printf 'mixed case' >"$run/export/MixedCase.TXT"
head -c 5000 /dev/urandom >"$run/export/overwrite.txt"
head -c 123457 /dev/urandom >"$run/export/small.bin"
head -c $((6 << 20)) /dev/urandom >"$run/export/big-down.bin"
printf '[tolmid]\r\nlogfile=d:\\tolmid.log\r\nlogfilelog=ON\r\nportmapenabled=ON\r\nenabled=ON\r\npreftransfersize=8192\r\n%s' \
'[TOLmid_user_01]
username=bench
uid=500
gid=100
[TOLmid_export_00]
dir=d:\export
owner=bench
access=rwxr-xr-x
' >"$run/TOLMID.INI"

say "running tolmid and the guest in a network namespace of their own"
unshare_cmd="unshare -n"
[ "$(id -u)" -eq 0 ] || unshare_cmd="unshare -r -n"
KMOUNT_TOLMID=$tolmid KMOUNT_KERNEL=$kernel KMOUNT_DIR=$work \
  $unshare_cmd sh "$script" --in-netns || true

# ---------------------------------------------------------------------------
# The verdict: the guest's markers, then the export as the host sees it.
# ---------------------------------------------------------------------------
console=$run/console.log
export_dir=$run/export
failed=""
bad() { failed="$failed $1"; say "FAIL $1: $2"; }
good() { say "OK   $1"; }
marker() { grep -q "^KMOUNT OK $1\( \|\$\)" "$console" 2>/dev/null; }
guest_sum() { sed -n "s/^KMOUNT SUM $1 //p" "$console" 2>/dev/null | head -n1; }
host_sum() { md5sum "$1" 2>/dev/null | cut -d' ' -f1; }

cat "$run/host.status" 2>/dev/null | sed 's/^KMOUNT HOST /host: /'
grep -q '^KMOUNT HOST FAIL tolmid-start' "$run/host.status" 2>/dev/null &&
  { sed 's/^/  tolmid| /' "$run/tolmid.out"; die "tolmid-start: tolmid did not bind its ports"; }
kernel_said=$(sed -n 's/^KMOUNT INFO kernel //p' "$console" 2>/dev/null | head -n1)
if [ -z "$kernel_said" ]; then
  tail -n 20 "$console" 2>/dev/null
  die "boot: the guest printed nothing of ours (console in $console)"
fi
say "guest kernel $kernel_said"
for s in modules network mount list read write mkdir rename move link remove rmdir overwrite \
  touch chmod attributes big-down big-up statfs umount remount reread umount2; do
  if marker "$s"; then good "guest $s"; else bad "guest-$s" "no 'KMOUNT OK $s' from the guest"; fi
done
grep -q '^KMOUNT DONE' "$console" 2>/dev/null || bad guest-done "the guest did not finish in time"
if ! marker mount; then
  say "FAILED:$failed (no host checks without a mount; console in $console)"
  exit 1
fi

check() {  # NAME CONDITION-TEXT, then the condition as a command
  name=$1 what=$2; shift 2
  if "$@"; then good "host $name"; else bad "host-$name" "$what"; fi
}
same() { [ -n "$1" ] && [ "$1" = "$2" ]; }
check read "the guest's sum of small.bin matches the host's" \
  same "$(guest_sum small.bin)" "$(host_sum "$export_dir/small.bin")"
check write+move "newdir/moved.bin holds what the guest wrote" \
  same "$(guest_sum guest.bin)" "$(host_sum "$export_dir/newdir/moved.bin")"
check move "guest.bin is gone from the top" test ! -e "$export_dir/guest.bin"
check rename "greeting.txt replaced hello.txt with its bytes" \
  sh -c '[ ! -e "$1/hello.txt" ] && [ "$(cat "$1/greeting.txt")" = "hello from the host" ]' \
  - "$export_dir"
check remove "doomed.txt is gone" test ! -e "$export_dir/doomed.txt"
check mkdir "newdir is a directory" test -d "$export_dir/newdir"
check rmdir "emptydir is gone" test ! -e "$export_dir/emptydir"
check overwrite "overwrite.txt holds only the guest's line" \
  same "$(cat "$export_dir/overwrite.txt" 2>/dev/null)" replaced
check touch "the modification time the guest saw after touch is the host's" \
  same "$(sed -n 's/^KMOUNT MTIME greeting.txt //p' "$console")" \
  "$(stat -c %Y "$export_dir/greeting.txt" 2>/dev/null)"
check chmod "small.bin lost its write permissions" \
  sh -c '[ $((0$(stat -c %a "$1/small.bin") & 0222)) -eq 0 ]' - "$export_dir"
check link "linked.bin holds what the guest wrote" \
  same "$(guest_sum guest.bin)" "$(host_sum "$export_dir/linked.bin")"
check big-down "the guest's sum of big-down.bin matches the host's" \
  same "$(guest_sum big-down.bin)" "$(host_sum "$export_dir/big-down.bin")"
check big-up "big-up.bin holds what the guest wrote" \
  same "$(guest_sum big-up.bin)" "$(host_sum "$export_dir/big-up.bin")"
sizes_match() {
  out=0
  for f in small.bin big-down.bin greeting.txt overwrite.txt newdir/moved.bin; do
    said=$(awk -v n="/mnt/$f" '$1 == "KMOUNT" && $2 == "STAT" && $3 == n { print $4; exit }' "$console")
    [ "$said" = "$(stat -c %s "$export_dir/$f" 2>/dev/null)" ] || { echo "  $f: guest saw size '$said'"; out=1; }
  done
  return $out
}
check sizes "the sizes the guest saw are the host's" sizes_match
check tolmid "tolmid served to the end and stopped normally" \
  grep -q '^KMOUNT HOST tolmid ok$' "$run/host.status"

if [ -f "$run/lo.pcap" ]; then
  dissect=""
  for d in "${KMOUNT_DISSECT:-}" "$source_dir/../shared/tools/dissect.sh"; do
    [ -x "$d" ] && { dissect=$d; break; }
  done
  if [ -n "$dissect" ]; then
    # Port 1058 is not one tshark knows for RPC.
    if "$dissect" "$run/lo.pcap" -d udp.port==1058,rpc >"$run/dissect.txt" 2>&1; then
      good "capture $(tail -n1 "$run/dissect.txt")"
    else
      grep -E 'MALFORMED|TRAILING|no reply' "$run/dissect.txt" | head -n 20
      bad capture "$(tail -n1 "$run/dissect.txt") (see $run/dissect.txt)"
    fi
  else
    say "capture kept in $run/lo.pcap (no dissect.sh found to check it)"
  fi
fi

say "took $(($(date +%s) - started)) s; console in $console, tolmid's log in $run/tolmid.log"
if [ -n "$failed" ]; then
  say "FAILED:$failed"
  exit 1
fi
say "PASSED: kernel $kernel_said mounted tolmid's export with NFS version 2 and used it"
