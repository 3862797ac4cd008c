#!/usr/bin/env bash
# Sets up, builds and runs every test: the Windows build under Wine (with Xvfb for
# windows), the host build with AddressSanitizer and UndefinedBehaviorSanitizer, and the
# threaded code again under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

bash scripts/build.sh windows
bash scripts/build.sh host
bash scripts/build.sh tsan

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_display
# Whatever happens below, nothing this script started outlives it.
trap 'stop_wine; stop_display' EXIT
start_wine
# The template the network-namespace runs copy, taken while no test uses the prefix.
tools/netns-run.sh --prepare

status=0
echo "== host tests (sanitizers) =="
(cd build/host && ctest --output-on-failure -j"$(nproc)") || status=1
echo "== host tests (ThreadSanitizer) =="
(cd build/tsan && ctest --output-on-failure -j"$(nproc)" -L tsan --no-tests=ignore) || status=1
echo "== Windows tests (Wine) =="
(cd build/windows && ctest --output-on-failure -j"$(nproc)") || status=1

exit "$status"
