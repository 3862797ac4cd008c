#!/usr/bin/env bash
# Usage: install-standin-engine.sh <program folder>
# Puts a stand-in for the program's engine into <program folder>/engines, so that games
# against the computer can be played on a machine without a real Pikafish build:
#   pikafish.exe        the engine tests' relay, which the program starts as its engine
#   fairy-stockfish.exe the Windows Fairy-Stockfish that scripts/setup.sh builds
#   pikafish.relay      tells the relay to front that engine, set to xiangqi
#   pikafish.nnue       a placeholder: the start-up check wants a network file there,
#                       Fairy-Stockfish needs none
# A pikafish.exe without pikafish.relay beside it is a real engine and is left alone.
# Needs scripts/setup.sh and `scripts/build.sh windows` to have run; the build folder is
# $TAVRUNE_BUILD_DIR when set, as for scripts/build.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "$#" -ne 1 ]; then
  echo "usage: $0 <program folder>" >&2
  exit 2
fi
engines="$1/engines"
build="${TAVRUNE_BUILD_DIR:-$root/build/windows}"
deps="${TAVRUNE_DEPS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrune-deps}"
relay="$build/tests/engine/tavrune_engine_relay.exe"
engine="$deps/fairy-stockfish-win/stockfish.exe"

[ -f "$relay" ] || { echo "no engine relay at $relay: run scripts/build.sh windows" >&2; exit 1; }
[ -f "$engine" ] || { echo "no Windows Fairy-Stockfish at $engine: run scripts/setup.sh" >&2; exit 1; }

if [ -f "$engines/pikafish.exe" ] && [ ! -f "$engines/pikafish.relay" ]; then
  echo "[stand-in engine] $engines/pikafish.exe is a real engine: left as it is"
  exit 0
fi

mkdir -p "$engines"
cp "$relay" "$engines/pikafish.exe"
cp "$engine" "$engines/fairy-stockfish.exe"
printf '%s\n' \
  "# The stand-in engine: pikafish.exe here is a relay to Fairy-Stockfish playing xiangqi." \
  "# Delete pikafish.exe, this file, fairy-stockfish.exe and pikafish.nnue before putting" \
  "# a real engine in this folder." \
  "mode=uci" \
  "engine=fairy-stockfish.exe" > "$engines/pikafish.relay"
[ -f "$engines/pikafish.nnue" ] ||
  printf 'Placeholder for the start-up check; the stand-in engine reads no network file.\n' > "$engines/pikafish.nnue"
echo "[stand-in engine] installed in $engines"
