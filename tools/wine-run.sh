#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's private prefix.
# scripts/test.sh prepares the prefix and keeps a wineserver running, so this
# costs milliseconds; run by hand it prepares what is missing itself.
set -u
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${TAVRUNE_WINEPREFIX:-${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
fi

# Writing to a terminal or a file, nothing can be kept waiting on our output.
if [ ! -p /dev/stderr ]; then
  exec wine "$@"
fi

# The processes the program started, itself or through others, that still hold our
# standard error: ctest waits for every one of them before it counts the program as
# ended. Wine passes the environment on, so the mark below finds them and no one else
# (such as whoever started this script, who holds the same output).
run_mark="TAVRUNE_WINE_RUN=$$"
output_holders=()
find_output_holders() {
  local proc
  output_holders=()
  for proc in /proc/[0-9]*; do
    if [ "$proc/fd/2" -ef /dev/stderr ] || [ "$proc/fd/1" -ef /dev/stderr ]; then
      tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qx "$run_mark" && output_holders+=("${proc#/proc/}")
    fi
  done
}

env "$run_mark" wine "$@"
status=$?

# Wine hands every child its parent's standard error, and a console program stopped
# while it is still starting (an engine stopped at once, say) can leave the console host
# Wine started for it (conhost.exe --headless) running with no one to serve. Such hosts
# are stopped. Anything else still running after 10 s (an engine whose program was ended
# quits once it reads the end of its input) was left by the program: it is named and
# stopped, and the run fails, rather than leaving ctest waiting until its time-out.
for _ in $(seq 100); do
  find_output_holders
  [ "${#output_holders[@]}" -eq 0 ] && exit "$status"
  sleep 0.1
done
for pid in "${output_holders[@]}"; do
  command="$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
  case "$command" in
    *conhost.exe*--headless*)
      echo "wine-run: stopped the console host Wine left running after $1" >&2
      ;;
    *)
      echo "wine-run: $1 left a process running: $command" >&2
      status=1
      ;;
  esac
  kill -KILL "$pid" 2>/dev/null
done
exit "$status"
