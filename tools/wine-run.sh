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
exec wine "$@"
