#!/usr/bin/env bash
# Runs one test program in a network namespace of its own whose only interface is the
# loopback, with routes for the limited broadcast and the multicast groups. Programs that
# bind the fixed game ports or send room-discovery datagrams then neither meet other test
# programs running in parallel nor send anything off the machine.
#
#   tools/netns-run.sh program [arguments...]
#
# A Windows program (*.exe) runs under Wine with a wineserver of its own inside the
# namespace, on a copy of the build's prefix: a program served by a wineserver started
# outside would open its sockets outside. The copy is made from a template of the prefix,
# taken before the tests start (tools/netns-run.sh --prepare, which scripts/test.sh runs) or
# else on first use: the prefix itself is in use by tests that create and delete files in
# its temporary folder, so copying it then would race them. The copy lives beside the
# prefix and goes when the program ends; copies left by a killed run are removed at the
# next start. The suite's DISPLAY is kept; without one a private Xvfb is started before
# the wineserver (one started after it cannot host windows).
#
# Exit status: the program's; 77 (ctest's "skipped") when no namespace can be made, except
# when CI is set, where that is a failure.
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
self="$root/tools/netns-run.sh"

if [ "$#" -eq 0 ]; then
  echo "usage: $0 program [arguments...] | $0 --prepare" >&2
  exit 2
fi

base="${TAVRUNE_WINEPREFIX:-${WINEPREFIX:-$root/build/wineprefix}}"
copies="$(dirname "$base")/netns-prefixes"
template="$copies/template"

# Makes the template: the prefix without the contents of its temporary folders. Files that
# vanish while they are read (a test run by hand beside this one) are left out.
make_template() {
  local fresh="$copies/template-new-$$"
  rm -rf "$copies"/template-new-*
  mkdir -p "$fresh" || return 1
  tar -C "$base" -cf - --ignore-failed-read --warning=no-file-removed --warning=no-file-changed \
    --exclude='./drive_c/users/*/Temp/*' --exclude='./drive_c/users/*/AppData/Local/Temp/*' . |
    tar -C "$fresh" -xf -
  local statuses=("${PIPESTATUS[@]}")
  # tar's 1 means only that files changed or went while they were read.
  if [ "${statuses[0]}" -gt 1 ] || [ "${statuses[1]}" -ne 0 ] || [ ! -f "$fresh/system.reg" ]; then
    rm -rf "$fresh"
    return 1
  fi
  rm -rf "$template.old"
  [ -d "$template" ] && mv "$template" "$template.old"
  mv "$fresh" "$template" && rm -rf "$template.old"
}

# Takes the lock open on descriptor 9 (arguments go to flock, e.g. -s), bounded: a run
# killed while it held the lock leaves nothing behind, but a hung one must not stall others.
lock() {
  flock -w 120 "$@" 9 && return 0
  echo "netns-run: gave up waiting 120 s for $copies/.lock" >&2
  exit 1
}

if [ "$1" = --prepare ]; then
  if [ ! -f "$base/system.reg" ]; then
    echo "netns-run: no prepared Wine prefix at $base" >&2
    exit 1
  fi
  mkdir -p "$copies"
  exec 9>"$copies/.lock"
  lock
  make_template || { echo "netns-run: cannot make the template of $base" >&2; exit 1; }
  exit 0
fi

cannot() {
  echo "netns-run: $*" >&2
  if [ -n "${CI:-}" ]; then exit 1; fi
  exit 77
}

if [ "${TAVRUNE_NETNS_STAGE:-}" != inside ]; then
  # Root makes the namespace directly; anyone else through a user namespace.
  if [ "$(id -u)" = 0 ]; then flags=(-n); else flags=(-r -n); fi
  command -v unshare >/dev/null 2>&1 || cannot "unshare is missing (util-linux)"
  command -v ip >/dev/null 2>&1 || cannot "ip is missing (iproute2)"
  unshare "${flags[@]}" true 2>/dev/null || cannot "cannot create a network namespace"
  TAVRUNE_NETNS_STAGE=inside exec unshare "${flags[@]}" "$self" "$@"
fi
unset TAVRUNE_NETNS_STAGE

# Inside the new namespace. Without these routes the multicast join and both discovery
# sends fail.
{
  ip link set lo up &&
    ip link set lo multicast on &&
    ip route add 239.0.0.0/8 dev lo src 127.0.0.1 &&
    ip route add broadcast 255.255.255.255 dev lo table local src 127.0.0.1
} || { echo "netns-run: cannot set up the loopback routes" >&2; exit 1; }
# Nothing may leave: refuse to run if the namespace holds any interface but the loopback.
if ip -o link show | grep -qv ': lo:'; then
  echo "netns-run: the namespace has an interface other than lo; refusing to run" >&2
  exit 1
fi
# Test programs that broadcast check this before they send anything.
export TAVRUNE_NETNS=1

case "$1" in
  *.exe) ;;
  *) exec "$@" ;;
esac

# ---- Windows programs: a private wineserver inside the namespace ----
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$base/system.reg" ]; then
  echo "netns-run: no prepared Wine prefix at $base (source scripts/wine-env.sh; start_wine)" >&2
  exit 1
fi
mkdir -p "$copies"

# Copies whose wrapper has gone: stop their server (reachable through its socket in /tmp
# from any namespace) and remove them.
for stale in "$copies"/prefix-*; do
  [ -d "$stale" ] || continue
  owner="${stale##*/prefix-}"
  if ! kill -0 "$owner" 2>/dev/null; then
    WINEPREFIX="$stale" timeout 10 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$stale"
  fi
done

prefix="$copies/prefix-$$"
rm -rf "$prefix"
{
  lock
  if [ ! -f "$template/system.reg" ]; then
    make_template || { echo "netns-run: cannot make the template of $base" >&2; exit 1; }
  fi
  # Shared: copies may run side by side, but never while the template is remade.
  lock -s
  cp -a "$template" "$prefix" || { echo "netns-run: cannot copy $template" >&2; exit 1; }
} 9>"$copies/.lock"
export WINEPREFIX="$prefix"

xvfb_pid=""
cleanup() {
  timeout 10 wineserver -k >/dev/null 2>&1 || true
  timeout 10 wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

if [ -z "${DISPLAY:-}" ]; then
  # A display number no one holds; Xvfb's lock files are shared across namespaces.
  n=$((400 + $$ % 400))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
fi

# The server and Wine's own processes, with their output away from the test's.
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
export WINEPREFIX="$prefix"
serve_prefix

wine "$@"
status=$?
exit "$status"
