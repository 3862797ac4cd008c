#!/usr/bin/env bash
# Configures and builds one configuration: windows (default), host (AddressSanitizer
# and UndefinedBehaviorSanitizer) or tsan (ThreadSanitizer). Output in build/<config>,
# or in $TAVRUNE_BUILD_DIR when set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
config="${1:-windows}"
build="${TAVRUNE_BUILD_DIR:-$root/build/$config}"
args=(-G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "$config" in
  windows) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw.cmake") ;;
  host)    args+=(-DTAVRUNE_SANITIZE=address) ;;
  tsan)    args+=(-DTAVRUNE_SANITIZE=thread) ;;
  *) echo "unknown configuration: $config (windows, host or tsan)" >&2; exit 2 ;;
esac
# Rebuilds in several checkouts of the project share one compiler cache when ccache is there.
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}" CCACHE_NOHASHDIR=true
fi
[ -f "$build/build.ninja" ] || cmake "${args[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
