#!/usr/bin/env bash
# Installs everything the Windows build, the host build and the tests need.
# Idempotent: packages already present and dependencies already built are skipped.
# Runs as root (apt-get); third-party sources are fetched into a cache outside the repo.
set -euo pipefail

DEPS_DIR="${TAVRUNE_DEPS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrune-deps}"
mkdir -p "$DEPS_DIR"
JOBS="$(nproc)"

log() { printf '[setup] %s\n' "$*"; }

PACKAGES=(
  cmake ninja-build make g++ pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb x11-apps xauth
  dpkg-dev nlohmann-json3-dev googletest fairy-stockfish
  ca-certificates xz-utils sox
  iproute2 util-linux
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  log "all packages present"
fi

# The Windows build uses the posix-thread flavour of the cross compiler.
for tool in gcc g++; do
  if [ ! -x "/usr/bin/x86_64-w64-mingw32-$tool-posix" ]; then
    log "x86_64-w64-mingw32-$tool-posix is missing"; exit 1
  fi
done

# A private apt configuration that only adds source or other-suite lists, built from
# the system's own source list so no registry address is written anywhere in the repo.
# Usage: side_apt NAME TYPE SUITE -- apt-get arguments...
side_apt() {
  local name="$1" type="$2" suite="$3"; shift 3
  local root="$DEPS_DIR/apt-$name"
  mkdir -p "$root/sources.list.d" "$root/lists/partial" "$root/cache/archives/partial"
  local src=/etc/apt/sources.list.d/debian.sources
  if [ -f "$src" ]; then
    # Keep only the main archive stanza (its URIs line) and rewrite type and suite.
    awk -v t="$type" -v s="$suite" '
      BEGIN { RS=""; ORS="\n\n" }
      /URIs:/ && $0 !~ /security/ {
        n = split($0, lines, "\n"); out = ""
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^Types:/) lines[i] = "Types: " t
          else if (lines[i] ~ /^Suites:/) lines[i] = "Suites: " s
          out = out lines[i] "\n"
        }
        print out; exit
      }' "$src" > "$root/sources.list.d/side.sources"
  else
    grep -E '^deb ' /etc/apt/sources.list | grep -v security | head -n 1 |
      awk -v t="$type" -v s="$suite" '{ $1 = t; $3 = s; print }' > "$root/sources.list.d/side.list"
  fi
  local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$root/sources.list.d"
              -o "Dir::State::Lists=$root/lists" -o "Dir::Cache=$root/cache" -o "APT::Get::List-Cleanup=0" -o "APT::Sandbox::User=root")
  [ -f "$root/lists/.updated" ] || { apt-get "${opts[@]}" update -q >/dev/null && touch "$root/lists/.updated"; }
  apt-get "${opts[@]}" "$@"
}

# Fairy-Stockfish built for Windows: the real engine the engine tests talk to under Wine.
FSF_EXE="$DEPS_DIR/fairy-stockfish-win/stockfish.exe"
if [ ! -x "$FSF_EXE" ]; then
  log "building Fairy-Stockfish for Windows"
  work="$DEPS_DIR/fairy-stockfish-src"
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && side_apt src deb-src bookworm source --download-only -q fairy-stockfish >/dev/null &&
     dpkg-source -x --no-check ./*.dsc fsf >/dev/null)
  (cd "$work/fsf/src" &&
     make -j"$JOBS" build ARCH=x86-64 COMP=mingw largeboards=yes \
       CXX=x86_64-w64-mingw32-g++-posix >"$work/build.log" 2>&1) || { tail -n 30 "$work/build.log"; exit 1; }
  mkdir -p "$(dirname "$FSF_EXE")"
  cp "$work/fsf/src/stockfish.exe" "$FSF_EXE"
  rm -rf "$work"
fi
log "Windows engine: $FSF_EXE"
# miniaudio 0.11: the single header from Debian's trixie package, extracted into the cache.
MINIAUDIO_H="$DEPS_DIR/miniaudio/include/miniaudio.h"
if [ ! -f "$MINIAUDIO_H" ]; then
  log "fetching miniaudio"
  work="$DEPS_DIR/miniaudio-download"
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && side_apt trixie deb trixie download -q libminiaudio-dev >/dev/null &&
     dpkg-deb -x ./libminiaudio-dev_*.deb extracted)
  mkdir -p "$(dirname "$MINIAUDIO_H")"
  cp "$work/extracted/usr/include/miniaudio.h" "$MINIAUDIO_H"
  rm -rf "$work"
fi
log "miniaudio: $MINIAUDIO_H"

# OpenAL Soft for Windows from Debian's source (trixie's original tarball), shipped beside
# the program. Only the wave-file writer is added to the Windows back ends, so tests can
# render to a file; the C++ runtime is linked in so the DLL stands alone.
OPENAL_DLL="$DEPS_DIR/openal-win/OpenAL32.dll"
if [ ! -f "$OPENAL_DLL" ]; then
  log "building OpenAL Soft for Windows"
  work="$DEPS_DIR/openal-src"
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && side_apt trixie-src deb-src trixie source --download-only -q openal-soft >/dev/null 2>&1 || true)
  tarball="$(ls "$work"/openal-soft_*.orig.tar.* 2>/dev/null | head -n 1)"
  [ -n "$tarball" ] || { log "OpenAL Soft source not available"; exit 1; }
  tar -xf "$tarball" -C "$work"
  src="$(find "$work" -maxdepth 1 -type d -name 'openal-soft-*' | head -n 1)"
  cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$(cd "$(dirname "$0")/.." && pwd)/cmake/toolchain-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF \
    -DALSOFT_INSTALL=OFF -DALSOFT_BACKEND_WAVE=ON \
    "-DCMAKE_SHARED_LINKER_FLAGS=-static -static-libgcc -static-libstdc++" >"$work/configure.log" 2>&1 ||
    { tail -n 30 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j"$JOBS" >"$work/build.log" 2>&1 || { tail -n 30 "$work/build.log"; exit 1; }
  mkdir -p "$(dirname "$OPENAL_DLL")"
  cp "$work/build/OpenAL32.dll" "$OPENAL_DLL"
  rm -rf "$work"
fi
log "OpenAL Soft: $OPENAL_DLL"
log "done"
