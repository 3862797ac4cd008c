#!/usr/bin/env bash
# Runs the screenshot test program and, once its window is up, dumps the X display for
# it to check: board_screenshot.sh <wine-run.sh> <program.exe> <output folder>.
# The folder keeps board.xwd and board.bmp afterwards. Exit 77 (skipped) without a display.
set -u
runner="$1" program="$2" out="$3"
if [ -z "${DISPLAY:-}" ] || ! command -v xwd >/dev/null; then
  echo "no X display or no xwd (x11-apps): screenshot skipped"
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi
rm -rf "$out"
mkdir -p "$out"
TAVRUNE_SCREENSHOT_DIR="$out" "$runner" "$program" &
pid=$!
for _ in $(seq 600); do
  [ -e "$out/ready" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -e "$out/ready" ]; then
  if xwd -root -silent -display "$DISPLAY" -out "$out/board.xwd.part"; then
    mv "$out/board.xwd.part" "$out/board.xwd"
  fi
  touch "$out/captured"
fi
wait "$pid"
status=$?
echo "screenshot: $out/board.xwd and $out/board.bmp"
exit "$status"
