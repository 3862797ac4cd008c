#!/usr/bin/env bash
# Sets up, builds and runs every test: the Windows build under Wine (with Xvfb for
# windows) and the host build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

bash scripts/build.sh windows
bash scripts/build.sh host

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_display
start_wine

status=0
echo "== host tests (sanitizers) =="
(cd build/host && ctest --output-on-failure -j"$(nproc)") || status=1
echo "== Windows tests (Wine) =="
(cd build/windows && ctest --output-on-failure -j"$(nproc)") || status=1

stop_wine
exit "$status"
