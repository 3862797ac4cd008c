#!/usr/bin/env bash
# Sets up, builds and starts the program under Wine (on a virtual display when no
# display is given), with the stand-in engine in its engines folder so that games
# against the computer can be played. Arguments go to the program (e.g. --portable).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh windows
bash scripts/install-standin-engine.sh build/windows/app
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_display
trap 'stop_wine; stop_display' EXIT
start_wine
wine build/windows/app/tavrune.exe "$@"
