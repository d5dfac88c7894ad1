#!/bin/sh
# install_test.sh BUILD_DIR: installs into a scratch root and checks what the
# install gives. Runs in a private network namespace (tests/netns-run), where
# the installed tolmid binds its ports. Skips (77) only the unit check when
# systemd-analyze can't verify anything here.
set -eu
build=$1
root=$(mktemp -d /tmp/tolmid-install-XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr/local >/dev/null
dest=$root/dest/usr/local
for f in bin/tolmid bin/hopwire bin/wexoraconsole bin/korftp share/tolmid/TOLMID.INI \
         share/tolmid/README.TXT share/man/man8/tolmid.8 lib/systemd/system/tolmid.service; do
  [ -f "$dest/$f" ] || fail "$f is not installed"
done
! grep -n '@[A-Z_]*@' "$dest/share/tolmid/TOLMID.INI" "$dest/lib/systemd/system/tolmid.service" \
  "$dest/share/man/man8/tolmid.8" || fail "a placeholder was left unfilled"

if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z "$dest/share/man/man8/tolmid.8" 2>&1) || true
  [ -z "$warnings" ] || fail "the manual page: $warnings"
else
  echo "groff is not installed; the manual page is not checked" >&2
fi

# The installed program, with the unit's environment, on a scratch drive c:
# prepared as the unit's directories and its ExecStartPre would leave it.
unit=$dest/lib/systemd/system/tolmid.service
c=$root/c
mkdir -p "$c/var/lib/tolmid/export" "$c/var/log/tolmid" "$root/desktop"
chmod 700 "$root/desktop"
cp "$dest/share/tolmid/TOLMID.INI" "$c/var/lib/tolmid/"
environment=$(sed -n 's/^Environment=//p' "$unit")
env $environment PLATFORM_DRIVES="c=$c" PLATFORM_DESKTOP="$root/desktop" \
  "$dest/bin/tolmid" --quiet 2>"$root/stderr" &
pid=$!
log=$c/var/log/tolmid/tolmid.log
for i in $(seq 100); do
  grep -q 'PCNFS Daemon started' "$log" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || fail "tolmid ended: $(cat "$log" "$root/stderr" 2>/dev/null)"
  sleep 0.1
done
grep -q 'PCNFS Daemon started' "$log" || fail "tolmid did not start: $(cat "$log")"
if command -v rpcinfo >/dev/null; then
  rpcinfo -p 127.0.0.1 | grep -q '100005    1   udp   1058' || fail "rpcinfo -p: $(rpcinfo -p 127.0.0.1 2>&1)"
fi
if command -v showmount >/dev/null; then
  showmount -e 127.0.0.1 | grep -qF '/c/var/lib/tolmid/export' || fail "showmount -e: $(showmount -e 127.0.0.1 2>&1)"
fi
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "tolmid ended with $status after SIGTERM"

# systemd's own reading of the unit, with ExecStart pointing at the scratch
# install (verify wants the program to exist).
if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed; the unit is not verified" >&2
  exit 77
fi
mkdir -p "$root/units"
printf '[Service]\nExecStart=/bin/true\n' >"$root/units/probe.service"
if ! systemd-analyze verify --man=no "$root/units/probe.service" >/dev/null 2>&1; then
  echo "SKIP: systemd-analyze can't verify units here; the unit is not verified" >&2
  exit 77
fi
sed "s|/usr/local/bin/|$dest/bin/|" "$unit" >"$root/units/tolmid.service"
said=$(systemd-analyze verify --man=no "$root/units/tolmid.service" 2>&1) || fail "systemd-analyze: $said"
[ -z "$said" ] || fail "systemd-analyze: $said"
echo "installed, served, stopped and verified"
