#!/usr/bin/env bash
# Sets up, builds and starts the program under Wine (on a virtual display when no
# display is given).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh windows
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_display
start_wine
exec wine build/windows/app/tavrune.exe "$@"
